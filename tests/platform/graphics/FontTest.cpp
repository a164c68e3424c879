#include "platform/graphics/Font.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "GraphicsTestSupport.h"
#include "platform/graphics/FontConfiguration.h"
#include "platform/graphics/StringDrawing.h"

namespace platform::graphics {
namespace {

struct NameCase {
  const char* name;
  const char* family;
  bool bold;
  bool italic;
};

class FontNames : public testing::TestWithParam<NameCase> {};

TEST_P(FontNames, SplitIntoFamilyWeightAndSlant) {
  const NameCase& c = GetParam();
  auto font = Font::fontWithNameSize(c.name, 13);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->fontName(), c.name);
  EXPECT_EQ(font->familyName(), c.family);
  EXPECT_EQ(font->isBold(), c.bold);
  EXPECT_EQ(font->isItalic(), c.italic);
  EXPECT_EQ(font->pointSize(), 13);
}

INSTANTIATE_TEST_SUITE_P(
    PlatformNames, FontNames,
    testing::Values(NameCase{"Helvetica", "Helvetica", false, false},
                    NameCase{"Helvetica-Bold", "Helvetica", true, false},
                    NameCase{"Helvetica-Oblique", "Helvetica", false, true},
                    NameCase{"Helvetica-BoldOblique", "Helvetica", true, true},
                    NameCase{"Marker Felt", "Marker Felt", false, false},
                    NameCase{"MarkerFelt-Thin", "Marker Felt", false, false},
                    NameCase{"MarkerFelt-Wide", "Marker Felt", true, false},
                    NameCase{"Some-Unknown", "Some-Unknown", false, false}));

TEST(FontFactory, RefusesEmptyNamesAndUnusableSizes) {
  EXPECT_FALSE(Font::fontWithNameSize("", 12));
  EXPECT_FALSE(Font::fontWithNameSize(std::string_view("Helv\0etica", 10), 12));
  EXPECT_FALSE(Font::fontWithNameSize("Helvetica", 0));
  EXPECT_FALSE(Font::fontWithNameSize("Helvetica", -3));
  EXPECT_FALSE(Font::fontWithNameSize("Helvetica", std::nan("")));
  EXPECT_FALSE(Font::fontWithNameSize("Helvetica", Font::kMaxPointSize + 1));
  EXPECT_FALSE(Font::systemFontOfSize(0));
  EXPECT_FALSE(Font::fontWithNameSize("Helvetica", 12)->fontWithSize(INFINITY));
}

TEST(FontFactory, SystemFontsAreHelveticaAndOtherSizesKeepTheFace) {
  auto regular = Font::systemFontOfSize(14);
  auto bold = Font::boldSystemFontOfSize(15);
  EXPECT_EQ(regular->familyName(), "Helvetica");
  EXPECT_FALSE(regular->isBold());
  EXPECT_EQ(bold->familyName(), "Helvetica");
  EXPECT_TRUE(bold->isBold());
  auto larger = bold->fontWithSize(30);
  EXPECT_EQ(larger->fontName(), "Helvetica-Bold");
  EXPECT_TRUE(larger->isBold());
  EXPECT_EQ(larger->pointSize(), 30);
}

TEST(FontResolution, HelveticaIsNimbusSansAndMarkerFeltTheAppsCasualFace) {
  graphicstest::loadAppFonts();
  EXPECT_EQ(Font::fontWithNameSize("Helvetica", 12)->resolvedFamilyName(), "Nimbus Sans");
  EXPECT_EQ(Font::fontWithNameSize("Helvetica-Bold", 13)->resolvedFamilyName(), "Nimbus Sans");
  EXPECT_EQ(Font::fontWithNameSize("Marker Felt", 24)->resolvedFamilyName(), "Comic Neue");
  EXPECT_EQ(Font::fontWithNameSize("MarkerFelt-Wide", 24)->resolvedFamilyName(), "Comic Neue");
}

class FontRules : public testing::Test {
 protected:
  void SetUp() override {
    graphicstest::loadAppFonts();
    dir_ = std::filesystem::temp_directory_path() / ("font-rules-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_ / "fonts");
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    // Leave the app's own rules in force for the other tests.
    EXPECT_TRUE(FontConfiguration::ensureLoaded(graphicstest::bundleDir()));
  }
  void writeRules(const std::string& text) { std::ofstream(dir_ / "fonts" / "fonts.conf") << text; }
  static std::string markerFelt() { return Font::fontWithNameSize("Marker Felt", 20)->resolvedFamilyName(); }

  std::filesystem::path dir_;
};

TEST_F(FontRules, ComeFromTheBundleFolderGiven) {
  writeRules(R"(<?xml version="1.0"?>
<fontconfig>
  <alias binding="same"><family>Marker Felt</family><prefer><family>Nimbus Roman</family></prefer></alias>
</fontconfig>)");
  ASSERT_TRUE(FontConfiguration::ensureLoaded(dir_.string()));
  EXPECT_EQ(markerFelt(), "Nimbus Roman");
  EXPECT_EQ(FontConfiguration::loadedRulesFile(), (dir_ / "fonts" / "fonts.conf").string());
  EXPECT_EQ(Font::fontWithNameSize("Helvetica", 12)->resolvedFamilyName(), "Nimbus Sans")
      << "the system's rules still apply";
  ASSERT_TRUE(FontConfiguration::ensureLoaded(graphicstest::bundleDir()));
  EXPECT_EQ(markerFelt(), "Comic Neue");
}

TEST_F(FontRules, TextMeasuresWithTheRulesInForceEvenWhenMeasuredBefore) {
  const auto font = Font::fontWithNameSize("Marker Felt", 20);
  const std::string text = "Sunrise Bakery: fresh bread every morning";
  const Size casual = StringDrawing::sizeWithFont(text, *font);
  writeRules(R"(<?xml version="1.0"?>
<fontconfig>
  <alias binding="same"><family>Marker Felt</family><prefer><family>Nimbus Roman</family></prefer></alias>
</fontconfig>)");
  ASSERT_TRUE(FontConfiguration::ensureLoaded(dir_.string()));
  const Size serif = StringDrawing::sizeWithFont(text, *font);
  EXPECT_NE(serif.width, casual.width) << "a size remembered from the rules before";
  ASSERT_TRUE(FontConfiguration::ensureLoaded(graphicstest::bundleDir()));
  EXPECT_EQ(StringDrawing::sizeWithFont(text, *font).width, casual.width);
}

TEST_F(FontRules, MissingOrUnreadableRulesFailAndKeepTheRulesInForce) {
  const std::string before = FontConfiguration::loadedRulesFile();
  EXPECT_FALSE(FontConfiguration::ensureLoaded((dir_ / "no-such-bundle").string()));
  // A folder where the file should be.
  std::filesystem::create_directories(dir_ / "fonts" / "fonts.conf");
  EXPECT_FALSE(FontConfiguration::ensureLoaded(dir_.string()));
  EXPECT_EQ(FontConfiguration::loadedRulesFile(), before);
  EXPECT_EQ(markerFelt(), "Comic Neue");
}

TEST_F(FontRules, MalformedRulesFailAndKeepTheRulesInForce) {
  writeRules("<fontconfig><alias><family>Marker Felt</family><prefer>");
  EXPECT_FALSE(FontConfiguration::ensureLoaded(dir_.string()));
  EXPECT_EQ(FontConfiguration::loadedRulesFile(), std::filesystem::absolute(graphicstest::bundleDir() + "/fonts/fonts.conf").string());
  EXPECT_EQ(markerFelt(), "Comic Neue");
}

}  // namespace
}  // namespace platform::graphics
