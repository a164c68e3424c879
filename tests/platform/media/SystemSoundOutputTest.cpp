// What reaches the audio device. This program records the device's output
// with SDL's disk driver; the variables must be set before SDL starts its
// audio subsystem, which happens at the first registration, so they are
// set while the program is loaded. A child run of this program (see
// SystemSoundWithoutDevice) chooses its own driver instead.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/media/AudioOutput.h"
#include "platform/media/SoundClip.h"
#include "platform/media/SystemSound.h"
#include "tests/platform/media/MediaTestFiles.h"

extern char** environ;

namespace platform::media {
namespace {

using testing::MediaTestFolder;
using Clock = std::chrono::steady_clock;

constexpr const char* kChildMarker = "MEDIA_TEST_CHILD";

const std::string& diskAudioFile() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("media-test-disk-" + std::to_string(::getpid()) + ".raw"))
                                      .string();
  return path;
}

[[maybe_unused]] const bool kDiskDriverChosen = [] {
  if (std::getenv(kChildMarker) == nullptr) {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", diskAudioFile().c_str(), 1);
  }
  return true;
}();

struct DiskFileRemover : ::testing::Environment {
  void TearDown() override {
    std::error_code error;
    std::filesystem::remove(diskAudioFile(), error);
  }
};
[[maybe_unused]] ::testing::Environment* const kRemover =
    ::testing::AddGlobalTestEnvironment(new DiskFileRemover);

std::uintmax_t diskFileSize() {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(diskAudioFile(), error);
  return error ? 0 : size;
}

// The left channel of the recording from byte `offset` on.
std::vector<std::int16_t> recordedLeftChannel(std::uintmax_t offset) {
  std::ifstream in(diskAudioFile(), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::vector<std::int16_t> left;
  std::int16_t frame[SoundClip::kChannels];
  while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
    left.push_back(frame[0]);
  }
  return left;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(SystemSoundOutput, TheFileSamplesReachTheDevice) {
  MediaTestFolder folder;
  const std::string path = folder.file("sine.wav");
  testing::writeWav16Mono(path, 22050, testing::sineSamples(440, 0.3, 22050, 0.5));
  const SystemSoundID id = SystemSound::AudioServicesCreateSystemSoundID(path);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(SystemSound::isAudioOutputOpen()) << "the disk driver did not open";

  // Whatever other tests started must be over, so that everything after
  // this point in the recording is ours.
  ASSERT_TRUE(waitFor([] { return AudioOutput::shared().activeVoiceCount() == 0; },
                      std::chrono::seconds(10)));
  const std::uintmax_t offset = diskFileSize();
  SystemSound::AudioServicesPlaySystemSound(id);

  // 0.3 s of sound plus 0.3 s of margin, written at the device's pace.
  constexpr std::uintmax_t kBytesPerSecond = SoundClip::kSampleRate * SoundClip::kChannels * 2;
  ASSERT_TRUE(waitFor([&] { return diskFileSize() >= offset + kBytesPerSecond * 6 / 10; },
                      std::chrono::seconds(10)))
      << "the recording did not grow";
  SystemSound::AudioServicesDisposeSystemSoundID(id);

  const std::vector<std::int16_t> left = recordedLeftChannel(offset);
  constexpr int kThreshold = 2000;
  std::size_t first = left.size();
  std::size_t last = 0;
  int peak = 0;
  for (std::size_t i = 0; i < left.size(); ++i) {
    const int magnitude = std::abs(static_cast<int>(left[i]));
    peak = std::max(peak, magnitude);
    if (magnitude > kThreshold) {
      first = std::min(first, i);
      last = i;
    }
  }
  ASSERT_LT(first, left.size()) << "only silence was recorded";
  const double seconds = static_cast<double>(last - first) / SoundClip::kSampleRate;
  EXPECT_NEAR(seconds, 0.3, 0.01);
  EXPECT_NEAR(peak, 16384, 800);

  // A 440 Hz sine crosses zero 880 times a second.
  int crossings = 0;
  for (std::size_t i = first + 1; i <= last; ++i) {
    if ((left[i - 1] < 0) != (left[i] < 0)) {
      ++crossings;
    }
  }
  EXPECT_NEAR(crossings / seconds, 880.0, 15.0);

  // And it is that sine, not some other sound of that pitch: compare with
  // the ideal wave over the sounding stretch, aligned at its first upward
  // zero crossing.
  std::size_t start = first;
  while (start < last && !(left[start] < 0 && left[start + 1] >= 0)) {
    ++start;
  }
  double dot = 0;
  double energy = 0;
  double idealEnergy = 0;
  for (std::size_t i = start + 1; i <= last; ++i) {
    const double t = static_cast<double>(i - start - 1) / SoundClip::kSampleRate;
    const double ideal = std::sin(2.0 * std::numbers::pi * 440.0 * t);
    dot += left[i] * ideal;
    energy += static_cast<double>(left[i]) * left[i];
    idealEnergy += ideal * ideal;
  }
  EXPECT_GT(dot / std::sqrt(energy * idealEnergy), 0.95);
}

// Run only as a child of the SystemSoundWithoutDevice tests below, with the
// driver they choose; MEDIA_TEST_EXPECT_OPEN says whether that driver
// gives a device.
TEST(SystemSoundWithoutDevice, DISABLED_Child) {
  ASSERT_NE(std::getenv(kChildMarker), nullptr);
  MediaTestFolder folder;
  const std::string path = folder.file("quiet.wav");
  testing::writeWav16Mono(path, 22050, testing::sineSamples(440, 0.3, 22050, 0.5));

  std::vector<std::pair<std::string, bool>> plays;
  int vibrations = 0;
  SystemSound::setPlayObserver(
      [&](const std::string& fileName, bool vibrate) { plays.emplace_back(fileName, vibrate); });
  SystemSound::setVibrationObserver([&] { ++vibrations; });

  const auto started = Clock::now();
  const SystemSoundID id = SystemSound::AudioServicesCreateSystemSoundID(path);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(SystemSound::isAudioOutputOpen(), std::getenv("MEDIA_TEST_EXPECT_OPEN") != nullptr);
  SystemSound::AudioServicesPlaySystemSound(id);
  SystemSound::AudioServicesPlayAlertSound(id);
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));

  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(plays[0], std::make_pair(std::string("quiet.wav"), false));
  EXPECT_EQ(plays[1], std::make_pair(std::string("quiet.wav"), true));
  EXPECT_EQ(vibrations, 1);
  SystemSound::setPlayObserver({});
  SystemSound::setVibrationObserver({});
}

int runChild(const std::string& driver, bool expectOpen) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("SDL_AUDIODRIVER=", 0) != 0 && entry.rfind("GTEST_", 0) != 0 &&
        entry.rfind("MEDIA_TEST_", 0) != 0) {
      env.push_back(entry);
    }
  }
  env.push_back("SDL_AUDIODRIVER=" + driver);
  env.push_back(std::string(kChildMarker) + "=1");
  if (expectOpen) {
    env.push_back("MEDIA_TEST_EXPECT_OPEN=1");
  }
  std::vector<std::string> args = {"/proc/self/exe",
                                   "--gtest_filter=SystemSoundWithoutDevice.DISABLED_Child",
                                   "--gtest_also_run_disabled_tests"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  if (::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), envp.data()) != 0) {
    return -1;
  }
  int status = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TEST(SystemSoundWithoutDevice, ObserversHearEverythingQuickly) {
  // A driver that does not exist fails the same way as a headless machine
  // without a sound server: SDL finds no device to open.
  EXPECT_EQ(runChild("no-such-driver", false), 0);
}

TEST(SystemSoundWithoutDevice, TheDummyDriverCanBeForced) {
  // SDL_AUDIODRIVER=dummy opens a device that discards the sound: the
  // silent choice for a run that must not make a noise.
  EXPECT_EQ(runChild("dummy", true), 0);
}

}  // namespace
}  // namespace platform::media
