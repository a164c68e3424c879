#pragma once
// The normal answer to one request, before any fault is applied to it.

#include <string>

namespace pennant::adserver {

struct Answer {
  int status = 200;
  std::string body;
  std::string contentType = "application/json";
};

}  // namespace pennant::adserver
