#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Iso8601DateParser.h"

namespace platform {
namespace {

// Sets TZ for one test and puts the old value back afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
      old_ = old;
    }
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    if (old_) {
      ::setenv("TZ", old_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

std::string format(const char* pattern, double seconds) {
  DateFormatter formatter;
  formatter.setDateFormat(pattern);
  return formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(seconds));
}

// 1975-03-09 12:00:00 UTC.
constexpr double kBirthdayNoon = 163598400.0;

TEST(DateTest, NowFollowsTheSystemClockOrTheInstalledSource) {
  const double before = static_cast<double>(std::time(nullptr));
  const double now = Date::now().timeIntervalSince1970();
  EXPECT_GE(now, before);
  EXPECT_LT(now, before + 5);

  Date::setNowSource([] { return 1000.0; });
  EXPECT_EQ(Date::now().timeIntervalSince1970(), 1000.0);
  EXPECT_EQ(Date::dateWithTimeIntervalSince1970(400).timeIntervalSinceNow(), -600.0);
  Date::setNowSource({});
  EXPECT_GE(Date::now().timeIntervalSince1970(), before);
}

TEST(DateTest, Iso8601TextGivesTheSameInstantInEveryTimeZone) {
  ScopedTimeZone zone("America/Los_Angeles");  // local time must play no part
  auto seconds = [](const char* text) -> std::optional<double> {
    auto date = Iso8601DateParser::dateFromString(text);
    return date ? std::optional(date->timeIntervalSince1970()) : std::nullopt;
  };
  // 2009-06-02 12:00:00 UTC written six ways.
  for (const char* text : {"2009-06-02T12:00:00Z", "2009-06-02T12:00:00", "2009-06-02 12:00", "2009-06-02t12:00z",
                           "2009-06-02T14:00:00+02:00", "2009-06-02T07:30:00-0430"}) {
    EXPECT_EQ(seconds(text), 1243944000.0) << text;
  }
  EXPECT_EQ(seconds("2009-06-02"), 1243900800.0);
  EXPECT_EQ(seconds("1975-03-09T12:00:00.250Z"), kBirthdayNoon + 0.25);
  EXPECT_EQ(seconds("2024-02-29T00:00:00+01"), 1709161200.0);
  EXPECT_EQ(seconds("1969-12-31T23:59:59Z"), -1.0);

  for (const char* text : {"", "2009", "2009-6-2", "2009-06-02T", "2009-06-02T12", "2009-06-02T24:00",
                           "2009-06-02T12:60", "2009-06-02T12:00:61", "2009-02-29", "2009-13-01", "2009-06-31",
                           "2009-06-02T12:00:00.", "2009-06-02T12:00:00+2", "2009-06-02T12:00:00+19:00",
                           "2009-06-02T12:00:00Zjunk", "2009-06-02x12:00", " 2009-06-02", "２009-06-02"}) {
    EXPECT_FALSE(seconds(text)) << text;
  }
}

TEST(DateTest, ArithmeticAndOrder) {
  const Date a = Date::dateWithTimeIntervalSince1970(10.5);
  const Date b = a.dateByAddingTimeInterval(2.25);
  EXPECT_EQ(b.timeIntervalSince1970(), 12.75);
  EXPECT_EQ(b.timeIntervalSinceDate(a), 2.25);
  EXPECT_LT(a, b);
}

TEST(DateFormatterTest, WritesCompactBirthDateInLocalZone) {
  ScopedTimeZone zone("UTC0");
  EXPECT_EQ(format("yyyyMMdd", kBirthdayNoon), "19750309");
}

TEST(DateFormatterTest, HonoursTheTimeZoneVariable) {
  // 1975-03-09 02:00 UTC is still the 8th in New York (UTC-5) and already
  // 11:00 in Tokyo.
  const double earlyMorning = kBirthdayNoon - 10 * 3600;
  {
    ScopedTimeZone zone("EST5");
    EXPECT_EQ(format("yyyyMMdd HH:mm", earlyMorning), "19750308 21:00");
  }
  {
    ScopedTimeZone zone("JST-9");
    EXPECT_EQ(format("yyyyMMdd HH:mm", earlyMorning), "19750309 11:00");
  }
}

TEST(DateFormatterTest, FieldsLiteralsAndQuotes) {
  ScopedTimeZone zone("UTC0");
  // 2009-04-02 07:05:03.25 UTC
  const double when = 1238655903.25;
  EXPECT_EQ(format("yyyy-MM-dd'T'HH:mm:ss.SSS", when), "2009-04-02T07:05:03.250");
  EXPECT_EQ(format("yy/M/d H:m:s", when), "09/4/2 7:5:3");
  EXPECT_EQ(format("'o''clock' ''", when), "o'clock '");
  EXPECT_EQ(format("y", when), "2009");
  EXPECT_EQ(format("Q, x!", when), "Q, x!");
  EXPECT_EQ(format("'unterminated", when), "unterminated");
  EXPECT_EQ(format("", when), "");
}

TEST(DateFormatterTest, DatesBefore1970AndUTC) {
  ScopedTimeZone zone("EST5");
  DateFormatter formatter;
  formatter.setDateFormat("yyyyMMdd HH:mm:ss");
  formatter.setUsesUTC(true);
  // Half a second before the epoch belongs to the last second of 1969.
  EXPECT_EQ(formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(-0.5)),
            "19691231 23:59:59");
  EXPECT_EQ(formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(-86400.0 * 365 * 1000)),
            "09700831 00:00:00");
}

TEST(DateFormatterTest, UnrepresentableDatesGiveEmptyText) {
  DateFormatter formatter;
  formatter.setDateFormat("yyyyMMdd");
  EXPECT_EQ(formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(1e300)), "");
  EXPECT_EQ(formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(-1e300)), "");
  EXPECT_EQ(formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(std::nan(""))), "");
}

}  // namespace
}  // namespace platform
