#include "json/Value.h"

#include <algorithm>

#include "json/Utf8.h"

namespace json {

std::optional<std::string> Value::stringValue() const {
  if (!isString()) return std::nullopt;
  return Utf8::wtf8ToUtf8(wtf8());
}

std::u16string Value::utf16() const { return Utf8::wtf8ToUtf16(wtf8()); }

std::span<const Value> Value::elements() const {
  if (!isArray()) return {};
  return {payload_.elements, count()};
}

std::span<const Member> Value::members() const {
  if (!isDictionary()) return {};
  return {payload_.members, count()};
}

const Value* Value::at(std::size_t index) const {
  if (!isArray() || index >= count()) return nullptr;
  return payload_.elements + index;
}

const Value* Value::objectForKey(std::string_view key) const {
  if (!isDictionary()) return nullptr;
  const Member* first = payload_.members;
  const Member* last = first + count();
  if (sorted()) {
    const Member* found =
        std::lower_bound(first, last, key, [](const Member& m, std::string_view k) { return m.key.wtf8() < k; });
    return found != last && found->key.wtf8() == key ? &found->value : nullptr;
  }
  for (const Member* m = first; m != last; ++m) {
    if (m->key.wtf8() == key) return &m->value;
  }
  return nullptr;
}

std::optional<std::string> Value::stringForKey(std::string_view key) const {
  const Value* v = objectForKey(key);
  return v ? v->stringValue() : std::nullopt;
}

const Value* Value::dictionaryForKey(std::string_view key) const {
  const Value* v = objectForKey(key);
  return v && v->isDictionary() ? v : nullptr;
}

const Value* Value::arrayForKey(std::string_view key) const {
  const Value* v = objectForKey(key);
  return v && v->isArray() ? v : nullptr;
}

std::optional<double> Value::numberForKey(std::string_view key) const {
  const Value* v = objectForKey(key);
  return v ? v->numberValue() : std::nullopt;
}

std::optional<bool> Value::boolForKey(std::string_view key) const {
  const Value* v = objectForKey(key);
  return v ? v->boolValue() : std::nullopt;
}

}  // namespace json
