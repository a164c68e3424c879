#pragma once
// Helpers for the media tests: a temporary folder removed at the end of
// the test, and a writer for small PCM WAV files, so every test makes the
// exact sound it needs.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace platform::media::testing {

class MediaTestFolder {
 public:
  MediaTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "media-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~MediaTestFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  MediaTestFolder(const MediaTestFolder&) = delete;
  MediaTestFolder& operator=(const MediaTestFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void putLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

// Writes a canonical PCM WAV file with the given raw sample bytes.
inline void writeWavBytes(const std::string& path, int sampleRate, int channels,
                          int bitsPerSample, const std::vector<std::uint8_t>& data) {
  std::ofstream out(path, std::ios::binary);
  const auto blockAlign = static_cast<std::uint32_t>(channels * bitsPerSample / 8);
  out.write("RIFF", 4);
  putLittleEndian(out, 36 + static_cast<std::uint32_t>(data.size()), 4);
  out.write("WAVEfmt ", 8);
  putLittleEndian(out, 16, 4);
  putLittleEndian(out, 1, 2);  // PCM
  putLittleEndian(out, static_cast<std::uint32_t>(channels), 2);
  putLittleEndian(out, static_cast<std::uint32_t>(sampleRate), 4);
  putLittleEndian(out, static_cast<std::uint32_t>(sampleRate) * blockAlign, 4);
  putLittleEndian(out, blockAlign, 2);
  putLittleEndian(out, static_cast<std::uint32_t>(bitsPerSample), 2);
  out.write("data", 4);
  putLittleEndian(out, static_cast<std::uint32_t>(data.size()), 4);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// 16-bit mono samples of a sine wave.
inline std::vector<std::int16_t> sineSamples(double frequency, double seconds, int sampleRate,
                                             double amplitude) {
  const auto count = static_cast<std::size_t>(std::lround(seconds * sampleRate));
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    samples[i] = static_cast<std::int16_t>(
        std::lround(amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * frequency * t)));
  }
  return samples;
}

inline void writeWav16Mono(const std::string& path, int sampleRate,
                           const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> data;
  data.reserve(samples.size() * 2);
  for (std::int16_t s : samples) {
    const auto u = static_cast<std::uint16_t>(s);
    data.push_back(static_cast<std::uint8_t>(u & 0xFF));
    data.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  writeWavBytes(path, sampleRate, 1, 16, data);
}

}  // namespace platform::media::testing
