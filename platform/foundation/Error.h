#pragma once
// The error object that crosses object boundaries through failure callbacks:
// a domain string, a (negative) code and an English description, which may be
// empty when the error carries no user information.

#include <string>

namespace platform {

struct Error {
  std::string domain;
  int code = 0;
  std::string description;

  bool operator==(const Error&) const = default;
};

}  // namespace platform
