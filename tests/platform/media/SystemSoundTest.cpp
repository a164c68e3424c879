#include "platform/media/SystemSound.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/foundation/Url.h"
#include "platform/media/AudioOutput.h"
#include "tests/platform/media/MediaTestFiles.h"

namespace platform::media {
namespace {

using testing::MediaTestFolder;

struct PlayRecord {
  std::string fileName;
  bool vibrate;
};

class SystemSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SystemSound::setPlayObserver([this](const std::string& fileName, bool vibrate) {
      plays_.push_back({fileName, vibrate});
    });
    SystemSound::setVibrationObserver([this] { ++vibrations_; });
  }
  void TearDown() override {
    SystemSound::setPlayObserver({});
    SystemSound::setVibrationObserver({});
  }

  std::string writeSine(const std::string& name, double seconds) {
    const std::string path = folder_.file(name);
    testing::writeWav16Mono(path, 22050, testing::sineSamples(440, seconds, 22050, 0.5));
    return path;
  }

  MediaTestFolder folder_;
  std::vector<PlayRecord> plays_;
  int vibrations_ = 0;
};

TEST_F(SystemSoundTest, PlayAndAlertReachTheObserversWithTheFileName) {
  const SystemSoundID id = SystemSound::AudioServicesCreateSystemSoundID(writeSine("Phrase.wav", 0.05));
  ASSERT_NE(id, 0u);

  SystemSound::AudioServicesPlaySystemSound(id);
  ASSERT_EQ(plays_.size(), 1u);
  EXPECT_EQ(plays_[0].fileName, "Phrase.wav");
  EXPECT_FALSE(plays_[0].vibrate);
  EXPECT_EQ(vibrations_, 0);

  SystemSound::AudioServicesPlayAlertSound(id);
  ASSERT_EQ(plays_.size(), 2u);
  EXPECT_EQ(plays_[1].fileName, "Phrase.wav");
  EXPECT_TRUE(plays_[1].vibrate);
  EXPECT_EQ(vibrations_, 1);
  SystemSound::AudioServicesDisposeSystemSoundID(id);
}

TEST_F(SystemSoundTest, ZeroUnknownAndDisposedIdsDoNothing) {
  const SystemSoundID id = SystemSound::AudioServicesCreateSystemSoundID(writeSine("a.wav", 0.05));
  ASSERT_NE(id, 0u);
  SystemSound::AudioServicesDisposeSystemSoundID(id);

  for (SystemSoundID bad : {SystemSoundID{0}, id, id + 1000, SystemSoundID{0xFFFFFFFF}}) {
    SystemSound::AudioServicesPlaySystemSound(bad);
    SystemSound::AudioServicesPlayAlertSound(bad);
    SystemSound::AudioServicesDisposeSystemSoundID(bad);
  }
  EXPECT_TRUE(plays_.empty());
  EXPECT_EQ(vibrations_, 0);
}

TEST_F(SystemSoundTest, FailedRegistrationsGiveZero) {
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID(folder_.file("missing.wav")), 0u);
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID(""), 0u);
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID(folder_.path()), 0u);

  const std::string garbage = folder_.file("garbage.wav");
  std::ofstream(garbage) << "RIFF but nothing after it";
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID(garbage), 0u);

  // Only local files: no download behind the caller's back.
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID("http://127.0.0.1:9/a.wav"), 0u);
  auto remote = Url::URLWithString("http://127.0.0.1:9/a.wav");
  ASSERT_NE(remote, nullptr);
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID(*remote), 0u);
  EXPECT_EQ(SystemSound::AudioServicesCreateSystemSoundID("file:///no such"), 0u);
  EXPECT_TRUE(plays_.empty());
}

TEST_F(SystemSoundTest, RegistersFromFileUrls) {
  const std::string path = writeSine("With Space.wav", 0.05);
  auto url = Url::fileURLWithPathIsDirectory(path, false);
  ASSERT_NE(url, nullptr);
  ASSERT_NE(url->absoluteString().find("%20"), std::string::npos);

  const SystemSoundID fromUrl = SystemSound::AudioServicesCreateSystemSoundID(*url);
  const SystemSoundID fromText = SystemSound::AudioServicesCreateSystemSoundID(url->absoluteString());
  ASSERT_NE(fromUrl, 0u);
  ASSERT_NE(fromText, 0u);
  EXPECT_NE(fromUrl, fromText);

  SystemSound::AudioServicesPlaySystemSound(fromText);
  ASSERT_EQ(plays_.size(), 1u);
  EXPECT_EQ(plays_[0].fileName, "With Space.wav");
  SystemSound::AudioServicesDisposeSystemSoundID(fromUrl);
  SystemSound::AudioServicesDisposeSystemSoundID(fromText);
}

TEST_F(SystemSoundTest, DisposingOneRegistrationLeavesTheOtherOfTheSameFile) {
  const std::string path = writeSine("twice.wav", 0.05);
  const SystemSoundID first = SystemSound::AudioServicesCreateSystemSoundID(path);
  const SystemSoundID second = SystemSound::AudioServicesCreateSystemSoundID(path);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  SystemSound::AudioServicesDisposeSystemSoundID(first);
  SystemSound::AudioServicesPlaySystemSound(first);
  SystemSound::AudioServicesPlaySystemSound(second);
  ASSERT_EQ(plays_.size(), 1u);
  EXPECT_EQ(plays_[0].fileName, "twice.wav");
  SystemSound::AudioServicesDisposeSystemSoundID(second);
}

TEST_F(SystemSoundTest, ObserversMayPlaySoundsThemselves) {
  const SystemSoundID echo = SystemSound::AudioServicesCreateSystemSoundID(writeSine("echo.wav", 0.05));
  ASSERT_NE(echo, 0u);
  int depth = 0;
  SystemSound::setPlayObserver([&](const std::string&, bool) {
    if (++depth == 1) {
      SystemSound::AudioServicesPlaySystemSound(echo);
    }
  });
  SystemSound::AudioServicesPlayAlertSound(echo);
  EXPECT_EQ(depth, 2);
  SystemSound::AudioServicesDisposeSystemSoundID(echo);
}

// The audio device of this program is SDL's disk driver, chosen in
// SystemSoundOutputTest.cpp, so it always opens here.
TEST_F(SystemSoundTest, DisposeStopsAPlayingSound) {
  ASSERT_TRUE(SystemSound::isAudioOutputOpen() ||
              SystemSound::AudioServicesCreateSystemSoundID(writeSine("open.wav", 0.01)) != 0);
  ASSERT_TRUE(SystemSound::isAudioOutputOpen());
  const SystemSoundID id = SystemSound::AudioServicesCreateSystemSoundID(writeSine("long.wav", 3.0));
  ASSERT_NE(id, 0u);
  const std::size_t before = AudioOutput::shared().activeVoiceCount();
  SystemSound::AudioServicesPlaySystemSound(id);
  EXPECT_EQ(AudioOutput::shared().activeVoiceCount(), before + 1);
  SystemSound::AudioServicesDisposeSystemSoundID(id);
  EXPECT_EQ(AudioOutput::shared().activeVoiceCount(), before);
}

}  // namespace
}  // namespace platform::media
