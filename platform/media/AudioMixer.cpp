#include "platform/media/AudioMixer.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace platform::media {

AudioMixer::AudioMixer() {
  // Reserved up front so that removing voices on the audio thread never
  // reallocates.
  voices_.reserve(kMaxVoices + 1);
}

void AudioMixer::start(std::shared_ptr<const SoundClip> clip) {
  if (clip == nullptr || clip->samples().empty()) {
    return;
  }
  if (voices_.size() >= kMaxVoices) {
    voices_.erase(voices_.begin());
  }
  voices_.push_back(Voice{std::move(clip), 0});
}

void AudioMixer::stop(const SoundClip* clip) {
  std::erase_if(voices_, [clip](const Voice& voice) { return voice.clip.get() == clip; });
}

void AudioMixer::stopAll() { voices_.clear(); }

void AudioMixer::render(std::int16_t* out, std::size_t sampleCount) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int16_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int16_t>::max();
  for (std::size_t i = 0; i < sampleCount; ++i) {
    std::int32_t sum = 0;
    for (Voice& voice : voices_) {
      const std::vector<std::int16_t>& samples = voice.clip->samples();
      if (voice.position < samples.size()) {
        sum += samples[voice.position++];
      }
    }
    out[i] = static_cast<std::int16_t>(std::clamp(sum, kMin, kMax));
  }
  std::erase_if(voices_,
                [](const Voice& voice) { return voice.position >= voice.clip->samples().size(); });
}

}  // namespace platform::media
