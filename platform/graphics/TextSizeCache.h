#pragma once
// Remembers the sizes of the last texts measured, because the app measures
// the same few strings again and again: a banner's texts at every layout,
// an alert's title and message each time the same ad offers its call,
// button titles. Laying a paragraph out with Pango costs tens of
// microseconds; a lookup costs a hash.
//
// How to use: find() before measuring, remember() after. An answer is only
// given for the font map generation it was measured under (Pango's font map
// serial), so new font rules make every remembered size stale. Texts longer
// than kMaximumTextBytes are never remembered, and at most kMaximumEntries
// are kept (the least recently used goes first), so hostile texts cannot
// grow it.
//
// Ownership: a value type; StringDrawing keeps one for the main thread.

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/graphics/Size.h"
#include "platform/graphics/TextLayout.h"

namespace platform::graphics {

class Font;

class TextSizeCache {
 public:
  static constexpr std::size_t kMaximumEntries = 128;
  static constexpr std::size_t kMaximumTextBytes = 2048;

  std::optional<Size> find(std::string_view text, const Font& font, const TextLayout::Constraints& constraints,
                           unsigned fontMapSerial);
  void remember(std::string_view text, const Font& font, const TextLayout::Constraints& constraints,
                unsigned fontMapSerial, Size size);
  std::size_t size() const { return entries_.size(); }

 private:
  using Order = std::list<std::string>;
  struct Entry {
    Size size;
    unsigned fontMapSerial = 0;
    Order::iterator position;
  };
  static std::string keyOf(std::string_view text, const Font& font, const TextLayout::Constraints& constraints);

  std::unordered_map<std::string, Entry> entries_;
  Order order_;  // most recently used first
};

}  // namespace platform::graphics
