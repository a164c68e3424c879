#include "tools/adserver/QueryString.h"

namespace pennant::adserver {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string QueryString::percentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string_view QueryString::queryOfTarget(std::string_view target) {
  const auto question = target.find('?');
  if (question == std::string_view::npos) return {};
  std::string_view query = target.substr(question + 1);
  // A fragment never belongs to the query; clients should not send one,
  // but a hand-written request might.
  const auto hash = query.find('#');
  return hash == std::string_view::npos ? query : query.substr(0, hash);
}

QueryString QueryString::parse(std::string_view query) {
  QueryString result;
  while (!query.empty()) {
    const auto amp = query.find('&');
    const std::string_view piece = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (piece.empty()) continue;
    const auto eq = piece.find('=');
    if (eq == std::string_view::npos) {
      result.pairs_.emplace_back(percentDecode(piece), std::string());
    } else {
      result.pairs_.emplace_back(percentDecode(piece.substr(0, eq)), percentDecode(piece.substr(eq + 1)));
    }
  }
  return result;
}

std::optional<std::string> QueryString::value(std::string_view name) const {
  std::optional<std::string> found;
  for (const auto& [key, value] : pairs_) {
    if (key == name) found = value;
  }
  return found;
}

}  // namespace pennant::adserver
