// The vCard text this book writes and reads: every property survives a
// round trip, hostile values stay inside their line, long lines fold
// without breaking UTF-8, and other programs' cards are read tolerantly.

#include <gtest/gtest.h>

#include "AddressBookTestSupport.h"
#include "platform/addressbook/VCardParser.h"
#include "platform/addressbook/VCardReader.h"
#include "platform/addressbook/VCardText.h"
#include "platform/addressbook/VCardWriter.h"
#include "platform/foundation/UnicodeText.h"
#include "tests/support/ScopedAppIdentity.h"

namespace platform::addressbook {
namespace {

EntryContent readBack(const std::string& text) {
  const auto cards = VCardParser::parse(text);
  EXPECT_EQ(cards.size(), 1u) << text;
  if (cards.empty()) return {};
  return VCardReader::read(cards.front().lines).content;
}

std::vector<std::string> physicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every line ends in CRLF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

EntryContent fullEntry() {
  EntryContent entry;
  entry.uid = "urn:uuid:0f0e0d0c-0b0a-4908-8706-050403020100";
  entry.kind = PersonKind::Organization;
  entry.organization = "Sunrise Bakery";
  entry.phones = testing::strings({{std::string(kWorkLabel), "+1 555 0188"},
                                   {std::string(kMobileLabel), "+1 555 0199"},
                                   {std::string(kMainLabel), "+1 555 0100"},
                                   {std::string(kHomeFaxLabel), "+1 555 0101"},
                                   {std::string(kWorkFaxLabel), "+1 555 0102"},
                                   {std::string(kPagerLabel), "+1 555 0103"},
                                   {std::string(kOtherLabel), "+1 555 0104"},
                                   {std::string(kHomeLabel), "+1 555 0105"},
                                   {"Night line", "+1 555 0106"},
                                   {"Work", "+1 555 0107"},
                                   {"cell", "+1 555 0108"},
                                   {"", "+1 555 0109"},
                                   {std::string(kWorkLabel), "+1 555 0110"}});
  entry.emails = testing::strings({{std::string(kWorkLabel), "hello@bakery.example"}, {"orders", "o@bakery.example"}});
  entry.urls = testing::strings({{std::string(kHomePageLabel), "http://bakery.example/?a=1,2;b"}});
  MultiValue addresses(MultiValueType::MultiDictionary);
  addresses.addValueAndLabel(MultiValue::Dictionary{{"Street", "12 Mill Lane"},
                                                    {"City", "Springfield"},
                                                    {"State", "OR"},
                                                    {"ZIP", "97477"},
                                                    {"Country", "United States"},
                                                    {"CountryCode", "us"}},
                             std::string(kWorkLabel));
  addresses.addValueAndLabel(MultiValue::Dictionary{{"Street", "Unit 4, 3 Harbour Rd"}, {"City", "Portland"}}, "Depot");
  entry.addresses = addresses;
  entry.note = "Open every day.\nSourdough on Saturdays.";
  entry.imageData = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\x01\xff rest of the picture", 22);
  return entry;
}

TEST(VCardFormat, EveryPropertyAndLabelReadsBackAsWritten) {
  const EntryContent entry = fullEntry();
  const std::string text = VCardWriter::write(entry);
  EXPECT_EQ(readBack(text), entry);

  // The parts other readers rely on.
  EXPECT_EQ(text.rfind("BEGIN:VCARD\r\nVERSION:4.0\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nKIND:org\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nFN:Sunrise Bakery\r\nORG:Sunrise Bakery\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nTEL;TYPE=cell:+1 555 0199\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nTEL;TYPE=home,fax:+1 555 0101\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nitem1.TEL:+1 555 0106\r\nitem1.X-ABLABEL:Night line\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nADR;TYPE=work;CC=\"us\":;;12 Mill Lane;Springfield;OR;97477;United States\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nPHOTO:data:image/png;base64,iVBORw0KGgo"), std::string::npos);
  {
    // The product id names the app whose identity is in force.
    testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
    EXPECT_NE(VCardWriter::write(entry).find("\r\nPRODID:-//Host App//Address Book 1.0//EN\r\n"), std::string::npos);
  }

  // An entry with nothing but its kind and name stays that way.
  EntryContent bare;
  bare.uid = "urn:uuid:1";
  bare.kind = PersonKind::Organization;
  bare.organization = "Bare";
  EXPECT_EQ(readBack(VCardWriter::write(bare)), bare);
}

TEST(VCardFormat, HostileValuesStayInsideTheirLine) {
  const std::string injection = "Evil\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Injected\nTEL:1";
  const std::string punctuation = "a;b,c\\d\\,e\\n;;";
  EntryContent entry;
  entry.uid = "urn:uuid:2";
  entry.kind = PersonKind::Organization;
  entry.organization = injection + punctuation;
  entry.note = "line one\r\nline two\rline three\n" + punctuation;
  entry.phones = testing::strings({{injection, punctuation}, {"x;TYPE=home:", "y\nTEL:2"}});
  MultiValue addresses(MultiValueType::MultiDictionary);
  addresses.addValueAndLabel(MultiValue::Dictionary{{"Street", punctuation}, {"City", injection},
                                                    {"CountryCode", "us\";TYPE=home:^x\nEND:VCARD"}},
                             punctuation);
  entry.addresses = addresses;
  const std::string text = VCardWriter::write(entry);

  const auto cards = VCardParser::parse(text);
  ASSERT_EQ(cards.size(), 1u) << text;
  std::size_t phones = 0;
  for (const auto& line : cards.front().lines) {
    EXPECT_NE(line.name, "BEGIN");
    phones += line.name == "TEL";
  }
  EXPECT_EQ(phones, 2u);

  // Newlines come back as LF, everything else exactly.
  EntryContent expected = entry;
  expected.note = "line one\nline two\nline three\n" + punctuation;
  const std::string lf = "Evil\nEND:VCARD\nBEGIN:VCARD\nFN:Injected\nTEL:1";
  expected.organization = lf + punctuation;
  expected.phones = testing::strings({{lf, punctuation}, {"x;TYPE=home:", "y\nTEL:2"}});
  MultiValue expectedAddresses(MultiValueType::MultiDictionary);
  expectedAddresses.addValueAndLabel(MultiValue::Dictionary{{"Street", punctuation}, {"City", lf},
                                                            {"CountryCode", "us\";TYPE=home:^x\nEND:VCARD"}},
                                     punctuation);
  expected.addresses = expectedAddresses;
  EXPECT_EQ(readBack(text), expected);

  // Control characters and broken UTF-8 cannot reach a file: they are
  // dropped or replaced, and what is left is read back.
  EntryContent odd;
  odd.uid = "urn:uuid:3";
  odd.organization = std::string("A\0B\x01\x7f", 5) + "\xff\xc3(" + "\xed\xa0\x80";
  const std::string oddText = VCardWriter::write(odd);
  EXPECT_TRUE(UnicodeText::isValidUTF8(oddText));
  EXPECT_EQ(readBack(oddText).organization, "AB\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(VCardFormat, LongLinesFoldAtSeventyFiveOctetsWithoutSplittingCharacters) {
  EntryContent entry;
  entry.uid = "urn:uuid:4";
  // Two-, three- and four-byte characters at every alignment.
  std::string name;
  for (int i = 0; i < 300; ++i) name += i % 3 == 0 ? "é" : i % 3 == 1 ? "ü日" : "😀,";
  entry.organization = name;
  entry.note = std::string(5000, 'x') + "\n" + name;
  entry.imageData = std::string(100 * 1024, '\x7f');
  const std::string text = VCardWriter::write(entry);
  for (const auto& line : physicalLines(text)) {
    EXPECT_LE(line.size(), VCardText::kMaxLineOctets);
    EXPECT_TRUE(UnicodeText::isValidUTF8(line)) << line;
  }
  EXPECT_EQ(readBack(text), entry);

  // LF line ends and tab continuations, as some programs write them.
  std::string relaxed = text;
  std::string lf;
  for (std::size_t i = 0; i < relaxed.size(); ++i) {
    if (relaxed.compare(i, 3, "\r\n ") == 0) {
      lf += "\n\t";
      i += 2;
    } else if (relaxed.compare(i, 2, "\r\n") == 0) {
      lf += "\n";
      i += 1;
    } else {
      lf += relaxed[i];
    }
  }
  EXPECT_EQ(readBack(lf), entry);
}

TEST(VCardFormat, ReadsOtherProgramsCards) {
  const std::string older =
      "BEGIN:VCARD\n"
      "VERSION:3.0\n"
      "PRODID:-//Some Other Program//EN\n"
      "N:;;;;\n"
      "FN:Acme\\, Inc.\n"
      "X-UNKNOWN;X-PARAM=\"a:b;c\":ignored\n"
      "KIND:ORG\n"
      "ORG:Acme\\, Inc.;Sales\n"
      "TEL;TYPE=WORK,VOICE:+1 555 1000\n"
      "TEL;TYPE=work;TYPE=fax:+1 555 1001\n"
      "TEL;CELL:+1 555 1002\n"
      "TEL;VALUE=uri;TYPE=\"home,voice\":tel:+1-555-1003\n"
      "item7.TEL;TYPE=pref:+1 555 1004\n"
      "ITEM7.X-ABLabel:After hours\n"
      "EMAIL;TYPE=INTERNET;TYPE=HOME:me@acme.example\n"
      "EMAIL:plain@acme.example\n"
      "ADR;TYPE=work:;Suite 5;1 Main St\\, Rear;Town;ST;12345;Land\n"
      "URL:http\\://acme.example/\n"
      "NOTE:first\\nsecond\\, third\\\\ fourth \\x\n"
      "  continued\n"
      "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\n"
      " SkZJRg==\n"
      "garbage line without colon\n"
      ";no name:x\n"
      "END:VCARD\n";
  const EntryContent read = readBack(older);
  EXPECT_EQ(read.kind, PersonKind::Organization);
  EXPECT_EQ(read.organization, "Acme, Inc.");
  EXPECT_EQ(read.phones, testing::strings({{std::string(kWorkLabel), "+1 555 1000"},
                                           {std::string(kWorkFaxLabel), "+1 555 1001"},
                                           {std::string(kMobileLabel), "+1 555 1002"},
                                           {std::string(kHomeLabel), "+1-555-1003"},
                                           {"After hours", "+1 555 1004"}}));
  EXPECT_EQ(read.emails, testing::strings({{std::string(kHomeLabel), "me@acme.example"}, {"", "plain@acme.example"}}));
  ASSERT_TRUE(read.addresses);
  EXPECT_EQ(*read.addresses->copyValueAtIndex(0),
            MultiValue::Value(MultiValue::Dictionary{
                {"Street", "1 Main St, Rear"}, {"City", "Town"}, {"State", "ST"}, {"ZIP", "12345"}, {"Country", "Land"}}));
  EXPECT_EQ(read.urls, testing::strings({{"", "http://acme.example/"}}));
  EXPECT_EQ(read.note, "first\nsecond, third\\ fourth \\x continued");
  EXPECT_EQ(read.imageData, std::string("\xff\xd8\xff\xe0\x00\x10JFIF", 10));

  // An organization that names itself only in FN; a card without KIND is
  // an individual even with a company.
  EXPECT_EQ(readBack("BEGIN:VCARD\r\nKIND:org\r\nFN:Only FN\r\nEND:VCARD\r\n").organization, "Only FN");
  const EntryContent person = readBack("BEGIN:VCARD\r\nFN:Jo\r\nORG:Acme\r\nEND:VCARD\r\n");
  EXPECT_EQ(person.kind, PersonKind::Person);
  EXPECT_EQ(person.organization, "Acme");
  EXPECT_EQ(readBack("begin:vcard\r\nkind:group\r\nend:vcard\r\n").recordType, RecordType::Group);
}

TEST(VCardFormat, MalformedTextNeverYieldsAHalfCard) {
  const std::string text = VCardWriter::write(fullEntry());
  // Every cut of a good card: no card at all, or (once the END line is in)
  // the whole one.
  for (std::size_t length = 0; length < text.size(); length += 7) {
    const auto cards = VCardParser::parse(std::string_view(text).substr(0, length));
    EXPECT_TRUE(cards.empty()) << "cut at " << length;
  }
  EXPECT_EQ(VCardParser::parse(text).size(), 1u);

  const std::vector<std::string> broken = {
      "",
      "\r\n\r\n",
      "BEGIN:VCARD",
      "END:VCARD\r\nBEGIN:VCARD\r\n",
      "BEGIN:VCARD\r\nTEL;TYPE=\"unclosed:1\r\nEND:VCARD\r\n",
      "BEGIN:VCARD\r\nTEL;TYPE=a\"b\":1\r\nPHOTO:data:image/png;base64,@@@@\r\nEND:VCARD\r\n",
      std::string("BEGIN:VCARD\r\nFN:\0\xff\r\n\tEND:VCARD\r\n", 32),
      " \r\n\t\r\n.:\r\n;:\r\nBEGIN;:VCARD\r\n",
  };
  for (const auto& input : broken) {
    for (const auto& card : VCardParser::parse(input)) (void)VCardReader::read(card.lines);
  }
  EXPECT_TRUE(VCardParser::parse("BEGIN:VCARD\r\nFN:a\r\n").empty());
  // A card begun again inside a card starts over; two cards are two.
  EXPECT_EQ(VCardParser::parse("BEGIN:VCARD\r\nFN:a\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n").size(), 1u);
  EXPECT_EQ(VCardParser::parse("BEGIN:VCARD\nFN:a\nEND:VCARD\nBEGIN:VCARD\nFN:b\nEND:VCARD\n").size(), 2u);
  // A bad picture is no picture, not a broken entry.
  const auto badPicture = readBack("BEGIN:VCARD\r\nFN:x\r\nPHOTO:data:image/png;base64,@@@@\r\nEND:VCARD\r\n");
  EXPECT_FALSE(badPicture.imageData);
  EXPECT_EQ(badPicture.organization, std::nullopt);
}

}  // namespace
}  // namespace platform::addressbook
