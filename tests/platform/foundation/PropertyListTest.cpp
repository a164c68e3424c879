#include <gtest/gtest.h>

#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "HostilePropertyLists.h"
#include "platform/foundation/BinaryPlistChecker.h"
#include "platform/foundation/PropertyList.h"

namespace platform {
namespace {

using Dictionary = PropertyListValue::Dictionary;
using Array = PropertyListValue::Array;

// A binary list written by libplist itself from an XML document.
std::string binaryFromXML(const std::string& xml) {
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
  if (root == nullptr) {
    return {};
  }
  return hostileplists::binaryOf(root);
}

// A binary list by hand: `count` arrays, each holding references to the
// next one `fanOut` times (the last is empty).
std::string chainedBinary(std::uint32_t count, int fanOut) {
  std::string bytes = "bplist00";
  std::vector<std::uint32_t> offsets;
  auto put = [](std::string& out, std::uint64_t value, int width) {
    for (int k = width - 1; k >= 0; --k) {
      out += static_cast<char>(value >> (8 * k));
    }
  };
  for (std::uint32_t i = 0; i < count; ++i) {
    offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
    if (i + 1 < count) {
      bytes += static_cast<char>(0xA0 | fanOut);
      for (int k = 0; k < fanOut; ++k) {
        put(bytes, i + 1, 4);
      }
    } else {
      bytes += static_cast<char>(0xA0);
    }
  }
  const std::uint64_t table = bytes.size();
  for (const auto offset : offsets) {
    put(bytes, offset, 4);
  }
  bytes += std::string(6, '\0');
  bytes += '\x04';
  bytes += '\x04';
  put(bytes, count, 8);
  put(bytes, 0, 8);
  put(bytes, table, 8);
  return bytes;
}

// A binary list by hand from its objects' encoded bytes, object 0 the top;
// references and offsets are one byte wide.
std::string binaryOfObjects(const std::vector<std::string>& objects) {
  std::string bytes = "bplist00";
  std::string offsets;
  for (const auto& object : objects) {
    offsets += static_cast<char>(bytes.size());
    bytes += object;
  }
  const std::size_t table = bytes.size();
  bytes += offsets;
  bytes += std::string(6, '\0');
  bytes += '\x01';
  bytes += '\x01';
  auto put64 = [&bytes](std::uint64_t value) {
    for (int k = 7; k >= 0; --k) bytes += static_cast<char>(value >> (8 * k));
  };
  put64(objects.size());
  put64(0);
  put64(table);
  return bytes;
}

std::string utf16(const std::string& ascii, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : ascii) {
    if (bigEndian) {
      out += '\0';
      out += c;
    } else {
      out += c;
      out += '\0';
    }
  }
  return out;
}

const char* kXML =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist>\n"
    "<plist version=\"1.0\"><dict>\n"
    "<key>Cancel</key><string>Annuler</string>\n"
    "<key>count</key><integer>-42</integer>\n"
    "<key>ratio</key><real>0.5</real>\n"
    "<key>on</key><true/>\n"
    "<key>blob</key><data>AAEC</data>\n"
    "<key>when</key><date>2009-04-02T00:00:00Z</date>\n"
    "<key>list</key><array><string>a</string><dict/></array>\n"
    "</dict></plist>\n";

PropertyListValue expectedFromXML() {
  Dictionary expected;
  expected["Cancel"] = "Annuler";
  expected["count"] = -42;
  expected["ratio"] = 0.5;
  expected["on"] = true;
  expected["blob"] = PropertyListValue::Data{0, 1, 2};
  expected["when"] = Date::dateWithTimeIntervalSince1970(1238630400.0);
  expected["list"] = Array{"a", Dictionary{}};
  return PropertyListValue(expected);
}

TEST(PropertyListTest, ReadsXMLAndBinary) {
  PropertyList::Format format{};
  const auto fromXML = PropertyList::propertyListFromData(kXML, &format);
  ASSERT_TRUE(fromXML);
  EXPECT_EQ(format, PropertyList::Format::XML);
  EXPECT_EQ(*fromXML, expectedFromXML());

  const std::string binary = binaryFromXML(kXML);
  ASSERT_FALSE(binary.empty());
  const auto fromBinary = PropertyList::propertyListFromData(binary, &format);
  ASSERT_TRUE(fromBinary);
  EXPECT_EQ(format, PropertyList::Format::Binary);
  EXPECT_EQ(*fromBinary, expectedFromXML());
}

TEST(PropertyListTest, ReadsStringsFilesInEveryEncoding) {
  const std::string text = "\"Cancel\" = \"Annuler\";\n\"Ok\" = \"D'accord\";\n";
  const PropertyListValue expected(Dictionary{{"Cancel", "Annuler"}, {"Ok", "D'accord"}});
  PropertyList::Format format{};
  EXPECT_EQ(PropertyList::propertyListFromData(text, &format), expected);
  EXPECT_EQ(format, PropertyList::Format::OldStyle);
  EXPECT_EQ(PropertyList::propertyListFromData("\xEF\xBB\xBF" + text), expected);
  EXPECT_EQ(PropertyList::propertyListFromData(utf16(text, false)), expected);
  EXPECT_EQ(PropertyList::propertyListFromData(utf16(text, true)), expected);
  // UTF-16 with a character outside the basic plane.
  const std::string emoji("\xFF\xFE" "a\0=\0\"\0\x3D\xD8\x00\xDE\"\0;\0", 16);
  EXPECT_EQ(PropertyList::propertyListFromData(emoji),
            PropertyListValue(Dictionary{{"a", "\xF0\x9F\x98\x80"}}));
  // An XML list saved as UTF-16.
  EXPECT_EQ(PropertyList::propertyListFromData(utf16(kXML, false)), expectedFromXML());
}

TEST(PropertyListTest, BrokenTextEncodingsAreRefused) {
  EXPECT_FALSE(PropertyList::propertyListFromData(std::string("\xFF\xFE" "a\0b", 5)));
  EXPECT_FALSE(PropertyList::propertyListFromData(std::string("\xFE\xFF\xD8\x00\x00\x41", 6)));
  EXPECT_FALSE(PropertyList::propertyListFromData("a = \"\xC3\";"));
}

TEST(PropertyListTest, XmlRoundTrip) {
  const auto xml = PropertyList::xmlDataFromPropertyList(expectedFromXML());
  ASSERT_TRUE(xml);
  EXPECT_NE(xml->find("<key>Cancel</key>"), std::string::npos);
  EXPECT_EQ(PropertyList::propertyListFromData(*xml), expectedFromXML());

  Dictionary tricky;
  tricky["<&>\"'"] = "a < b & c";
  tricky["big"] = static_cast<std::int64_t>(1) << 62;
  tricky["Bot\xC3\xB3n"] = Array{PropertyListValue(-1.25e-3), PropertyListValue(false)};
  const auto again = PropertyList::xmlDataFromPropertyList(PropertyListValue(tricky));
  ASSERT_TRUE(again);
  EXPECT_EQ(PropertyList::propertyListFromData(*again), PropertyListValue(tricky));
}

TEST(PropertyListTest, ValuesThatCannotBeWritten) {
  EXPECT_FALSE(PropertyList::xmlDataFromPropertyList(PropertyListValue(std::string("a\0b", 3))));
  EXPECT_FALSE(PropertyList::xmlDataFromPropertyList(PropertyListValue("\xC3")));
  EXPECT_FALSE(PropertyList::xmlDataFromPropertyList(PropertyListValue(Dictionary{{"\xFF", 1}})));
  EXPECT_FALSE(PropertyList::xmlDataFromPropertyList(
      PropertyListValue(Date::dateWithTimeIntervalSince1970(1e12))));
  EXPECT_FALSE(PropertyList::xmlDataFromPropertyList(PropertyListValue(std::nan(""))));
  PropertyListValue deep(Array{});
  for (int i = 0; i < PropertyList::kMaxDepth + 5; ++i) {
    deep = PropertyListValue(Array{deep});
  }
  EXPECT_FALSE(PropertyList::xmlDataFromPropertyList(deep));
}

TEST(PropertyListTest, TruncatedAndGarbageInput) {
  const std::string binary = binaryFromXML(kXML);
  const std::string xml = kXML;
  // Shorter than "bplist" the bytes read as an old-style unquoted string.
  for (std::size_t cut = 6; cut < binary.size(); ++cut) {
    EXPECT_FALSE(PropertyList::propertyListFromData(binary.substr(0, cut))) << cut;
  }
  for (std::size_t cut = 0; cut + 10 < xml.size(); cut += 7) {
    EXPECT_FALSE(PropertyList::propertyListFromData(xml.substr(0, cut))) << cut;
  }
  for (const char* bad : {"bplist00", "bplist00garbage-garbage-garbage-garbage-garbage",
                          "<plist><string>unterminated</plist>", "<!DOCTYPE x>", "\x01\x02"}) {
    EXPECT_FALSE(PropertyList::propertyListFromData(bad)) << bad;
  }
  // Random bytes after a valid header, and flipped bytes in a valid file,
  // must never crash (the sanitizer build checks memory too).
  std::mt19937 random(12345);
  for (int round = 0; round < 300; ++round) {
    std::string mutated = round % 2 == 0 ? binary : xml;
    for (int flips = 0; flips < 4; ++flips) {
      mutated[random() % mutated.size()] = static_cast<char>(random());
    }
    (void)PropertyList::propertyListFromData(mutated);
  }
}

TEST(PropertyListTest, DeepNestingIsRefusedWithoutCrashing) {
  const int levels = 300000;
  std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  for (int i = 0; i < levels; ++i) xml += "<array>";
  for (int i = 0; i < levels; ++i) xml += "</array>";
  xml += "</plist>";
  EXPECT_FALSE(PropertyList::propertyListFromData(xml));
  // Nesting hidden behind whitespace in the tag is still counted.
  std::string spaced = "<plist>";
  for (int i = 0; i < levels; ++i) spaced += "<dict\n><key>k</key>";
  EXPECT_FALSE(PropertyList::propertyListFromData(spaced));
  EXPECT_FALSE(PropertyList::propertyListFromData(chainedBinary(300000, 1)));

  // Within the limit both forms are read.
  const auto shallow = PropertyList::propertyListFromData(chainedBinary(50, 1));
  ASSERT_TRUE(shallow);
  EXPECT_EQ(shallow->type(), PropertyListValue::Type::Array);
  std::string flat = "<plist><array>";
  for (int i = 0; i < 1000; ++i) flat += "<dict/><array></array><dict ></dict>";
  flat += "</array></plist>";
  const auto wide = PropertyList::propertyListFromData(flat);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->asArray()->size(), 3000u);
}

TEST(PropertyListTest, SharedObjectsCannotUnfoldIntoHugeTrees) {
  // 40 levels, each referring twice to the next: 2^40 values once copied.
  EXPECT_FALSE(PropertyList::propertyListFromData(chainedBinary(40, 2)));
  // A few levels of sharing are fine.
  const auto small = PropertyList::propertyListFromData(chainedBinary(4, 2));
  ASSERT_TRUE(small);
  EXPECT_EQ(small->asArray()->size(), 2u);
}

std::string binaryFromNode(plist_t root) { return hostileplists::binaryOf(root); }

TEST(PropertyListTest, ValuesOurTypeCannotHold) {
  plist_t withUid = plist_new_array();
  plist_array_append_item(withUid, plist_new_uid(7));
  EXPECT_FALSE(PropertyList::propertyListFromData(binaryFromNode(withUid)));
  plist_t badKey = plist_new_dict();
  plist_dict_set_item(badKey, "\xC3", plist_new_bool(1));
  EXPECT_FALSE(PropertyList::propertyListFromData(binaryFromNode(badKey)));
}

// The fastest of a few reads of the bytes, in seconds (one read when that
// alone takes long).
double readingTime(const std::string& bytes) {
  double best = 1e9;
  for (int round = 0; round < 3 && best < 1.0; ++round) {
    const auto started = std::chrono::steady_clock::now();
    const auto value = PropertyList::propertyListFromData(bytes);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    EXPECT_TRUE(value);
  }
  return best;
}

TEST(PropertyListTest, LongBinaryArraysAreReadInLinearTime) {
  // Read item by item from the array's head, 200 KB of this shape took tens
  // of seconds. Ten times the items must take about ten times as long (a
  // hundred times when each item is found from the head).
  const std::string small = hostileplists::sharedTrueArray(10000);
  const std::string large = hostileplists::sharedTrueArray(100000);
  const auto value = PropertyList::propertyListFromData(large);
  ASSERT_TRUE(value);
  const auto* array = value->objectForKey("a")->asArray();
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->size(), 100000u);
  EXPECT_EQ(array->back(), PropertyListValue(true));
  const double ratio = readingTime(large) / readingTime(small);
  EXPECT_LT(ratio, 30.0);
}

TEST(PropertyListTest, CallersLimitSizeAndValuesInEveryForm) {
  const PropertyListLimits limits{1000, 10};
  // Nine values (a dictionary, four keys, four texts) pass in each form.
  const std::string text = "\"a\" = \"1\";\n\"b\" = \"2\";\n\"c\" = \"3\";\n\"d\" = \"4\";\n";
  const auto parsed = PropertyList::propertyListFromData(text);
  ASSERT_TRUE(parsed);
  const std::string xml = *PropertyList::xmlDataFromPropertyList(*parsed);
  plist_t node = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
  const std::string binary = binaryFromNode(node);
  for (const std::string& form : {text, xml, binary}) {
    EXPECT_EQ(PropertyList::propertyListFromData(form, nullptr, limits), parsed) << form;
  }
  // A fifth entry is one key and one value too many.
  const std::string longer = text + "\"e\" = \"5\";\n";
  const std::string longerXml = *PropertyList::xmlDataFromPropertyList(*PropertyList::propertyListFromData(longer));
  node = nullptr;
  plist_from_xml(longerXml.data(), static_cast<std::uint32_t>(longerXml.size()), &node);
  for (const std::string& form : {longer, longerXml, binaryFromNode(node)}) {
    EXPECT_FALSE(PropertyList::propertyListFromData(form, nullptr, limits)) << form;
  }
  // Size is checked before anything is read.
  EXPECT_FALSE(PropertyList::propertyListFromData(xml, nullptr, PropertyListLimits{xml.size() - 1, 10}));
  // The shared-object shape expands past the budget and is refused at once.
  EXPECT_FALSE(PropertyList::propertyListFromData(hostileplists::sharedTrueArray(20000), nullptr, PropertyListLimits{1 << 20, 4096}));
}

TEST(BinaryPlistCheckerTest, RefusesBrokenStructure) {
  const std::string good = chainedBinary(3, 1);
  EXPECT_TRUE(BinaryPlistChecker::isWithinLimits(good, 128, 1000));
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(good, 1, 1000));   // too deep
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(good, 128, 2));    // too many
  const std::size_t trailer = good.size() - 32;
  auto broken = [&](std::size_t at, char value) {
    std::string copy = good;
    copy[at] = value;
    return copy;
  };
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(broken(trailer + 6, 0), 128, 1000));
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(broken(trailer + 7, 9), 128, 1000));
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(broken(trailer + 23, 3), 128, 1000));
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(broken(trailer + 31, 127), 128, 1000));
  // The first array's reference points past the last object.
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(broken(12, 9), 128, 1000));
  // An offset that points into the header.
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(broken(trailer - 12 + 3, 2), 128, 1000));
  // A count of 2^32 references that the file does not have.
  std::string huge = good;
  huge[8] = static_cast<char>(0xAF);
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits(huge, 128, 1000));
  EXPECT_FALSE(BinaryPlistChecker::isWithinLimits("bplist00", 128, 1000));
}

TEST(BinaryPlistCheckerTest, DictionaryKeysAreStringsWithoutNul) {
  const std::string value = "\x51v";
  auto withKey = [&](const std::string& key) { return binaryOfObjects({std::string("\xD1\x01\x02", 3), key, value}); };
  const auto ascii = PropertyList::propertyListFromData(withKey("\x53key"));
  ASSERT_TRUE(ascii);
  EXPECT_EQ(*ascii, PropertyListValue(Dictionary{{"key", "v"}}));
  const auto utf16Key = PropertyList::propertyListFromData(withKey(std::string("\x62\x00k\x01\x00", 5)));
  ASSERT_TRUE(utf16Key);
  EXPECT_EQ(*utf16Key, PropertyListValue(Dictionary{{"k\xC4\x80", "v"}}));
  // libplist reads a UTF-16 key holding a NUL and then aborts the process
  // on walking the dictionary; the reader refuses such a list first.
  EXPECT_FALSE(PropertyList::propertyListFromData(withKey(std::string("\x62\x00k\x00\x00", 5))));
  EXPECT_FALSE(PropertyList::propertyListFromData(withKey(std::string("\x52k\x00", 3))));
  // A key whose length runs past the objects, and keys that are not strings.
  EXPECT_FALSE(PropertyList::propertyListFromData(withKey("\x5F\x10\x7Fkey")));
  EXPECT_FALSE(PropertyList::propertyListFromData(withKey("\x10\x05")));
  EXPECT_FALSE(PropertyList::propertyListFromData(withKey("\xD0")));
}

TEST(PropertyListValueTest, TypedAccess) {
  const PropertyListValue text("x");
  EXPECT_EQ(*text.asString(), "x");
  EXPECT_FALSE(text.asInteger());
  EXPECT_FALSE(text.asBoolean());
  EXPECT_EQ(PropertyListValue(3).asReal(), 3.0);
  EXPECT_FALSE(PropertyListValue(3.5).asInteger());
  EXPECT_EQ(PropertyListValue::stringArray({"a", "b"}).asStringArray(),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(PropertyListValue(Array{"a", 1}).asStringArray());
  EXPECT_EQ(PropertyListValue(Dictionary{{"k", 1}}).objectForKey("k")->asInteger(), 1);
  EXPECT_EQ(PropertyListValue(Dictionary{}).objectForKey("k"), nullptr);
  EXPECT_EQ(text.objectForKey("k"), nullptr);
}

}  // namespace
}  // namespace platform
