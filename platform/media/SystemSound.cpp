#include "platform/media/SystemSound.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/media/AudioOutput.h"
#include "platform/media/SoundClip.h"

namespace platform::media {

namespace {

// The registered sounds and the observers, shared by every caller.
struct Registry {
  std::mutex mutex;
  std::map<SystemSoundID, std::shared_ptr<const SoundClip>> sounds;
  SystemSoundID lastID = 0;
  SystemSound::PlayObserver playObserver;
  SystemSound::VibrationObserver vibrationObserver;
};

Registry& registry() {
  static Registry* const instance = new Registry();
  return *instance;
}

bool startsWithFileScheme(std::string_view text) {
  constexpr std::string_view kScheme = "file:";
  if (text.size() < kScheme.size()) {
    return false;
  }
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    const char c = text[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kScheme[i]) {
      return false;
    }
  }
  return true;
}

SystemSoundID registerClip(std::shared_ptr<const SoundClip> clip) {
  if (clip == nullptr) {
    return 0;
  }
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  // Identifiers count up and are never reused, so a stale identifier kept
  // after disposal cannot start someone else's sound. Past 2^32 - 1
  // registrations (never, in practice) registration fails.
  if (r.lastID == UINT32_MAX) {
    return 0;
  }
  const SystemSoundID soundID = ++r.lastID;
  r.sounds.emplace(soundID, std::move(clip));
  return soundID;
}

}  // namespace

SystemSoundID SystemSound::AudioServicesCreateSystemSoundID(std::string_view fileUrlOrPath) {
  if (startsWithFileScheme(fileUrlOrPath)) {
    const std::shared_ptr<const Url> url = Url::URLWithString(fileUrlOrPath);
    return url == nullptr ? 0 : AudioServicesCreateSystemSoundID(*url);
  }
  if (fileUrlOrPath.empty()) {
    return 0;
  }
  // Opened before the first sound is kept, so that the device start-up
  // cost falls on registration (at screen load) rather than on a press.
  AudioOutput::shared().open();
  return registerClip(SoundClip::loadFromFile(std::string(fileUrlOrPath)));
}

SystemSoundID SystemSound::AudioServicesCreateSystemSoundID(const Url& fileURL) {
  // Only local files: a remote URL would mean blocking on the network.
  if (!fileURL.isFileURL()) {
    return 0;
  }
  const std::string path = fileURL.path();
  if (path.empty()) {
    return 0;
  }
  AudioOutput::shared().open();
  return registerClip(SoundClip::loadFromFile(path));
}

void SystemSound::AudioServicesPlaySystemSound(SystemSoundID soundID) { play(soundID, false); }

void SystemSound::AudioServicesPlayAlertSound(SystemSoundID soundID) { play(soundID, true); }

void SystemSound::play(SystemSoundID soundID, bool vibrate) {
  std::shared_ptr<const SoundClip> clip;
  PlayObserver playObserver;
  VibrationObserver vibrationObserver;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.sounds.find(soundID);
    if (found == r.sounds.end()) {
      return;
    }
    clip = found->second;
    playObserver = r.playObserver;
    if (vibrate) {
      vibrationObserver = r.vibrationObserver;
    }
  }
  AudioOutput::shared().start(clip);
  // Observers run outside the lock: they may well play or register sounds
  // themselves.
  if (playObserver) {
    playObserver(clip->fileName(), vibrate);
  }
  if (vibrationObserver) {
    vibrationObserver();
  }
}

void SystemSound::AudioServicesDisposeSystemSoundID(SystemSoundID soundID) {
  std::shared_ptr<const SoundClip> clip;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.sounds.find(soundID);
    if (found == r.sounds.end()) {
      return;
    }
    clip = std::move(found->second);
    r.sounds.erase(found);
  }
  // Stopping its voices here means the samples are freed on this thread,
  // never on the audio thread.
  AudioOutput::shared().stop(clip.get());
}

void SystemSound::setPlayObserver(PlayObserver observer) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.playObserver = std::move(observer);
}

void SystemSound::setVibrationObserver(VibrationObserver observer) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.vibrationObserver = std::move(observer);
}

void SystemSound::setAudioOutputEnabled(bool enabled) { AudioOutput::shared().setEnabled(enabled); }

bool SystemSound::isAudioOutputOpen() { return AudioOutput::shared().isOpen(); }

}  // namespace platform::media
