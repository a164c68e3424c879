#pragma once
// How text is broken into lines and aligned within its box, with the
// platform's values (labels and table cells store them as numbers).

namespace platform::graphics {

enum class LineBreakMode {
  WordWrap = 0,       // at word boundaries; a word wider than the box breaks between characters
  CharacterWrap = 1,  // between any two characters
  Clip = 2,           // no wrapping; what does not fit is cut off
  HeadTruncation = 3, // the last line that fits shows "…" in place of its start
  TailTruncation = 4, // ... of its end
  MiddleTruncation = 5,
};

enum class TextAlignment {
  Left = 0,
  Center = 1,
  Right = 2,
};

}  // namespace platform::graphics
