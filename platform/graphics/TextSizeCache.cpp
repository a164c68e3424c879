#include "platform/graphics/TextSizeCache.h"

#include <cstring>

#include "platform/graphics/Font.h"

namespace platform::graphics {

namespace {

void appendNumber(std::string& key, double value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  key.append(bytes, sizeof bytes);
}

}  // namespace

std::string TextSizeCache::keyOf(std::string_view text, const Font& font, const TextLayout::Constraints& constraints) {
  // Everything that decides the size, in fixed-width fields, then the text:
  // no two different measurements share a key.
  std::string key;
  key.reserve(64 + font.fontName().size() + text.size());
  appendNumber(key, font.pointSize());
  appendNumber(key, constraints.width.value_or(-1));
  appendNumber(key, constraints.height.value_or(-1));
  key += static_cast<char>(constraints.width.has_value());
  key += static_cast<char>(constraints.height.has_value());
  key += static_cast<char>(constraints.lineBreakMode);
  key += static_cast<char>(constraints.alignment);
  key += static_cast<char>(constraints.singleLine);
  appendNumber(key, static_cast<double>(font.fontName().size()));
  key += font.fontName();
  key += text;
  return key;
}

std::optional<Size> TextSizeCache::find(std::string_view text, const Font& font,
                                        const TextLayout::Constraints& constraints, unsigned fontMapSerial) {
  if (text.size() > kMaximumTextBytes) return std::nullopt;
  const auto found = entries_.find(keyOf(text, font, constraints));
  if (found == entries_.end() || found->second.fontMapSerial != fontMapSerial) return std::nullopt;
  order_.splice(order_.begin(), order_, found->second.position);
  return found->second.size;
}

void TextSizeCache::remember(std::string_view text, const Font& font, const TextLayout::Constraints& constraints,
                             unsigned fontMapSerial, Size size) {
  if (text.size() > kMaximumTextBytes) return;
  std::string key = keyOf(text, font, constraints);
  if (auto found = entries_.find(key); found != entries_.end()) {
    found->second.size = size;
    found->second.fontMapSerial = fontMapSerial;
    order_.splice(order_.begin(), order_, found->second.position);
    return;
  }
  order_.push_front(key);
  entries_.emplace(std::move(key), Entry{size, fontMapSerial, order_.begin()});
  while (entries_.size() > kMaximumEntries) {
    entries_.erase(order_.back());
    order_.pop_back();
  }
}

}  // namespace platform::graphics
