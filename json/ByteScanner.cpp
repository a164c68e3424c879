#include "json/ByteScanner.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "json/NumberRun.h"
#include "json/Utf8.h"

namespace json {

namespace {

bool isDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }

std::optional<std::string> decodeInto(const std::uint8_t* begin, const std::uint8_t* end) {
  return Utf8::decode(begin, end);
}

// For a decimal text that from_chars found out of range: the rough power of
// ten of its value tells overflow (positive) from underflow.
long long decimalMagnitude(const std::uint8_t* digits, const std::uint8_t* end) {
  long long magnitude = 0;
  const std::uint8_t* p = digits;
  bool seenNonZero = false;
  while (p < end && isDigit(*p)) {
    if (*p != '0') seenNonZero = true;
    if (seenNonZero) ++magnitude;
    ++p;
  }
  if (p < end && *p == '.') {
    ++p;
    while (!seenNonZero && p < end && *p == '0') {
      --magnitude;
      ++p;
    }
    while (p < end && isDigit(*p)) ++p;
  }
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    long long exponent = 0;
    for (; p < end && isDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), 1'000'000'000LL);
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

}  // namespace

namespace {

// Every scanner starts with the same immutable set; sharing it saves an
// allocation per scanner.
const std::shared_ptr<const CharacterSet>& defaultDoubleCharacters() {
  static const auto* set =
      new std::shared_ptr<const CharacterSet>(CharacterSet::characterSetWithCharactersInString("0123456789eE-."));
  return *set;
}

// Clinger's fast path: a decimal whose digits fit 2^53 and whose power of
// ten is at most 22 is one exactly rounded multiplication or division.
// Anything else (or a text that this does not cover) gives nullopt.
std::optional<double> readShortDecimal(const std::uint8_t* p, const std::uint8_t* end, std::uint64_t mantissa,
                                       std::ptrdiff_t integerDigits) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (integerDigits > 15) return std::nullopt;
  std::ptrdiff_t digits = integerDigits;
  int exponent = 0;
  if (p < end && *p == '.') {
    ++p;
    for (; p < end && isDigit(*p); ++p) {
      if (++digits > 15) return std::nullopt;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
      --exponent;
    }
  }
  if (digits == 0) return std::nullopt;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const std::uint8_t* q = p + 1;
    const bool negative = q < end && *q == '-';
    if (negative) ++q;
    int written = 0;
    const std::uint8_t* exponentDigits = q;
    for (; q < end && isDigit(*q) && q - exponentDigits < 4; ++q) written = written * 10 + (*q - '0');
    if (q < end && isDigit(*q)) return std::nullopt;
    if (q > exponentDigits) exponent += negative ? -written : written;
  }
  if (exponent < -22 || exponent > 22) return std::nullopt;
  const double value = static_cast<double>(mantissa);
  return exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
}

}  // namespace

ByteScanner::ByteScanner() : doubleCharacters_(defaultDoubleCharacters()) {}

std::shared_ptr<ByteScanner> ByteScanner::scannerWithData(Data data) {
  auto scanner = std::make_shared<ByteScanner>();
  scanner->setData(std::move(data));
  return scanner;
}

ByteScanner::Data ByteScanner::dataWithBytes(std::string_view bytes) {
  return std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
}

void ByteScanner::setData(Data data) {
  if (data == data_ && data) return;
  data_ = std::move(data);
  if (!data_) {
    start_ = end_ = current_ = nullptr;
    length_ = 0;
    return;
  }
  start_ = data_->data();
  length_ = data_->size();
  end_ = start_ + length_;
  current_ = start_;
}

bool ByteScanner::scanUTF8StringIntoString(const char* text, std::optional<std::string>* intoString) {
  if (text == nullptr) return false;
  const std::size_t n = std::strlen(text);
  if (static_cast<std::size_t>(end_ - current_) < n) return false;
  if (n > 0 && std::memcmp(current_, text, n) != 0) return false;
  current_ += n;
  if (intoString) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
    *intoString = decodeInto(bytes, bytes + n);
  }
  return true;
}

bool ByteScanner::scanStringIntoString(std::string_view string, std::optional<std::string>* intoString) {
  if (static_cast<std::size_t>(end_ - current_) < string.size()) return false;
  if (!string.empty() && std::memcmp(current_, string.data(), string.size()) != 0) return false;
  current_ += string.size();
  if (intoString) *intoString = std::string(string);
  return true;
}

bool ByteScanner::scanCharactersFromSetIntoString(const CharacterSet& set, std::optional<std::string>* intoString) {
  const std::uint8_t* runEnd = runEndInSet(set);
  if (runEnd == current_) return false;
  if (intoString) *intoString = decodeInto(current_, runEnd);
  current_ = runEnd;
  return true;
}

bool ByteScanner::scanUpToCharactersFromSetIntoString(const CharacterSet& set,
                                                      std::optional<std::string>* intoString) {
  const std::uint8_t* p = current_;
  while (p < end_ && !set.contains(*p)) ++p;
  if (p == current_) return false;
  if (intoString) *intoString = decodeInto(current_, p);
  current_ = p;
  return true;
}

bool ByteScanner::scanUpToStringIntoString(std::string_view string, std::optional<std::string>* intoString) {
  const std::uint8_t* searchEnd = current_;
  if (current_ < end_) {
    const void* zero = std::memchr(current_, 0, static_cast<std::size_t>(end_ - current_));
    searchEnd = zero ? static_cast<const std::uint8_t*>(zero) : end_;
  }
  const auto* needle = reinterpret_cast<const std::uint8_t*>(string.data());
  const std::uint8_t* found = std::search(current_, searchEnd, needle, needle + string.size());
  if (found == searchEnd && !string.empty()) return false;
  if (intoString) *intoString = decodeInto(current_, found);
  current_ = found;
  return true;
}

void ByteScanner::setDoubleCharacters(std::shared_ptr<const CharacterSet> set) {
  doubleCharacters_ = std::move(set);
  defaultDoubleCharacters_ = doubleCharacters_ == defaultDoubleCharacters();
}

const std::uint8_t* ByteScanner::numberRunEnd(double& value) const {
  if (defaultDoubleCharacters_) return NumberRun::read(current_, end_, value);
  if (!doubleCharacters_) return current_;
  const std::uint8_t* runEnd = runEndInSet(*doubleCharacters_);
  value = readLeadingDouble(current_, runEnd);
  return runEnd;
}

bool ByteScanner::scanNumber(double* number) {
  double value = 0;
  const std::uint8_t* runEnd = numberRunEnd(value);
  if (runEnd == current_) return false;
  if (number) *number = value;
  current_ = runEnd;
  return true;
}

std::optional<std::string> ByteScanner::remainingString() const {
  if (current_ >= end_) return std::string();
  return decodeInto(current_, end_);
}

double ByteScanner::readLeadingDouble(const std::uint8_t* begin, const std::uint8_t* end) {
  const std::uint8_t* p = begin;
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  const std::uint8_t* digits = p;
  std::uint64_t integer = 0;
  while (p < end && isDigit(*p)) {
    integer = integer * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  const auto integerDigits = p - digits;
  // Up to 19 digits fit a 64-bit integer whose conversion to double rounds
  // exactly as a decimal parser would.
  const bool plainInteger = p == end || (*p != '.' && *p != 'e' && *p != 'E');
  if (integerDigits > 0 && integerDigits <= 19 && plainInteger) {
    const double value = static_cast<double>(integer);
    return negative ? -value : value;
  }

  if (const auto fast = readShortDecimal(p, end, integer, integerDigits)) return negative ? -*fast : *fast;

  const std::uint8_t* numberEnd = p;
  std::ptrdiff_t fractionDigits = 0;
  if (p < end && *p == '.') {
    const std::uint8_t* q = p + 1;
    while (q < end && isDigit(*q)) ++q;
    fractionDigits = q - (p + 1);
    numberEnd = q;
  }
  if (integerDigits == 0 && fractionDigits == 0) return 0.0;
  p = numberEnd;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const std::uint8_t* q = p + 1;
    if (q < end && *q == '-') ++q;
    const std::uint8_t* exponentDigits = q;
    while (q < end && isDigit(*q)) ++q;
    if (q > exponentDigits) numberEnd = q;
  }

  double value = 0.0;
  const auto* first = reinterpret_cast<const char*>(begin);
  const auto* last = reinterpret_cast<const char*>(numberEnd);
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    const bool overflow = decimalMagnitude(digits, numberEnd) > 0;
    value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
  }
  if (result.ec != std::errc()) return 0.0;
  return value;
}

}  // namespace json
