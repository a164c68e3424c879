#include "platform/media/SoundClip.h"

#include <SDL.h>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace platform::media {

namespace {

void setReason(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) {
    *whyNot = std::move(reason);
  }
}

struct WavBuffer {
  Uint8* bytes = nullptr;
  ~WavBuffer() { SDL_FreeWAV(bytes); }
};

}  // namespace

SoundClip::SoundClip(std::string fileName, std::vector<std::int16_t> samples)
    : fileName_(std::move(fileName)), samples_(std::move(samples)) {}

std::shared_ptr<const SoundClip> SoundClip::fromSamples(std::string fileName,
                                                        std::vector<std::int16_t> samples) {
  // A trailing half frame would make the voices read past a frame boundary.
  samples.resize(samples.size() - samples.size() % kChannels);
  return std::shared_ptr<const SoundClip>(new SoundClip(std::move(fileName), std::move(samples)));
}

std::shared_ptr<const SoundClip> SoundClip::loadFromFile(const std::string& path,
                                                         std::string* whyNot) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::is_regular_file(status)) {
    setReason(whyNot, "not a regular file: " + path);
    return nullptr;
  }
  const std::uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxFileBytes) {
    setReason(whyNot, "file too large: " + path);
    return nullptr;
  }

  SDL_AudioSpec format{};
  WavBuffer wav;
  Uint32 length = 0;
  if (SDL_LoadWAV(path.c_str(), &format, &wav.bytes, &length) == nullptr) {
    setReason(whyNot, std::string("not a readable WAV file: ") + SDL_GetError());
    return nullptr;
  }

  const int frameBytes = static_cast<int>(SDL_AUDIO_BITSIZE(format.format) / 8) * format.channels;
  if (frameBytes <= 0 || format.freq <= 0) {
    setReason(whyNot, "WAV file without a usable format: " + path);
    return nullptr;
  }
  const Uint32 frames = length / static_cast<Uint32>(frameBytes);
  if (static_cast<double>(frames) / format.freq > kMaxSeconds) {
    setReason(whyNot, "sound too long: " + path);
    return nullptr;
  }

  std::vector<std::int16_t> samples;
  if (frames > 0) {
    // One conversion of the whole buffer: unlike a streaming converter it
    // keeps the resampler's tail, so the sound is not cut short.
    SDL_AudioCVT cvt{};
    if (SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq, AUDIO_S16SYS, kChannels,
                          kSampleRate) < 0) {
      setReason(whyNot, std::string("cannot convert the sound: ") + SDL_GetError());
      return nullptr;
    }
    cvt.len = static_cast<int>(frames) * frameBytes;
    std::vector<Uint8> work(static_cast<std::size_t>(cvt.len) * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(work.data(), wav.bytes, static_cast<std::size_t>(cvt.len));
    cvt.buf = work.data();
    if (SDL_ConvertAudio(&cvt) != 0) {
      setReason(whyNot, std::string("cannot convert the sound: ") + SDL_GetError());
      return nullptr;
    }
    samples.resize(static_cast<std::size_t>(cvt.len_cvt) / sizeof(std::int16_t));
    std::memcpy(samples.data(), work.data(), samples.size() * sizeof(std::int16_t));
  }
  return fromSamples(fs::path(path).filename().string(), std::move(samples));
}

}  // namespace platform::media
