#include "platform/media/AudioMixer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace platform::media {
namespace {

std::shared_ptr<const SoundClip> constantClip(std::int16_t value, std::size_t frames) {
  return SoundClip::fromSamples("constant.wav",
                                std::vector<std::int16_t>(frames * SoundClip::kChannels, value));
}

std::vector<std::int16_t> renderFrames(AudioMixer& mixer, std::size_t frames) {
  std::vector<std::int16_t> out(frames * SoundClip::kChannels, 12345);
  mixer.render(out.data(), out.size());
  return out;
}

TEST(AudioMixer, RendersSilenceWithoutVoices) {
  AudioMixer mixer;
  for (std::int16_t sample : renderFrames(mixer, 64)) {
    ASSERT_EQ(sample, 0);
  }
}

TEST(AudioMixer, PlaysAClipOnceThenSilenceAndDropsTheVoice) {
  AudioMixer mixer;
  mixer.start(constantClip(1000, 10));
  EXPECT_EQ(mixer.activeVoiceCount(), 1u);
  const std::vector<std::int16_t> out = renderFrames(mixer, 16);
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i], i < 10 * SoundClip::kChannels ? 1000 : 0) << "sample " << i;
  }
  EXPECT_EQ(mixer.activeVoiceCount(), 0u);
}

TEST(AudioMixer, ContinuesAVoiceAcrossBuffers) {
  AudioMixer mixer;
  std::vector<std::int16_t> ramp;
  for (int i = 0; i < 20; ++i) {
    ramp.push_back(static_cast<std::int16_t>(i));
  }
  mixer.start(SoundClip::fromSamples("ramp.wav", ramp));
  std::vector<std::int16_t> first(8);
  std::vector<std::int16_t> second(16, -1);
  mixer.render(first.data(), first.size());
  mixer.render(second.data(), second.size());
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(first[static_cast<std::size_t>(i)], i);
  }
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(second[static_cast<std::size_t>(i)], i + 8);
  }
  EXPECT_EQ(second[12], 0);
}

TEST(AudioMixer, SumsVoicesAndSaturatesInsteadOfWrapping) {
  AudioMixer mixer;
  mixer.start(constantClip(300, 4));
  mixer.start(constantClip(-100, 4));
  EXPECT_EQ(renderFrames(mixer, 1)[0], 200);

  AudioMixer loud;
  loud.start(constantClip(30000, 4));
  loud.start(constantClip(30000, 4));
  EXPECT_EQ(renderFrames(loud, 1)[0], 32767);

  AudioMixer quiet;
  quiet.start(constantClip(-30000, 4));
  quiet.start(constantClip(-30000, 4));
  EXPECT_EQ(renderFrames(quiet, 1)[0], -32768);
}

TEST(AudioMixer, SameClipOverlapsInTwoVoices) {
  AudioMixer mixer;
  auto clip = constantClip(100, 4);
  mixer.start(clip);
  renderFrames(mixer, 2);
  mixer.start(clip);
  const std::vector<std::int16_t> out = renderFrames(mixer, 4);
  EXPECT_EQ(out[0], 200);  // both voices
  EXPECT_EQ(out[1 * SoundClip::kChannels], 200);
  EXPECT_EQ(out[2 * SoundClip::kChannels], 100);  // the first has ended
  EXPECT_EQ(out[3 * SoundClip::kChannels], 100);
  EXPECT_EQ(mixer.activeVoiceCount(), 0u);
  EXPECT_EQ(renderFrames(mixer, 1)[0], 0);
}

TEST(AudioMixer, StopEndsOnlyTheVoicesOfThatClip) {
  AudioMixer mixer;
  auto a = constantClip(100, 100);
  auto b = constantClip(7, 100);
  mixer.start(a);
  mixer.start(b);
  mixer.start(a);
  mixer.stop(a.get());
  EXPECT_EQ(mixer.activeVoiceCount(), 1u);
  EXPECT_EQ(renderFrames(mixer, 1)[0], 7);
  mixer.stopAll();
  EXPECT_EQ(renderFrames(mixer, 1)[0], 0);
}

TEST(AudioMixer, DropsTheOldestVoiceBeyondTheLimit) {
  AudioMixer mixer;
  mixer.start(constantClip(1000, 100));
  for (std::size_t i = 1; i < AudioMixer::kMaxVoices; ++i) {
    mixer.start(constantClip(1, 100));
  }
  ASSERT_EQ(mixer.activeVoiceCount(), AudioMixer::kMaxVoices);
  mixer.start(constantClip(1, 100));
  EXPECT_EQ(mixer.activeVoiceCount(), AudioMixer::kMaxVoices);
  // The loud first voice is gone; the 16 quiet ones remain.
  EXPECT_EQ(renderFrames(mixer, 1)[0], static_cast<std::int16_t>(AudioMixer::kMaxVoices));
}

TEST(AudioMixer, IgnoresEmptyAndNullClips) {
  AudioMixer mixer;
  mixer.start(nullptr);
  mixer.start(SoundClip::fromSamples("empty.wav", {}));
  EXPECT_EQ(mixer.activeVoiceCount(), 0u);
}

}  // namespace
}  // namespace platform::media
