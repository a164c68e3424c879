#include "platform/graphics/TextLimit.h"

#include <pango/pango.h>

#include <vector>

namespace platform::graphics {

namespace {

constexpr gunichar kReplacementCharacter = 0xFFFD;

// The first `count` code points of `text` as valid UTF-8, with the byte
// offset at which each one starts; `complete` tells whether that was all
// of the text.
struct Head {
  std::string text;
  std::vector<std::size_t> offsets;
  bool complete = false;
};

Head headOf(std::string_view text, std::size_t count) {
  Head head;
  std::size_t at = 0;
  while (at < text.size() && head.offsets.size() < count) {
    const gunichar code = g_utf8_get_char_validated(text.data() + at, static_cast<gssize>(text.size() - at));
    std::size_t length = 1;
    gunichar kept = kReplacementCharacter;
    if (code != static_cast<gunichar>(-1) && code != static_cast<gunichar>(-2) && code != 0) {
      kept = code;
      length = static_cast<std::size_t>(g_utf8_skip[static_cast<unsigned char>(text[at])]);
    }
    head.offsets.push_back(head.text.size());
    char encoded[6];
    head.text.append(encoded, static_cast<std::size_t>(g_unichar_to_utf8(kept, encoded)));
    at += length;
  }
  head.complete = at >= text.size();
  return head;
}

}  // namespace

std::string TextLimit::apply(std::string_view text) const {
  // One code point beyond the limit tells whether the limit itself falls
  // between two clusters.
  Head head = headOf(text, characters + 1);
  const std::size_t count = head.offsets.size();
  if (head.complete && count <= characters && count <= clusters) {
    return head.text;
  }
  std::vector<PangoLogAttr> attributes(count + 1);
  pango_get_log_attrs(head.text.data(), static_cast<int>(head.text.size()), -1, pango_language_from_string("en"),
                      attributes.data(), static_cast<int>(attributes.size()));
  // Cursor positions are the cluster boundaries; the end of the whole text
  // is one, the end of a head cut short is not known to be.
  std::size_t kept = 0;
  std::size_t clustersKept = 0;
  for (std::size_t position = 1; position <= count && position <= characters; ++position) {
    const bool boundary = position == count ? head.complete : attributes[position].is_cursor_position != 0;
    if (!boundary) continue;
    if (++clustersKept > clusters) break;
    kept = position;
  }
  return kept == count ? head.text : head.text.substr(0, head.offsets[kept]);
}

}  // namespace platform::graphics
