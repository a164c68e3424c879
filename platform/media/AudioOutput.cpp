#include "platform/media/AudioOutput.h"

#include <cstdint>
#include <string>
#include <utility>

#include "platform/foundation/Log.h"
#include "platform/media/AlsaErrorHandler.h"

namespace platform::media {

AudioOutput& AudioOutput::shared() {
  static AudioOutput* const instance = new AudioOutput();
  return *instance;
}

void SDLCALL AudioOutput::fillBuffer(void* userdata, Uint8* stream, int length) {
  auto* self = static_cast<AudioOutput*>(userdata);
  // SDL holds the device lock while it calls us, so the mixer is ours here.
  self->mixer_.render(reinterpret_cast<std::int16_t*>(stream),
                      static_cast<std::size_t>(length) / sizeof(std::int16_t));
}

bool AudioOutput::openLocked() {
  if (device_ != 0) {
    return true;
  }
  if (!enabled_ || attempted_) {
    return false;
  }
  attempted_ = true;
  // The app's own loop (or GTK's) handles SIGINT and SIGTERM; SDL must not.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // ALSA would print its own error lines for a machine without a sound
  // card; we say it once, below.
  AlsaErrorHandler::install();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    reportSoundOff();
    return false;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = SoundClip::kSampleRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = SoundClip::kChannels;
  wanted.samples = 1024;
  wanted.callback = &AudioOutput::fillBuffer;
  wanted.userdata = this;
  // No allowed changes: SDL converts from our format to the hardware's, so
  // the mixer and every clip stay in the one format of SoundClip.
  SDL_AudioSpec obtained{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    reportSoundOff();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void AudioOutput::reportSoundOff() {
  // Once per attempt, and an attempt is made once unless output is turned
  // off and on again: the user learns why there is no sound without a
  // screenful of driver messages.
  std::string why = SDL_GetError();
  if (why.empty()) why = "no audio device";
  if (const std::string alsa = AlsaErrorHandler::lastMessage(); !alsa.empty() && why.find("ALSA") == std::string::npos) {
    why += "; ALSA: " + alsa;
  }
  log("Sound is off: no audio device could be opened (" + why + ")");
}

bool AudioOutput::open() {
  std::lock_guard lock(mutex_);
  return openLocked();
}

bool AudioOutput::isOpen() {
  std::lock_guard lock(mutex_);
  return device_ != 0;
}

void AudioOutput::setEnabled(bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_ = enabled;
  if (enabled) {
    attempted_ = false;
    return;
  }
  if (device_ != 0) {
    // Closing waits for the audio thread to end, so the mixer is ours
    // afterwards without the device lock.
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_ = 0;
    mixer_.stopAll();
  }
}

void AudioOutput::start(std::shared_ptr<const SoundClip> clip) {
  std::lock_guard lock(mutex_);
  if (!openLocked()) {
    return;
  }
  SDL_LockAudioDevice(device_);
  mixer_.start(std::move(clip));
  SDL_UnlockAudioDevice(device_);
}

void AudioOutput::stop(const SoundClip* clip) {
  std::lock_guard lock(mutex_);
  if (device_ == 0) {
    return;
  }
  SDL_LockAudioDevice(device_);
  mixer_.stop(clip);
  SDL_UnlockAudioDevice(device_);
}

std::size_t AudioOutput::activeVoiceCount() {
  std::lock_guard lock(mutex_);
  if (device_ == 0) {
    return 0;
  }
  SDL_LockAudioDevice(device_);
  const std::size_t count = mixer_.activeVoiceCount();
  SDL_UnlockAudioDevice(device_);
  return count;
}

}  // namespace platform::media
