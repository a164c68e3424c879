#pragma once
// How a fuzz target reports a broken property: it names the property on
// stderr and aborts, so that libFuzzer keeps the input as a crasher and a
// corpus replay in the test run fails with the property's name.

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void check(bool condition, const char* property) {
  if (condition) return;
  std::fprintf(stderr, "fuzz property broken: %s\n", property);
  std::abort();
}

}  // namespace fuzz
