#pragma once
// A cursor over an immutable, shared buffer of bytes.
//
// How to use it: make one with scannerWithData(), then call scanning steps.
// Every step either matches, moves the cursor past the match and returns
// true, or returns false and changes nothing (cursor and out-parameters).
// Out-parameters may be null: the cursor still moves on success.
//
// Ownership: the scanner shares the buffer (it never copies or writes it);
// the caller may drop its own reference at once. Strings handed back are new
// values. A "character" is one byte; runs are decoded as strict UTF-8 only
// when they are handed back, and a run that is not valid UTF-8 is handed back
// as nullopt while the step still succeeds.
//
// JSONScanner is the one subclass; the hot steps are inline and non-virtual.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json/CharacterSet.h"
#include "json/WhitespaceRun.h"

namespace json {

class ByteScanner {
 public:
  using Data = std::shared_ptr<const std::vector<std::uint8_t>>;

  ByteScanner();
  virtual ~ByteScanner() = default;
  ByteScanner(const ByteScanner&) = delete;
  ByteScanner& operator=(const ByteScanner&) = delete;

  static std::shared_ptr<ByteScanner> scannerWithData(Data data);
  // A shared buffer holding a copy of the bytes, for callers that hold text.
  static Data dataWithBytes(std::string_view bytes);

  const Data& data() const { return data_; }
  // The very buffer already held keeps the cursor; another one (or null,
  // which empties the scanner) resets it to the start.
  virtual void setData(Data data);

  std::size_t scanLocation() const { return static_cast<std::size_t>(current_ - start_); }
  // Restores a location read from scanLocation(). A location past the end is
  // clamped to the end so that no later step can read outside the buffer.
  void setScanLocation(std::size_t location) {
    current_ = start_ + (location < length_ ? location : length_);
  }
  bool isAtEnd() const { return scanLocation() >= length_; }

  // The byte at the cursor, 0 at the end.
  std::uint8_t currentCharacter() const { return current_ < end_ ? *current_ : 0; }
  // The byte at the cursor and one step forward; 0 and no move at the end.
  std::uint8_t scanCharacter() { return current_ < end_ ? *current_++ : 0; }
  // A character above 255 never matches.
  bool scanCharacter(char16_t character) {
    if (current_ < end_ && character < 256 && *current_ == character) {
      ++current_;
      return true;
    }
    return false;
  }

  bool scanUTF8StringIntoString(const char* text, std::optional<std::string>* intoString);
  bool scanStringIntoString(std::string_view string, std::optional<std::string>* intoString);
  bool scanCharactersFromSetIntoString(const CharacterSet& set, std::optional<std::string>* intoString);
  bool scanUpToCharactersFromSetIntoString(const CharacterSet& set, std::optional<std::string>* intoString);
  // The search covers the bytes up to the end or the first zero byte.
  bool scanUpToStringIntoString(std::string_view string, std::optional<std::string>* intoString);
  // A run of doubleCharacters() read as a double (see readLeadingDouble).
  bool scanNumber(double* number);

  void skipWhitespace() {
    // Most calls land on a token at once; only an actual run takes the
    // word-at-a-time search.
    if (current_ < end_ && isWhitespace(*current_)) current_ = WhitespaceRun::skip(current_ + 1, end_);
  }

  // The bytes from the cursor to the end, nullopt when not valid UTF-8.
  std::optional<std::string> remainingString() const;

  const std::shared_ptr<const CharacterSet>& doubleCharacters() const { return doubleCharacters_; }
  void setDoubleCharacters(std::shared_ptr<const CharacterSet> set);

  // Below 0x80 the C library's space characters; above, whatever the
  // current C locale classifies as space (none in the default locale).
  static bool isWhitespace(std::uint8_t byte) { return WhitespaceRun::isWhitespace(byte); }

  // The longest leading part of [begin, end) that reads as a decimal number
  // (optional minus, digits, optional fraction, optional exponent), or 0.
  // Independent of the C locale; overflow gives +-infinity, underflow +-0.
  static double readLeadingDouble(const std::uint8_t* begin, const std::uint8_t* end);

 protected:
  const std::uint8_t* runEndInSet(const CharacterSet& set) const {
    const std::uint8_t* p = current_;
    while (p < end_ && set.contains(*p)) ++p;
    return p;
  }
  // The end of the run of doubleCharacters() at the cursor (the cursor
  // itself when there is none or no set), with the run's value. The one-pass
  // reading serves only the scanner's own default set: a set put in its
  // place, even one with the same members, takes the general path.
  const std::uint8_t* numberRunEnd(double& value) const;

  Data data_;
  const std::uint8_t* start_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  const std::uint8_t* current_ = nullptr;
  std::size_t length_ = 0;
  std::shared_ptr<const CharacterSet> doubleCharacters_;
  bool defaultDoubleCharacters_ = true;
};

}  // namespace json
