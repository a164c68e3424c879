#pragma once
// The system-sound service: short sounds registered from WAV files and
// played by identifier, with or without a vibration.
//
// Use: register once with AudioServicesCreateSystemSoundID (0 means the
// file could not be registered), then play as often as wanted; every call
// returns at once and the sound plays on SDL's audio thread, mixed with
// whatever else is playing. Identifier 0, an identifier never handed out
// and a disposed one play nothing, vibrate nothing and call no observer.
//
// Front ends watch the service through two observers, called synchronously
// on the thread that asked for the sound, after playback has started:
// the play observer on every play of a registered sound (even when there
// is no audio device, so a headless run still records what would have
// sounded), and the vibration observer on every alert play. The service
// owns the decoded sounds until they are disposed; it lives as long as
// the process. All functions may be called from any thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/foundation/Url.h"

namespace platform::media {

using SystemSoundID = std::uint32_t;

class SystemSound {
 public:
  using PlayObserver = std::function<void(const std::string& fileName, bool vibrate)>;
  using VibrationObserver = std::function<void()>;

  // Registers a WAV file given as a file system path or as "file:" URL
  // text. Returns a new non-zero identifier, or 0 when the file is
  // missing, is not a WAV that SDL can read, is larger than 64 MiB or
  // longer than 30 seconds, or the URL is not a file URL. The first
  // registration opens the audio device.
  static SystemSoundID AudioServicesCreateSystemSoundID(std::string_view fileUrlOrPath);
  static SystemSoundID AudioServicesCreateSystemSoundID(const Url& fileURL);

  // Plays the sound without vibration.
  static void AudioServicesPlaySystemSound(SystemSoundID soundID);
  // Plays the sound and vibrates.
  static void AudioServicesPlayAlertSound(SystemSoundID soundID);
  // Stops the sound if it is playing and forgets it; its identifier is
  // never handed out again.
  static void AudioServicesDisposeSystemSoundID(SystemSoundID soundID);

  // An empty function removes the observer.
  static void setPlayObserver(PlayObserver observer);
  static void setVibrationObserver(VibrationObserver observer);

  // With false, no audio device is opened (an open one is closed) and
  // sounds play only to the observers: for headless runs that must stay
  // silent on a desktop. True (the default) lets the device open again.
  static void setAudioOutputEnabled(bool enabled);
  // Whether sounds currently reach an audio device.
  static bool isAudioOutputOpen();

 private:
  static void play(SystemSoundID soundID, bool vibrate);
};

}  // namespace platform::media
