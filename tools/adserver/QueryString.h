#pragma once
// The query part of a request target, split into its name/value pairs in the
// order they came.
//
// The ad library escapes spaces and other unsafe characters as "%XX" but
// leaves "+", "&" and "=" as they are, so "+" is kept literally here (it is
// not the form-encoding space) and a value holding "&" simply shows up as
// further pairs, exactly as the library sent them. An escape that is not "%"
// and two hex digits is kept as written rather than dropped, because the log
// should show what arrived.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pennant::adserver {

class QueryString {
 public:
  using Pair = std::pair<std::string, std::string>;

  // Splits at "&"; each piece is a name and a value joined by the first "=".
  // A piece without "=" is a name with the empty value; empty pieces are
  // skipped. Names and values are percent-decoded.
  static QueryString parse(std::string_view query);

  // The query part of a request target ("/path?query"), empty without "?".
  static std::string_view queryOfTarget(std::string_view target);

  static std::string percentDecode(std::string_view text);

  const std::vector<Pair>& pairs() const { return pairs_; }
  // The last value given for the name, as the library's own query reader
  // lets a later piece win.
  std::optional<std::string> value(std::string_view name) const;

 private:
  std::vector<Pair> pairs_;
};

}  // namespace pennant::adserver
