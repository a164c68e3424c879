#include "platform/media/SoundClip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/platform/media/MediaTestFiles.h"

namespace platform::media {
namespace {

using testing::MediaTestFolder;

TEST(SoundClipLoading, ConvertsMono22050ToStereo44100) {
  MediaTestFolder folder;
  const std::string path = folder.file("sine.wav");
  testing::writeWav16Mono(path, 22050, testing::sineSamples(440, 0.3, 22050, 0.5));

  std::string whyNot;
  auto clip = SoundClip::loadFromFile(path, &whyNot);
  ASSERT_NE(clip, nullptr) << whyNot;
  EXPECT_EQ(clip->fileName(), "sine.wav");
  EXPECT_NEAR(clip->durationSeconds(), 0.3, 0.005);
  const auto& samples = clip->samples();
  int peak = 0;
  for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
    ASSERT_EQ(samples[i], samples[i + 1]) << "frame " << i / 2;
    peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  }
  EXPECT_NEAR(peak, 16384, 800);
}

TEST(SoundClipLoading, KeepsStereoChannelsApart) {
  MediaTestFolder folder;
  const std::string path = folder.file("stereo.wav");
  std::vector<std::uint8_t> data;
  for (int frame = 0; frame < 4410; ++frame) {
    // left +1000, right -1000, little-endian
    data.insert(data.end(), {0xE8, 0x03, 0x18, 0xFC});
  }
  testing::writeWavBytes(path, 44100, 2, 16, data);
  auto clip = SoundClip::loadFromFile(path);
  ASSERT_NE(clip, nullptr);
  ASSERT_EQ(clip->frameCount(), 4410u);
  EXPECT_EQ(clip->samples()[0], 1000);
  EXPECT_EQ(clip->samples()[1], -1000);
  EXPECT_EQ(clip->samples()[8818], 1000);
  EXPECT_EQ(clip->samples()[8819], -1000);
}

TEST(SoundClipLoading, ConvertsUnsigned8Bit) {
  MediaTestFolder folder;
  const std::string path = folder.file("eight.wav");
  testing::writeWavBytes(path, 44100, 1, 8, std::vector<std::uint8_t>(441, 192));
  auto clip = SoundClip::loadFromFile(path);
  ASSERT_NE(clip, nullptr);
  ASSERT_EQ(clip->frameCount(), 441u);
  EXPECT_EQ(clip->samples()[100], 64 * 256);
}

TEST(SoundClipLoading, AcceptsAWavWithoutSamples) {
  MediaTestFolder folder;
  const std::string path = folder.file("empty.wav");
  testing::writeWavBytes(path, 22050, 1, 16, {});
  auto clip = SoundClip::loadFromFile(path);
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->frameCount(), 0u);
}

TEST(SoundClipLoading, RefusesMissingFilesAndFolders) {
  MediaTestFolder folder;
  std::string whyNot;
  EXPECT_EQ(SoundClip::loadFromFile(folder.file("missing.wav"), &whyNot), nullptr);
  EXPECT_NE(whyNot.find("missing.wav"), std::string::npos);
  EXPECT_EQ(SoundClip::loadFromFile(folder.path()), nullptr);
  EXPECT_EQ(SoundClip::loadFromFile(""), nullptr);
}

TEST(SoundClipLoading, RefusesFilesThatAreNotWav) {
  MediaTestFolder folder;
  const std::string text = folder.file("garbage.wav");
  std::ofstream(text) << "this is not a sound at all, only some text\n";
  std::string whyNot;
  EXPECT_EQ(SoundClip::loadFromFile(text, &whyNot), nullptr);
  EXPECT_FALSE(whyNot.empty());

  // A RIFF/WAVE header with a format chunk that makes no sense.
  const std::string broken = folder.file("broken.wav");
  {
    std::ofstream out(broken, std::ios::binary);
    out.write("RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00", 20);
    out.write("\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 16);
  }
  EXPECT_EQ(SoundClip::loadFromFile(broken), nullptr);

  std::ofstream(folder.file("zero.wav"), std::ios::binary).flush();
  EXPECT_EQ(SoundClip::loadFromFile(folder.file("zero.wav")), nullptr);
}

TEST(SoundClipLoading, RefusesSoundsLongerThanTheLimit) {
  MediaTestFolder folder;
  const std::string path = folder.file("long.wav");
  const auto seconds = static_cast<std::size_t>(SoundClip::kMaxSeconds) + 1;
  testing::writeWavBytes(path, 8000, 1, 8, std::vector<std::uint8_t>(seconds * 8000, 128));
  std::string whyNot;
  EXPECT_EQ(SoundClip::loadFromFile(path, &whyNot), nullptr);
  EXPECT_NE(whyNot.find("too long"), std::string::npos);
}

TEST(SoundClipLoading, RefusesFilesLargerThanTheLimitBeforeReadingThem) {
  MediaTestFolder folder;
  const std::string path = folder.file("huge.wav");
  testing::writeWav16Mono(path, 22050, testing::sineSamples(440, 0.1, 22050, 0.5));
  // Sparse: no disk space is used for the tail.
  std::filesystem::resize_file(path, SoundClip::kMaxFileBytes + 1);
  std::string whyNot;
  EXPECT_EQ(SoundClip::loadFromFile(path, &whyNot), nullptr);
  EXPECT_NE(whyNot.find("too large"), std::string::npos);
}

}  // namespace
}  // namespace platform::media
