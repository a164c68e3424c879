#pragma once
// Numbers written as text with a point before the decimals whatever the C
// locale says. The desktop front end runs under the user's locale (GTK sets
// it from the environment at start-up), where printf's %f and
// std::to_string write a comma in many countries; text that goes on the wire,
// into files or into the log must not change with that.

#include <string>

namespace platform {

class NumberText {
 public:
  // What printf's "%.<decimals>f" writes in the C locale: fixed(12.5, 6) is
  // "12.500000", fixed(-0.1234567, 6) "-0.123457"; "nan", "inf" and "-inf"
  // for values that are not finite.
  static std::string fixed(double value, int decimals);
};

}  // namespace platform
