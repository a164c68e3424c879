#pragma once
// One registered sound, decoded from its WAV file and converted once, at
// load time, to the mixer's fixed output format (signed 16-bit, native byte
// order, interleaved stereo at 44100 Hz). Immutable after loading, so the
// audio thread may read it while the main thread holds it too; shared by
// std::shared_ptr between the registry and the voices that play it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::media {

class SoundClip {
 public:
  // The format every clip is converted to and the mixer renders in.
  static constexpr int kSampleRate = 44100;
  static constexpr int kChannels = 2;

  // Files larger than this are refused before they are read, and sounds
  // longer than this are refused after decoding: system sounds are short
  // alerts, and the limits keep a hostile or mistaken file from taking
  // the process's memory.
  static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024u * 1024u;
  static constexpr double kMaxSeconds = 30.0;

  // Reads and converts the WAV file at `path`. Returns nullptr when the
  // file is missing, is not a regular file, is too large or too long, or
  // is not a WAV that SDL can decode; `whyNot`, when given, then receives
  // a one-line reason.
  static std::shared_ptr<const SoundClip> loadFromFile(const std::string& path,
                                                       std::string* whyNot = nullptr);

  // Builds a clip from samples already in the output format (interleaved
  // stereo). Used by the mixer's own tests and for generated sounds.
  static std::shared_ptr<const SoundClip> fromSamples(std::string fileName,
                                                      std::vector<std::int16_t> samples);

  // The last component of the file's path, e.g. "Phrase.wav".
  const std::string& fileName() const { return fileName_; }
  // Interleaved samples, kChannels per frame.
  const std::vector<std::int16_t>& samples() const { return samples_; }
  std::size_t frameCount() const { return samples_.size() / kChannels; }
  double durationSeconds() const { return static_cast<double>(frameCount()) / kSampleRate; }

 private:
  SoundClip(std::string fileName, std::vector<std::int16_t> samples);

  std::string fileName_;
  std::vector<std::int16_t> samples_;
};

}  // namespace platform::media
