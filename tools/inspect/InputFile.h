#pragma once
// The bytes of a command's input file, "-" being standard input.

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

namespace pennant::inspect {

inline std::optional<std::string> readInputFile(const std::string& path) {
  if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace pennant::inspect
