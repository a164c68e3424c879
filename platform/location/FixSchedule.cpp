#include "platform/location/FixSchedule.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform::location {

namespace {

constexpr std::string_view kSpace = " \t\r";

std::string_view trim(std::string_view s, std::string_view chars = kSpace) {
  const auto first = s.find_first_not_of(chars);
  if (first == std::string_view::npos) {
    return {};
  }
  return s.substr(first, s.find_last_not_of(chars) - first + 1);
}

// The whole token as a finite number; "nan", "inf" and trailing junk fail.
std::optional<double> number(std::string_view token) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (token.empty() || ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// Checks one fix's values; returns an error text, empty when the fix is sound.
std::string problemWith(const FixSchedule::Fix& fix) {
  if (fix.latitude < -90.0 || fix.latitude > 90.0) {
    return "latitude out of range";
  }
  if (fix.longitude < -180.0 || fix.longitude > 180.0) {
    return "longitude out of range";
  }
  if (fix.horizontalAccuracy < 0.0) {
    return "negative accuracy";
  }
  if (fix.delay < 0.0) {
    return "negative delay";
  }
  return {};
}

std::vector<std::string_view> split(std::string_view line, std::string_view separators) {
  std::vector<std::string_view> tokens;
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t end = std::min(line.find_first_of(separators, at), line.size());
    if (end > at) {
      tokens.push_back(line.substr(at, end - at));
    }
    at = end + 1;
  }
  return tokens;
}

}  // namespace

std::optional<FixSchedule> FixSchedule::fixedPosition(std::string_view latLonAccuracy, double ageSeconds,
                                                      std::string& error) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  for (std::size_t comma; (comma = latLonAccuracy.find(',', at)) != std::string_view::npos; at = comma + 1) {
    parts.push_back(trim(latLonAccuracy.substr(at, comma - at)));
  }
  parts.push_back(trim(latLonAccuracy.substr(at)));
  if (parts.size() != 3) {
    error = "expected LAT,LON,ACCURACY";
    return std::nullopt;
  }
  const auto latitude = number(parts[0]);
  const auto longitude = number(parts[1]);
  const auto accuracy = number(parts[2]);
  if (!latitude || !longitude || !accuracy || !std::isfinite(ageSeconds)) {
    error = "expected LAT,LON,ACCURACY as numbers";
    return std::nullopt;
  }
  const Fix fix{0.0, *latitude, *longitude, *accuracy, ageSeconds};
  if (std::string problem = problemWith(fix); !problem.empty()) {
    error = problem;
    return std::nullopt;
  }
  return FixSchedule({fix});
}

std::optional<FixSchedule> FixSchedule::parse(std::string_view text, std::string& error) {
  std::vector<Fix> fixes;
  std::size_t lineNumber = 0;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    ++lineNumber;
    line = trim(line.substr(0, line.find('#')));
    if (line.empty()) {
      continue;
    }
    const auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(lineNumber) + ": " + why;
      return std::nullopt;
    };
    const std::vector<std::string_view> tokens = split(line, kSpace);
    if (tokens.size() < 4 || tokens.size() > 5) {
      return fail("expected DELAY LAT LON ACCURACY [AGE]");
    }
    std::optional<double> values[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      values[i] = number(tokens[i]);
      if (!values[i]) {
        return fail("not a number: " + std::string(tokens[i]));
      }
    }
    const Fix fix{*values[0], *values[1], *values[2], *values[3], *values[4]};
    if (std::string problem = problemWith(fix); !problem.empty()) {
      return fail(problem);
    }
    fixes.push_back(fix);
  }
  return FixSchedule(std::move(fixes));
}

std::optional<FixSchedule> FixSchedule::fromFile(const std::string& path, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = path + ": not a readable file";
    return std::nullopt;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) {
    error = path + ": too large";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    // An empty file makes the stream copy fail too; it is simply no fixes.
    if (in && size == 0) {
      return FixSchedule();
    }
    error = path + ": not a readable file";
    return std::nullopt;
  }
  std::optional<FixSchedule> schedule = parse(text.str(), error);
  if (!schedule) {
    error = path + ": " + error;
  }
  return schedule;
}

}  // namespace platform::location
