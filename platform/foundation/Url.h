#pragma once
// An absolute URL, split into its parts. Made only from text of the URL's
// own shape (scheme ":" rest, with nothing in it that would have to be
// percent-escaped), so that a `Url` in hand is always safe to hand to the
// network layer or put into a request line. Immutable; shared by pointer.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Url {
 public:
  // Returns nullptr for text that is not a URL: no scheme, a character that
  // may not appear unescaped (controls, space, non-ASCII, " < > \ ^ ` { | }),
  // a "%" without two hex digits, a second "#", a port that is not a
  // number, or a bracketed host that is not closed.
  static std::shared_ptr<const Url> URLWithString(std::string_view text);

  // A "file://" URL for a path; a relative path is taken from the current
  // directory. Characters a path may hold but a URL may not are escaped. A
  // directory URL ends in "/".
  static std::shared_ptr<const Url> fileURLWithPathIsDirectory(std::string_view path,
                                                               bool isDirectory);

  const std::string& absoluteString() const { return absoluteString_; }
  // As written (the case is kept); compare with `isFileURL` or lower-case it.
  const std::string& scheme() const { return scheme_; }
  // Present when the URL has an authority ("//..."); IPv6 hosts without the
  // brackets. Not decoded.
  const std::optional<std::string>& host() const { return host_; }
  const std::optional<int>& port() const { return port_; }
  const std::optional<std::string>& user() const { return user_; }
  // The path with its escapes decoded ("/a%20b" gives "/a b"); the escaped
  // form is `percentEncodedPath`. For "mailto:x@y" the path is "x@y".
  std::string path() const;
  const std::string& percentEncodedPath() const { return path_; }
  // Without the "?" / "#", not decoded.
  const std::optional<std::string>& query() const { return query_; }
  const std::optional<std::string>& fragment() const { return fragment_; }
  bool isFileURL() const;

 private:
  Url() = default;

  std::string absoluteString_;
  std::string scheme_;
  std::optional<std::string> user_;
  std::optional<std::string> host_;
  std::optional<int> port_;
  std::string path_;
  std::optional<std::string> query_;
  std::optional<std::string> fragment_;
};

}  // namespace platform
