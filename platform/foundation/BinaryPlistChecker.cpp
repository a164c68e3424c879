#include "platform/foundation/BinaryPlistChecker.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

std::optional<std::uint64_t> readBigEndian(std::string_view bytes, std::uint64_t at,
                                           std::size_t width) {
  if (width == 0 || width > 8 || at > bytes.size() || bytes.size() - at < width) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (std::size_t k = 0; k < width; ++k) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + k]);
  }
  return value;
}

}  // namespace

bool BinaryPlistChecker::isWithinLimits(std::string_view bytes, int maxDepth,
                                        std::size_t maxObjects) {
  if (bytes.size() < kHeaderSize + kTrailerSize) {
    return false;
  }
  const std::uint64_t trailer = bytes.size() - kTrailerSize;
  const std::size_t offsetSize = static_cast<std::uint8_t>(bytes[trailer + 6]);
  const std::size_t referenceSize = static_cast<std::uint8_t>(bytes[trailer + 7]);
  const auto objectCount = readBigEndian(bytes, trailer + 8, 8);
  const auto topObject = readBigEndian(bytes, trailer + 16, 8);
  const auto tableOffset = readBigEndian(bytes, trailer + 24, 8);
  if (!objectCount || !topObject || !tableOffset || offsetSize == 0 || offsetSize > 8 ||
      referenceSize == 0 || referenceSize > 8 || *topObject >= *objectCount ||
      *tableOffset > trailer || (trailer - *tableOffset) / offsetSize < *objectCount) {
    return false;
  }

  auto objectStart = [&](std::uint64_t index) -> std::optional<std::uint64_t> {
    const auto offset = readBigEndian(bytes, *tableOffset + index * offsetSize, offsetSize);
    if (!offset || *offset < kHeaderSize || *offset >= *tableOffset) {
      return std::nullopt;
    }
    return offset;
  };

  // The length that follows a marker whose low nibble is 0xF: an integer
  // object, marker 0x1n, 2^n bytes. `at` moves past it.
  auto extendedCount = [&](std::uint64_t& at) -> std::optional<std::uint64_t> {
    const auto intMarker = readBigEndian(bytes, at, 1);
    if (!intMarker || (*intMarker >> 4) != 0x1 || (*intMarker & 0x0F) > 3) {
      return std::nullopt;
    }
    const std::size_t width = std::size_t{1} << (*intMarker & 0x0F);
    const auto value = readBigEndian(bytes, at + 1, width);
    at += 1 + width;
    return value;
  };

  // Whether an object can be a dictionary key: a string, ASCII (0x5) or
  // UTF-16 (0x6), without a NUL. libplist aborts the process when it walks
  // a dictionary whose key holds a NUL. Each key object is looked at once,
  // however many dictionaries share it, so the cost stays linear.
  std::unordered_set<std::uint64_t> usableKeys;
  auto isUsableKey = [&](std::uint64_t index) {
    if (usableKeys.contains(index)) {
      return true;
    }
    const auto start = index < *objectCount ? objectStart(index) : std::nullopt;
    if (!start) {
      return false;
    }
    const auto marker = static_cast<std::uint8_t>(bytes[*start]);
    const unsigned kind = marker >> 4;
    if (kind != 0x5 && kind != 0x6) {
      return false;
    }
    std::uint64_t at = *start + 1;
    std::optional<std::uint64_t> length = marker & 0x0F;
    if (*length == 0x0F) {
      length = extendedCount(at);
    }
    const std::uint64_t unit = kind == 0x5 ? 1 : 2;
    if (!length || at > *tableOffset || (*tableOffset - at) / unit < *length) {
      return false;
    }
    for (std::uint64_t k = 0; k < *length; ++k) {
      if (bytes[at + k * unit] == '\0' && bytes[at + k * unit + unit - 1] == '\0') {
        return false;
      }
    }
    usableKeys.insert(index);
    return true;
  };

  // Depth-first walk with an explicit stack of (object, depth).
  std::vector<std::pair<std::uint64_t, int>> pending{{*topObject, 0}};
  std::size_t visited = 0;
  while (!pending.empty()) {
    const auto [index, depth] = pending.back();
    pending.pop_back();
    if (depth > maxDepth || ++visited > maxObjects || index >= *objectCount) {
      return false;
    }
    const auto start = objectStart(index);
    if (!start) {
      return false;
    }
    const auto marker = static_cast<std::uint8_t>(bytes[*start]);
    const unsigned kind = marker >> 4;
    // Arrays (0xA), sets (0xC) and dictionaries (0xD) hold references.
    if (kind != 0xA && kind != 0xC && kind != 0xD) {
      continue;
    }
    std::uint64_t count = marker & 0x0F;
    std::uint64_t references = *start + 1;
    if (count == 0x0F) {
      const auto value = extendedCount(references);
      if (!value) {
        return false;
      }
      count = *value;
    }
    const std::uint64_t referenceCount = kind == 0xD ? count * 2 : count;
    if (count > maxObjects || references > *tableOffset ||
        (*tableOffset - references) / referenceSize < referenceCount) {
      return false;
    }
    for (std::uint64_t k = 0; k < referenceCount; ++k) {
      const auto child = readBigEndian(bytes, references + k * referenceSize, referenceSize);
      if (!child) {
        return false;
      }
      // A dictionary's first `count` references are its keys.
      if (kind == 0xD && k < count && !isUsableKey(*child)) {
        return false;
      }
      pending.emplace_back(*child, depth + 1);
    }
    if (pending.size() > maxObjects) {
      return false;
    }
  }
  return true;
}

}  // namespace platform
