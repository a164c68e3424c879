#include "platform/foundation/Iso8601DateParser.h"

#include <chrono>

namespace platform {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;
constexpr int kMaxOffsetHours = 18;

// Reads a fixed number of ASCII digits from the front of `text`.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  std::optional<int> digits(std::size_t count) {
    if (text_.size() < count) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const char c = text_[i];
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    text_.remove_prefix(count);
    return value;
  }
  bool skip(char c) {
    if (text_.empty() || text_.front() != c) return false;
    text_.remove_prefix(1);
    return true;
  }
  bool atDigit() const { return !text_.empty() && text_.front() >= '0' && text_.front() <= '9'; }
  bool atEnd() const { return text_.empty(); }

 private:
  std::string_view text_;
};

// "Z", "+hh:mm", "+hhmm", "+hh" (or "-"): seconds east of UTC.
std::optional<int> readOffset(Cursor& in) {
  if (in.skip('Z') || in.skip('z')) return 0;
  int sign = 0;
  if (in.skip('+')) {
    sign = 1;
  } else if (in.skip('-')) {
    sign = -1;
  } else {
    return std::nullopt;
  }
  const auto hours = in.digits(2);
  if (!hours || *hours > kMaxOffsetHours) return std::nullopt;
  int minutes = 0;
  if (!in.atEnd()) {
    in.skip(':');
    const auto read = in.digits(2);
    if (!read || *read >= 60) return std::nullopt;
    minutes = *read;
  }
  return sign * (*hours * kSecondsPerHour + minutes * kSecondsPerMinute);
}

}  // namespace

std::optional<Date> Iso8601DateParser::dateFromString(std::string_view text) {
  Cursor in(text);
  const auto year = in.digits(4);
  if (!year || !in.skip('-')) return std::nullopt;
  const auto month = in.digits(2);
  if (!month || !in.skip('-')) return std::nullopt;
  const auto day = in.digits(2);
  if (!day) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                                         std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok()) return std::nullopt;

  double secondsOfDay = 0;
  int offset = 0;
  if (!in.atEnd()) {
    if (!in.skip('T') && !in.skip('t') && !in.skip(' ')) return std::nullopt;
    const auto hour = in.digits(2);
    if (!hour || *hour > 23 || !in.skip(':')) return std::nullopt;
    const auto minute = in.digits(2);
    if (!minute || *minute > 59) return std::nullopt;
    secondsOfDay = *hour * kSecondsPerHour + *minute * kSecondsPerMinute;
    if (in.skip(':')) {
      const auto second = in.digits(2);
      if (!second || *second > 59) return std::nullopt;
      secondsOfDay += *second;
      if (in.skip('.') || in.skip(',')) {
        if (!in.atDigit()) return std::nullopt;
        double scale = 0.1;
        while (in.atDigit()) {
          secondsOfDay += *in.digits(1) * scale;
          scale /= 10;
        }
      }
    }
    if (!in.atEnd()) {
      const auto read = readOffset(in);
      if (!read || !in.atEnd()) return std::nullopt;
      offset = *read;
    }
  }
  const auto days = std::chrono::sys_days(date).time_since_epoch().count();
  return Date::dateWithTimeIntervalSince1970(static_cast<double>(days) * 86400 + secondsOfDay - offset);
}

}  // namespace platform
