#include "platform/foundation/Url.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/StringEncoding.h"

namespace platform {

namespace {

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) {
  return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool hasValidScheme(std::string_view scheme) {
  if (scheme.empty() || !isAsciiAlpha(scheme.front())) {
    return false;
  }
  for (const char c : scheme) {
    if (!isAsciiAlpha(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

// Every character after the scheme must be a kept URL character or part of
// a complete escape; "#" may appear once, as the fragment's start.
bool hasValidCharacters(std::string_view rest) {
  bool seenHash = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '%') {
      if (i + 2 >= rest.size() || !isHexDigit(rest[i + 1]) || !isHexDigit(rest[i + 2])) {
        return false;
      }
      i += 2;
    } else if (c == '#') {
      if (seenHash) {
        return false;
      }
      seenHash = true;
    } else if (!PercentEscapes::isKeptCharacter(c)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::shared_ptr<const Url> Url::URLWithString(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || !hasValidScheme(text.substr(0, colon))) {
    return nullptr;
  }
  std::string_view rest = text.substr(colon + 1);
  if (!hasValidCharacters(rest)) {
    return nullptr;
  }
  std::shared_ptr<Url> url(new Url());
  url->absoluteString_ = std::string(text);
  url->scheme_ = std::string(text.substr(0, colon));

  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    url->fragment_ = std::string(rest.substr(hash + 1));
    rest = rest.substr(0, hash);
  }
  if (const std::size_t question = rest.find('?'); question != std::string_view::npos) {
    url->query_ = std::string(rest.substr(question + 1));
    rest = rest.substr(0, question);
  }
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
      url->user_ = std::string(authority.substr(0, at));
      authority = authority.substr(at + 1);
    }
    std::string_view portText;
    bool hasPort = false;
    if (authority.starts_with('[')) {
      const std::size_t close = authority.find(']');
      if (close == std::string_view::npos) {
        return nullptr;
      }
      url->host_ = std::string(authority.substr(1, close - 1));
      const std::string_view after = authority.substr(close + 1);
      if (!after.empty()) {
        if (after.front() != ':') {
          return nullptr;
        }
        hasPort = true;
        portText = after.substr(1);
      }
    } else {
      const std::size_t portColon = authority.find(':');
      url->host_ = std::string(authority.substr(0, portColon));
      if (portColon != std::string_view::npos) {
        hasPort = true;
        portText = authority.substr(portColon + 1);
      }
      if (url->host_->find_first_of("[]") != std::string::npos) {
        return nullptr;
      }
    }
    // An empty port ("host:") means the scheme's default, as RFC 3986 allows.
    if (hasPort && !portText.empty()) {
      if (portText.size() > 5) {
        return nullptr;
      }
      int port = 0;
      for (const char c : portText) {
        if (!isAsciiDigit(c)) {
          return nullptr;
        }
        port = port * 10 + (c - '0');
      }
      if (port > 65535) {
        return nullptr;
      }
      url->port_ = port;
    }
  }
  url->path_ = std::string(rest);
  return url;
}

std::shared_ptr<const Url> Url::fileURLWithPathIsDirectory(std::string_view path,
                                                           bool isDirectory) {
  std::string absolute(path);
  if (absolute.empty() || absolute.front() != '/') {
    std::error_code error;
    const auto current = std::filesystem::current_path(error);
    if (error) {
      return nullptr;
    }
    absolute = (current / std::filesystem::path(absolute)).string();
  }
  if (isDirectory && absolute.back() != '/') {
    absolute += '/';
  }
  // In a path "?" and "#" are ordinary characters, but in a URL they would
  // start the query and fragment.
  const auto escaped =
      PercentEscapes::addingPercentEscapes(absolute, StringEncoding::UTF8, "?#[];");
  if (!escaped) {
    return nullptr;
  }
  return URLWithString("file://" + *escaped);
}

std::string Url::path() const {
  // The escapes were checked when the URL was made, so only a decoded byte
  // sequence that is not UTF-8 can fail here; then the raw form is better
  // than nothing.
  if (auto decoded = PercentEscapes::removingPercentEscapes(path_, StringEncoding::UTF8)) {
    return *decoded;
  }
  return path_;
}

bool Url::isFileURL() const {
  if (scheme_.size() != 4) {
    return false;
  }
  std::string lower;
  for (const char c : scheme_) {
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return lower == "file";
}

}  // namespace platform
