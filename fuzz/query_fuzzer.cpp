// Fuzzes the canvas bridge's query parser with the text a page puts after
// "pennant://launch?". What must hold for any input:
// - every name is non-empty and every name and value is ASCII, as the
//   percent-decoding for ASCII promises;
// - there are never more arguments than "&"-separated pieces;
// - the arguments joined again into a query (each name and value escaped,
//   so no "&", "=" or "%" in them changes the query's shape) parse to the
//   same arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ads/destinations/PennantCanvasWebView.h"
#include "fuzz/FuzzCheck.h"
#include "platform/foundation/PercentEscapes.h"

namespace {

using pennant::PennantCanvasWebView;
using platform::PercentEscapes;
using platform::StringEncoding;

bool isASCII(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string escaped(std::string_view text) {
  const auto escapedText = PercentEscapes::addingPercentEscapes(text, StringEncoding::ASCII, "&=%#");
  fuzz::check(escapedText.has_value(), "a decoded name or value escapes for ASCII");
  return *escapedText;
}

std::string joined(const PennantCanvasWebView::QueryDictionary& arguments) {
  std::string query;
  for (const auto& [name, value] : arguments) {
    if (!query.empty()) query += '&';
    query += escaped(name) + "=" + escaped(value);
  }
  return query;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view query(reinterpret_cast<const char*>(data), size);
  const auto arguments = PennantCanvasWebView::dictionaryWithQueryString(query);

  std::size_t pieces = 1;
  for (const char c : query) pieces += c == '&';
  fuzz::check(arguments.size() <= pieces, "no more arguments than pieces");
  for (const auto& [name, value] : arguments) {
    fuzz::check(!name.empty(), "every argument has a name");
    fuzz::check(isASCII(name) && isASCII(value), "names and values are ASCII");
  }
  fuzz::check(PennantCanvasWebView::dictionaryWithQueryString(joined(arguments)) == arguments,
              "a query re-joined from its arguments parses to the same arguments");
  return 0;
}
