#include "platform/foundation/DateFormatter.h"

#include <cmath>
#include <ctime>

#include "platform/foundation/NumberText.h"

namespace platform {

namespace {

// Outside of this range the conversion to time_t or the year in struct tm
// could overflow; nobody has a use for such dates.
constexpr double kLimitSeconds = 1.0e14;
// Digits of a second's fraction worked out before "S" fields cut them.
constexpr int kFractionDigits = 15;

void appendNumber(std::string& out, long long value, std::size_t minimumDigits) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (value < 0) {
    out += '-';
  }
  if (digits.size() < minimumDigits) {
    out.append(minimumDigits - digits.size(), '0');
  }
  out += digits;
}

}  // namespace

std::string DateFormatter::stringFromDate(const Date& date) const {
  const double seconds = date.timeIntervalSince1970();
  if (!std::isfinite(seconds) || std::fabs(seconds) > kLimitSeconds) {
    return {};
  }
  const double whole = std::floor(seconds);
  const auto clock = static_cast<std::time_t>(whole);
  std::tm parts{};
  if (usesUTC_) {
    if (gmtime_r(&clock, &parts) == nullptr) {
      return {};
    }
  } else {
    // localtime_r need not read TZ again by itself; tzset makes a changed
    // TZ take effect.
    tzset();
    if (localtime_r(&clock, &parts) == nullptr) {
      return {};
    }
  }
  const double fraction = seconds - whole;

  std::string out;
  const std::string& f = dateFormat_;
  std::size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    if (c == '\'') {
      if (i + 1 < f.size() && f[i + 1] == '\'') {
        out += '\'';
        i += 2;
        continue;
      }
      // Quoted literal up to the closing quote (or the end of the pattern);
      // a doubled quote inside stands for one quote.
      ++i;
      while (i < f.size()) {
        if (f[i] == '\'') {
          if (i + 1 < f.size() && f[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += f[i++];
      }
      continue;
    }
    std::size_t run = 1;
    while (i + run < f.size() && f[i + run] == c) {
      ++run;
    }
    const long long year = static_cast<long long>(parts.tm_year) + 1900;
    switch (c) {
      case 'y':
        if (run == 2) {
          appendNumber(out, ((year % 100) + 100) % 100, 2);
        } else {
          appendNumber(out, year, run);
        }
        break;
      case 'M': appendNumber(out, parts.tm_mon + 1, run); break;
      case 'd': appendNumber(out, parts.tm_mday, run); break;
      case 'H': appendNumber(out, parts.tm_hour, run); break;
      case 'm': appendNumber(out, parts.tm_min, run); break;
      case 's': appendNumber(out, parts.tm_sec, run); break;
      case 'S': {
        // "0.xxxxxxxxxxxxxxx" (the point whatever the locale); keep `run`
        // digits, truncated, so a time never rounds up into the next second.
        // A fraction a hair below one may print as "1.000..."; it still
        // belongs to the current second.
        const std::string text = NumberText::fixed(fraction, kFractionDigits);
        std::string digits = text[0] == '0' ? text.substr(2) : std::string(static_cast<std::size_t>(kFractionDigits), '9');
        if (run > digits.size()) {
          digits.append(run - digits.size(), '0');
        }
        out += digits.substr(0, run);
        break;
      }
      default: out.append(run, c); break;
    }
    i += run;
  }
  return out;
}

}  // namespace platform
