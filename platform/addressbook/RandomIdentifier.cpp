#include "platform/addressbook/RandomIdentifier.h"

#include <sys/random.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace platform::addressbook {

namespace {

constexpr std::size_t kUuidBytes = 16;
constexpr std::size_t kUuidVersionByte = 6;
constexpr std::size_t kUuidVariantByte = 8;

std::vector<unsigned char> randomBytes(std::size_t count) {
  std::vector<unsigned char> bytes(count);
  std::size_t filled = 0;
  while (filled < count) {
    const ssize_t got = ::getrandom(bytes.data() + filled, count - filled, 0);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  if (filled < count) {
    // Without the kernel's source, names only need to differ: mix a counter
    // into the clock.
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t state = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (++counter * 0x9E3779B97F4A7C15ULL);
    for (std::size_t i = filled; i < count; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      bytes[i] = static_cast<unsigned char>(state >> 56);
    }
  }
  return bytes;
}

std::string toHex(const std::vector<unsigned char>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

}  // namespace

std::string RandomIdentifier::hex(std::size_t bytes) { return toHex(randomBytes(bytes)); }

std::string RandomIdentifier::uuid() {
  auto bytes = randomBytes(kUuidBytes);
  bytes[kUuidVersionByte] = static_cast<unsigned char>((bytes[kUuidVersionByte] & 0x0F) | 0x40);
  bytes[kUuidVariantByte] = static_cast<unsigned char>((bytes[kUuidVariantByte] & 0x3F) | 0x80);
  const std::string digits = toHex(bytes);
  return digits.substr(0, 8) + "-" + digits.substr(8, 4) + "-" + digits.substr(12, 4) + "-" + digits.substr(16, 4) +
         "-" + digits.substr(20);
}

}  // namespace platform::addressbook
