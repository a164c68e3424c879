#pragma once
// What text from outside may cost on its way to the text layout. Laying out
// text costs more than in proportion to its length (500,000 spaces, or one
// letter under 200,000 accents, take minutes), so text that a server or a
// file supplies is cut before layout to what its place on the screen can
// show: at most `characters` code points and at most `clusters` grapheme
// clusters (what a reader takes for one character: a letter with its
// accents, an emoji sequence). The cut never falls inside a cluster; a
// cluster that does not fit whole is left out with everything after it.
// Applying a limit costs time in proportion to the limit, not to the text.
//
// Use it wherever such text reaches Pango, with the limit of the text's
// role. Today: the banner's ad text (kBannerText), the localizer's
// translations (kStringsTableValue), navigation titles and bar buttons
// (kTitle), and the texts of alerts and action sheets (PopupText, with a
// limit of its own from the size of their boxes). The embedded browser's
// page titles (kTitle) and messages (kMessage) are to call it the same way:
//
//   label->setText(TextLimit::kMessage.apply(textFromTheServer));
//
// Bytes that are not UTF-8, and NUL, come out as U+FFFD, as the layout
// shows them. Text within the limits comes back unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::graphics {

class TextLimit {
 public:
  std::size_t characters;
  std::size_t clusters;

  std::string apply(std::string_view text) const;

  // Three lines of about 227 points in 13-point bold hold fewer than 200 of
  // the narrowest glyphs; room is left for a few marks on each.
  static const TextLimit kBannerText;
  // One line across the screen (a navigation bar's title, a button).
  static const TextLimit kTitle;
  // A few lines of an alert or a page's message.
  static const TextLimit kMessage;
  // A translation of one of the library's short texts.
  static const TextLimit kStringsTableValue;
};

inline constexpr TextLimit TextLimit::kBannerText{1024, 256};
inline constexpr TextLimit TextLimit::kTitle{512, 128};
inline constexpr TextLimit TextLimit::kMessage{2048, 512};
inline constexpr TextLimit TextLimit::kStringsTableValue{1024, 256};

}  // namespace platform::graphics
