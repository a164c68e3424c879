#pragma once
// Mixes the sounds that are playing into one stream of output samples.
//
// The mixer does no locking of its own: AudioOutput owns one and calls
// `render` from SDL's audio thread, and `start` / `stop` from the main
// thread with the audio device locked. Each started sound is a voice that
// holds its clip by shared_ptr and plays from the start to the end once;
// the same clip may play in several voices at a time (quick presses
// overlap instead of cutting each other off).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/media/SoundClip.h"

namespace platform::media {

class AudioMixer {
 public:
  // Beyond this many voices the oldest one is dropped to make room, so
  // that a finger drumming on a button cannot pile up work for the audio
  // thread.
  static constexpr std::size_t kMaxVoices = 16;

  AudioMixer();

  void start(std::shared_ptr<const SoundClip> clip);
  // Ends every voice playing `clip` at once.
  void stop(const SoundClip* clip);
  void stopAll();
  std::size_t activeVoiceCount() const { return voices_.size(); }

  // Writes `sampleCount` interleaved samples (SoundClip::kChannels per
  // frame): the saturated sum of all voices, silence where none plays.
  // Voices that reach their end are removed. Allocates nothing, so it is
  // safe on the audio thread.
  void render(std::int16_t* out, std::size_t sampleCount);

 private:
  struct Voice {
    std::shared_ptr<const SoundClip> clip;
    std::size_t position = 0;  // next sample index into clip->samples()
  };

  std::vector<Voice> voices_;
};

}  // namespace platform::media
