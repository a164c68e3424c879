#include "json/ByteScanner.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

namespace json {
namespace {

using namespace std::string_literals;

// A small deterministic source of numbers for the randomised cases.
class XorShift {
 public:
  explicit XorShift(std::uint64_t seed) : state_(seed) {}
  std::uint64_t operator()() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }

 private:
  std::uint64_t state_;
};

std::shared_ptr<ByteScanner> scannerFor(std::string_view text) {
  return ByteScanner::scannerWithData(ByteScanner::dataWithBytes(text));
}

TEST(ByteScannerData, SameBufferKeepsCursorOtherBufferResetsIt) {
  const auto data = ByteScanner::dataWithBytes("abcdef");
  auto scanner = ByteScanner::scannerWithData(data);
  scanner->setScanLocation(3);
  scanner->setData(data);
  EXPECT_EQ(scanner->scanLocation(), 3u);
  scanner->setData(ByteScanner::dataWithBytes("abcdef"));
  EXPECT_EQ(scanner->scanLocation(), 0u);
  scanner->setData(nullptr);
  EXPECT_TRUE(scanner->isAtEnd());
  EXPECT_EQ(scanner->data(), nullptr);
  EXPECT_EQ(scanner->scanCharacter(), 0);
}

TEST(ByteScannerData, EmptyScannerAndEndBehaviour) {
  ByteScanner empty;
  EXPECT_TRUE(empty.isAtEnd());
  EXPECT_EQ(empty.currentCharacter(), 0);
  EXPECT_FALSE(empty.scanCharacter(u'\0'));
  EXPECT_EQ(empty.remainingString(), ""s);

  auto scanner = scannerFor("x");
  EXPECT_FALSE(scanner->isAtEnd());
  EXPECT_EQ(scanner->scanCharacter(), 'x');
  EXPECT_TRUE(scanner->isAtEnd());
  EXPECT_EQ(scanner->scanCharacter(), 0);
  EXPECT_EQ(scanner->scanLocation(), 1u);
  EXPECT_EQ(scanner->remainingString(), ""s);
}

TEST(ByteScannerData, ScanLocationPastTheEndIsClamped) {
  auto scanner = scannerFor("abc");
  scanner->setScanLocation(1000);
  EXPECT_EQ(scanner->scanLocation(), 3u);
  EXPECT_TRUE(scanner->isAtEnd());
  EXPECT_EQ(scanner->currentCharacter(), 0);
}

TEST(ByteScannerCharacters, CharacterAbove255NeverMatches) {
  auto scanner = scannerFor("A");
  EXPECT_FALSE(scanner->scanCharacter(u'\u0141'));  // low byte 0x41 is 'A'
  EXPECT_EQ(scanner->scanLocation(), 0u);
  EXPECT_FALSE(scanner->scanCharacter(u'B'));
  EXPECT_TRUE(scanner->scanCharacter(u'A'));
  EXPECT_EQ(scanner->currentCharacter(), 0);
}

TEST(ByteScannerCharacters, HighBytesAreUnsigned) {
  auto scanner = scannerFor("\xe9");
  EXPECT_EQ(scanner->currentCharacter(), 0xE9);
  EXPECT_TRUE(scanner->scanCharacter(u'\u00e9'));
}

TEST(ByteScannerStrings, FixedTextMatches) {
  auto scanner = scannerFor("true!");
  std::optional<std::string> out = "untouched";
  EXPECT_FALSE(scanner->scanUTF8StringIntoString("true!!", &out));  // longer than what is left
  EXPECT_FALSE(scanner->scanUTF8StringIntoString("tru3", &out));
  EXPECT_FALSE(scanner->scanUTF8StringIntoString(nullptr, &out));
  EXPECT_EQ(out, "untouched");
  EXPECT_EQ(scanner->scanLocation(), 0u);
  EXPECT_TRUE(scanner->scanUTF8StringIntoString("true", &out));
  EXPECT_EQ(out, "true");
  EXPECT_TRUE(scanner->scanStringIntoString("!", nullptr));
  EXPECT_TRUE(scanner->isAtEnd());
}

TEST(ByteScannerStrings, RunsFromASet) {
  CharacterSet letters;
  letters.addCharactersInString("abc");
  auto scanner = scannerFor("abcab,cc");
  std::optional<std::string> out;
  EXPECT_TRUE(scanner->scanCharactersFromSetIntoString(letters, &out));
  EXPECT_EQ(out, "abcab");
  EXPECT_FALSE(scanner->scanCharactersFromSetIntoString(letters, &out));
  EXPECT_EQ(out, "abcab");
  EXPECT_TRUE(scanner->scanUpToCharactersFromSetIntoString(letters, &out));
  EXPECT_EQ(out, ",");
  EXPECT_EQ(scanner->scanLocation(), 6u);
  EXPECT_FALSE(scanner->scanUpToCharactersFromSetIntoString(letters, &out));  // on a member
  EXPECT_TRUE(scanner->scanCharactersFromSetIntoString(letters, nullptr));
  EXPECT_FALSE(scanner->scanUpToCharactersFromSetIntoString(letters, &out));  // at the end
}

TEST(ByteScannerStrings, InvalidUtf8RunGivesNulloptButMoves) {
  CharacterSet high;
  high.addCharactersInString("\xff\xfe");
  auto scanner = scannerFor("\xff\xfe" "a");
  std::optional<std::string> out = "x";
  EXPECT_TRUE(scanner->scanCharactersFromSetIntoString(high, &out));
  EXPECT_EQ(out, std::nullopt);
  EXPECT_EQ(scanner->scanLocation(), 2u);

  auto overlong = scannerFor("\xc0\xaf\"");
  CharacterSet quote;
  quote.addCharacter('"');
  EXPECT_TRUE(overlong->scanUpToCharactersFromSetIntoString(quote, &out));
  EXPECT_EQ(out, std::nullopt);
  EXPECT_EQ(overlong->remainingString(), "\""s);
  EXPECT_EQ(scannerFor("a\xed\xa0\x80")->remainingString(), std::nullopt);  // a surrogate
}

TEST(ByteScannerStrings, UpToString) {
  auto scanner = scannerFor("key=value;");
  std::optional<std::string> out;
  EXPECT_TRUE(scanner->scanUpToStringIntoString("=", &out));
  EXPECT_EQ(out, "key");
  EXPECT_EQ(scanner->currentCharacter(), '=');
  EXPECT_TRUE(scanner->scanUpToStringIntoString("=v", &out));  // at the cursor
  EXPECT_EQ(out, "");
  EXPECT_EQ(scanner->scanLocation(), 3u);
  EXPECT_TRUE(scanner->scanUpToStringIntoString("", &out));
  EXPECT_EQ(scanner->scanLocation(), 3u);
  out = "kept";
  EXPECT_FALSE(scanner->scanUpToStringIntoString("missing", &out));
  EXPECT_EQ(out, "kept");
  EXPECT_EQ(scanner->scanLocation(), 3u);
}

TEST(ByteScannerStrings, UpToStringStopsAtAZeroByte) {
  auto scanner = scannerFor("ab\0cd;"s);
  EXPECT_FALSE(scanner->scanUpToStringIntoString(";", nullptr));
  EXPECT_FALSE(scanner->scanUpToStringIntoString("cd", nullptr));
  EXPECT_TRUE(scanner->scanUpToStringIntoString("b", nullptr));
  EXPECT_EQ(scanner->scanLocation(), 1u);
}

double numberOf(std::string_view text, std::size_t* location = nullptr) {
  auto scanner = scannerFor(text);
  double value = -12345;
  EXPECT_TRUE(scanner->scanNumber(&value)) << text;
  if (location) *location = scanner->scanLocation();
  return value;
}

TEST(ByteScannerNumbers, RunIsConsumedAndLeadingPartRead) {
  std::size_t location = 0;
  EXPECT_EQ(numberOf("12abc", &location), 12);
  EXPECT_EQ(location, 2u);
  EXPECT_EQ(numberOf("1-2", &location), 1);
  EXPECT_EQ(location, 3u);
  EXPECT_EQ(numberOf("1.2.3"), 1.2);
  EXPECT_EQ(numberOf("--"), 0);
  EXPECT_EQ(numberOf("."), 0);
  EXPECT_EQ(numberOf("1E+5", &location), 1);
  EXPECT_EQ(location, 2u);
  EXPECT_EQ(numberOf("2.5e-3"), 0.0025);
  EXPECT_EQ(numberOf("-.5"), -0.5);
  EXPECT_EQ(numberOf("7."), 7);
  EXPECT_EQ(numberOf("3e"), 3);
  EXPECT_EQ(numberOf("3e-"), 3);
  EXPECT_EQ(numberOf("0.1"), 0.1);
  EXPECT_EQ(numberOf("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(numberOf("12345678901234567890123"), 1.2345678901234568e22);
  EXPECT_TRUE(std::signbit(numberOf("-0")));

  auto scanner = scannerFor("abc");
  double value = 5;
  EXPECT_FALSE(scanner->scanNumber(&value));
  EXPECT_EQ(value, 5);
  EXPECT_EQ(scanner->scanLocation(), 0u);
}

TEST(ByteScannerNumbers, OutOfRangeGivesInfinityOrZero) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(numberOf("1e400"), inf);
  EXPECT_EQ(numberOf("-1e400"), -inf);
  EXPECT_EQ(numberOf("1e99999999999999999999"), inf);
  EXPECT_EQ(numberOf("123456789e-999"), 0.0);
  EXPECT_FALSE(std::signbit(numberOf("1e-400")));
  EXPECT_TRUE(std::signbit(numberOf("-1e-400")));
  EXPECT_EQ(numberOf("0.0000001e-400"), 0.0);
  EXPECT_EQ(numberOf("4.9e-324"), 4.9e-324);  // the smallest subnormal still reads
}

TEST(ByteScannerNumbers, ShortcutsAgreeWithAFullDecimalConversion) {
  // Integers, short decimals and small exponents take quick paths; every
  // one must give the correctly rounded double that from_chars gives.
  XorShift next(88172645463325252ULL);
  for (int i = 0; i < 20000; ++i) {
    std::string text = next() % 2 ? "-" : "";
    text += std::to_string(next() % (std::uint64_t{1} << (next() % 64)));
    if (next() % 2) text += "." + std::to_string(next() % 100000000000ULL);
    if (next() % 3 == 0) text += (next() % 2 ? "e-" : "E") + std::to_string(next() % 40);
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    ASSERT_EQ(ByteScanner::readLeadingDouble(bytes, bytes + text.size()), expected) << text;
  }
}

TEST(ByteScannerNumbers, DoubleCharactersCanBeReplaced) {
  auto scanner = scannerFor("12,5");
  scanner->setDoubleCharacters(CharacterSet::characterSetWithCharactersInString("0123456789,"));
  double value = 0;
  EXPECT_TRUE(scanner->scanNumber(&value));
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(scanner->isAtEnd());
  scanner->setDoubleCharacters(nullptr);
  scanner->setScanLocation(0);
  EXPECT_FALSE(scanner->scanNumber(&value));
}

TEST(ByteScannerNumbers, DefaultSetAgreesWithAnEqualSetPutInItsPlace) {
  // The scanner's own set takes a one-pass reading; a set with the same
  // members takes the general one. Over runs of every shape, both must
  // consume the same bytes and give the same double, sign of zero included.
  static const char kAlphabet[] = "0123456789012345678901234567890123456789eE-.+x";
  XorShift next(0x853C49E6748FEA9BULL);
  const auto sameMembers = CharacterSet::characterSetWithCharactersInString("0123456789eE-.");
  for (int i = 0; i < 30000; ++i) {
    std::string text;
    if (i % 2 == 0) {
      // Well-formed numbers, near the limits of the quick conversions.
      text = (next() % 3 == 0 ? "-" : "") + std::to_string(next() >> (next() % 64));
      if (next() % 2) text += "." + std::string(next() % 4, '0') + std::to_string(next() % 1000000000);
      if (next() % 2) text += (next() % 2 ? "e" : "E") + std::string(next() % 2 ? "-" : "") + std::to_string(next() % 340);
    } else {
      const std::size_t length = 1 + next() % 24;
      for (std::size_t k = 0; k < length; ++k) text += kAlphabet[next() % (sizeof kAlphabet - 1)];
    }
    auto quick = scannerFor(text);
    auto general = scannerFor(text);
    general->setDoubleCharacters(sameMembers);
    double quickValue = 1;
    double generalValue = 2;
    ASSERT_EQ(quick->scanNumber(&quickValue), general->scanNumber(&generalValue)) << text;
    ASSERT_EQ(quick->scanLocation(), general->scanLocation()) << text;
    if (general->scanLocation() == 0) continue;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(quickValue), std::bit_cast<std::uint64_t>(generalValue))
        << text << ": " << quickValue << " vs " << generalValue;
  }
}

TEST(ByteScannerWhitespace, LongRunsStopAtTheFirstOtherByte) {
  static const char kSpaces[] = " \t\n\v\f\r";
  static const std::string kStoppers = "x\x08\x0e\x1f\x00\xa0\x85\xff{"s;
  std::uint64_t state = 0x2545F4914F6CDD1DULL;
  for (std::size_t length = 0; length < 80; ++length) {
    for (char stopper : kStoppers) {
      std::string text;
      for (std::size_t i = 0; i < length; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        text += kSpaces[(state >> 33) % 6];
      }
      text += stopper;
      text += "   ";
      auto scanner = scannerFor(text);
      scanner->skipWhitespace();
      ASSERT_EQ(scanner->scanLocation(), length) << "run of " << length << " before byte " << int(stopper);
    }
  }
}

TEST(ByteScannerWhitespace, SkipsTheSixAsciiSpaces) {
  auto scanner = scannerFor(" \t\r\n\v\fa");
  scanner->skipWhitespace();
  EXPECT_EQ(scanner->currentCharacter(), 'a');
  auto nbsp = scannerFor("\xa0x");
  nbsp->skipWhitespace();
  EXPECT_EQ(nbsp->scanLocation(), 0u);
  auto end = scannerFor("  ");
  end->skipWhitespace();
  end->skipWhitespace();
  EXPECT_TRUE(end->isAtEnd());
}

// A locale whose decimal separator is a comma, built with localedef into a
// private folder; skipped where the machine has no locale sources.
class ByteScannerLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto folder = std::filesystem::temp_directory_path() / "pennant-json-locales";
    std::filesystem::create_directories(folder);
    const std::string command =
        "localedef -i de_DE -f ISO-8859-1 '" + (folder / "de_DE.ISO-8859-1").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 || setenv("LOCPATH", folder.c_str(), 1) != 0 ||
        std::setlocale(LC_ALL, "de_DE.ISO-8859-1") == nullptr) {
      GTEST_SKIP() << "no de_DE locale could be built";
    }
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(ByteScannerLocale, NumbersIgnoreTheLocaleDecimalComma) {
  ASSERT_EQ(std::strtod("1.5", nullptr), 1.0);  // the C library does follow the locale
  EXPECT_EQ(numberOf("1.5"), 1.5);
  EXPECT_EQ(numberOf("-2.25e2"), -225);
}

}  // namespace
}  // namespace json
