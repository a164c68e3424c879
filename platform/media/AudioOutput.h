#pragma once
// The process's one SDL audio device, opened lazily and kept open.
//
// Use: `AudioOutput::shared().start(clip)` from any thread; it returns at
// once and the clip plays on SDL's audio thread through the owned
// AudioMixer. The device is opened on the first `start` (or `open`) in the
// fixed format of SoundClip; SDL converts to whatever the hardware wants.
// If no device can be opened (a headless machine with no sound server, or
// a driver that does not exist), the output stays closed, the failure is
// remembered so that later calls do not retry, one log line says that sound
// is off and why (the sound drivers' own messages are kept quiet), and
// `start` plays nothing. SDL picks the driver itself; SDL_AUDIODRIVER forces one
// ("dummy" for silence, "disk" with SDL_DISKAUDIOFILE to record the
// stream to a file).
//
// Ownership: the shared instance is never destroyed, because SDL's audio
// thread may still call into it while the process exits. Clips are held
// by the voices only while they play.

#include <SDL.h>

#include <cstddef>
#include <memory>
#include <mutex>

#include "platform/media/AudioMixer.h"
#include "platform/media/SoundClip.h"

namespace platform::media {

class AudioOutput {
 public:
  static AudioOutput& shared();

  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Opens the device unless it is open, disabled or has already failed.
  // Returns whether it is open now.
  bool open();
  bool isOpen();

  // Disabling closes an open device (dropping what is playing) and keeps
  // it closed; enabling allows the next `open` or `start` to try again.
  void setEnabled(bool enabled);

  void start(std::shared_ptr<const SoundClip> clip);
  void stop(const SoundClip* clip);
  std::size_t activeVoiceCount();

 private:
  AudioOutput() = default;

  static void SDLCALL fillBuffer(void* userdata, Uint8* stream, int length);
  bool openLocked();
  static void reportSoundOff();

  // Guards the fields below against concurrent callers on the app's side;
  // the mixer itself is shared with the audio thread and is touched only
  // with the device locked (SDL_LockAudioDevice), or while it is closed.
  std::mutex mutex_;
  SDL_AudioDeviceID device_ = 0;
  bool attempted_ = false;
  bool enabled_ = true;
  AudioMixer mixer_;
};

}  // namespace platform::media
