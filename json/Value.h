#pragma once
// One value of a JSON document: the null marker, a boolean, a number (a
// double, integers too), a string, an array or a dictionary.
//
// Values live in the arena of the Document that the reader built them in and
// are handed out as std::shared_ptr<const Value> that share ownership of the
// whole document; raw pointers and views from a value (objectForKey(),
// elements(), wtf8()) stay valid as long as any such pointer is held.
// Values are immutable and only the reader makes them.
//
// Strings are stored as WTF-8 so that they keep their UTF-16 code units
// exactly: valid UTF-8, except that a lone surrogate from a \u escape is kept
// in its 3-byte form; a surrogate pair is one 4-byte sequence, so "\ud83d\ude00"
// and the literal emoji give the same bytes. wtf8() exposes that form;
// string() and stringForKey() give plain UTF-8 with each lone surrogate
// replaced by U+FFFD; utf16() gives the code units.
//
// Reading with the *ForKey() helpers treats absent and wrong-typed values
// alike: nullptr or nullopt. objectForKey() tells absent (nullptr) from a
// JSON null (a Value whose isNull() is true). Dictionaries hold each key
// once, the last occurrence in the text winning; their members are in no
// particular order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace json {

struct Member;

class Value {
 public:
  enum class Type : std::uint8_t { Null, Boolean, Number, String, Array, Dictionary };

  Value() = default;  // the null marker

  Type type() const { return static_cast<Type>(bits_ & kTypeMask); }
  bool isNull() const { return type() == Type::Null; }
  bool isBoolean() const { return type() == Type::Boolean; }
  bool isNumber() const { return type() == Type::Number; }
  bool isString() const { return type() == Type::String; }
  bool isArray() const { return type() == Type::Array; }
  bool isDictionary() const { return type() == Type::Dictionary; }

  std::optional<bool> boolValue() const {
    return isBoolean() ? std::optional<bool>(payload_.boolean) : std::nullopt;
  }
  std::optional<double> numberValue() const {
    return isNumber() ? std::optional<double>(payload_.number) : std::nullopt;
  }
  // The WTF-8 bytes of a string; empty for any other type.
  std::string_view wtf8() const { return isString() ? std::string_view(payload_.chars, count()) : std::string_view(); }
  std::optional<std::string> stringValue() const;
  std::u16string utf16() const;

  // Elements of an array, members of a dictionary, 0 for the rest.
  std::size_t size() const { return isArray() || isDictionary() ? count() : 0; }
  std::span<const Value> elements() const;
  std::span<const Member> members() const;
  const Value* at(std::size_t index) const;

  const Value* objectForKey(std::string_view key) const;
  std::optional<std::string> stringForKey(std::string_view key) const;
  const Value* dictionaryForKey(std::string_view key) const;
  const Value* arrayForKey(std::string_view key) const;
  std::optional<double> numberForKey(std::string_view key) const;
  std::optional<bool> boolForKey(std::string_view key) const;

 private:
  friend class JSONScanner;

  static constexpr std::uint64_t kTypeMask = 0x7;
  static constexpr std::uint64_t kSortedFlag = 0x8;  // members sorted by key
  static constexpr int kCountShift = 4;

  std::size_t count() const { return static_cast<std::size_t>(bits_ >> kCountShift); }
  bool sorted() const { return (bits_ & kSortedFlag) != 0; }

  static Value makeBoolean(bool b) {
    Value v;
    v.bits_ = static_cast<std::uint64_t>(Type::Boolean);
    v.payload_.boolean = b;
    return v;
  }
  static Value makeNumber(double d) {
    Value v;
    v.bits_ = static_cast<std::uint64_t>(Type::Number);
    v.payload_.number = d;
    return v;
  }
  static Value makeString(const char* chars, std::size_t size) {
    Value v;
    v.bits_ = (static_cast<std::uint64_t>(size) << kCountShift) | static_cast<std::uint64_t>(Type::String);
    v.payload_.chars = chars;
    return v;
  }
  static Value makeArray(const Value* elements, std::size_t size) {
    Value v;
    v.bits_ = (static_cast<std::uint64_t>(size) << kCountShift) | static_cast<std::uint64_t>(Type::Array);
    v.payload_.elements = elements;
    return v;
  }
  static Value makeDictionary(const Member* members, std::size_t size, bool sortedByKey) {
    Value v;
    v.bits_ = (static_cast<std::uint64_t>(size) << kCountShift) | static_cast<std::uint64_t>(Type::Dictionary) |
              (sortedByKey ? kSortedFlag : 0);
    v.payload_.members = members;
    return v;
  }

  // Type in the low bits, the sorted flag, and the byte or element count.
  std::uint64_t bits_ = 0;
  union Payload {
    bool boolean;
    double number;
    const char* chars;
    const Value* elements;
    const Member* members;
  } payload_{.number = 0.0};
};

// One key and its value. The key is a string Value (WTF-8).
struct Member {
  Value key;
  Value value;
};

}  // namespace json
