// pennant-inspect's commands that show how the ad library reads strings
// files and ad answers, builds query strings and identifies itself.
#include <gtest/gtest.h>

#include <regex>

#include "InspectTool.h"

namespace {

using InspectAds = inspect_testing::InspectTool;

TEST_F(InspectAds, StringsShowsTheLocalizersTable) {
  auto oldStyle = file("fr.strings", "/* banner */\n\"Cancel\" = \"Annuler\";\n\"Ok\" = \"D\\U00e9j\\u00e0\";\n");
  auto run = this->run("strings " + oldStyle.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "{\"Cancel\":\"Annuler\",\"Ok\":\"D\\u00e9j\\u00e0\"}\n");

  std::string utf16 = "\xfe\xff";
  for (char c : std::string("\"Add\" = \"A\xf1" "adir\";")) utf16 += std::string{'\0', c};
  auto fromUtf16 = this->run("strings " + file("es.strings", utf16).string());
  EXPECT_EQ(fromUtf16.out, "{\"Add\":\"A\\u00f1adir\"}\n");

  auto xml = file("de.strings",
                  "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Ok</key><string>OK</string>"
                  "<key>n</key><integer>1</integer></dict></plist>");
  EXPECT_EQ(this->run("strings " + xml.string()).out, "{\"Ok\":\"OK\"}\n");

  for (const char* empty : {"", "(\"a\", \"b\")", "\"Cancel\" = ", "<plist><dict><key>a</key>"}) {
    auto result = this->run("strings " + file("x.strings", empty).string());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "{}\n") << empty;
  }
  EXPECT_EQ(this->run("strings " + (dir_ / "missing.strings").string()).out, "{}\n");
  EXPECT_EQ(this->run("strings").status, 2);
}

TEST_F(InspectAds, UserAgentHasTheLibrarysShape) {
  auto run = this->run("user-agent");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(std::regex_match(run.out, std::regex(R"(Mozilla/5\.0 \([^;]+; U; CPU \S+ [0-9_]+ like Mac OS X; HW [^;]+; )"
                                                   R"([a-z_]+\) AppleWebKit/525\.18\.1 \(KHTML, like Gecko\) )"
                                                   R"(\(Pennant-iSDK-20090402\)\n)")))
      << run.out;
}

TEST_F(InspectAds, QueryEscapesEveryValueInsideItsPair) {
  auto run = this->run("query s=a15c 'k=shoes&s=x#y' 'search=a b+c=d' 'd[dob]=19750309' 'l=caf\xc3\xa9'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "s=a15c&k=shoes%26s%3Dx%23y&search=a%20b%2Bc%3Dd&d[dob]=19750309&l=caf%C3%A9\n");
  EXPECT_EQ(this->run("query").out, "\n");
  EXPECT_EQ(this->run("query novalue").status, 2);
}

TEST_F(InspectAds, AdShowsAcceptanceFieldsAndDownloads) {
  auto text = this->run("ad --media-host http://media.test -",
                        R"({"text":"Bread","6":"url","url":"http://b/","204":"/static/ads/b.png","cpm_url":"http://p/"})");
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out,
            "{\"accepted\":true,\"downloads\":[{\"identifier\":\"userImage\",\"url\":\"http://media.test/static/ads/"
            "b.png\"},{\"identifier\":\"actionIcon\",\"url\":\"http://media.test/static/iphone/img/url.png\"}],"
            "\"fields\":{\"action\":\"url\",\"actionImageName\":\"url\",\"clickUrl\":\"http://b/\",\"imageUrl\":"
            "\"http://media.test/static/ads/b.png\",\"text\":\"Bread\"},\"medium\":0,\"pixels\":[]}\n");

  auto banner = this->run("ad -", R"({"banner":"http://i/b.png","204":"/x","6":"call","18":"phone","url":"u",)"
                                  R"("cpm_url":"http://p/c","tracking_pixel":""})");
  EXPECT_EQ(banner.status, 0);
  EXPECT_NE(banner.out.find("\"medium\":1"), std::string::npos);
  EXPECT_NE(banner.out.find("/static/iphone/img/phone.png"), std::string::npos);
  EXPECT_NE(banner.out.find("\"pixels\":[{\"identifier\":\"accountingPixel\",\"url\":\"http://p/c\"}]"),
            std::string::npos)
      << banner.out;

  // A path that would leave the media host: accepted, but its picture has
  // no URL, so that download fails.
  auto hostile = this->run("ad --media-host http://media.test -",
                           R"({"text":"t","6":"url","url":"u","204":"@127.0.0.1:9/x.png"})");
  EXPECT_EQ(hostile.status, 0);
  EXPECT_NE(hostile.out.find("{\"identifier\":\"userImage\",\"url\":null}"), std::string::npos) << hostile.out;

  auto rejected = this->run("ad -", R"({"6":"url","url":"u"})");
  EXPECT_EQ(rejected.status, 1);
  EXPECT_NE(rejected.out.find("\"accepted\":false,\"downloads\":[]"), std::string::npos);
  EXPECT_EQ(this->run("ad -", " {\"text\":\"leading space\"}").status, 1);
  EXPECT_EQ(this->run("ad").status, 2);
}

TEST_F(InspectAds, ClickShowsTheDestinationTheAcquisitionAndTheContactCard) {
  auto call = this->run("click -", R"({"redirect_url":"tel:+15555550123","acquisition_url":"http://a/1"})");
  EXPECT_EQ(call.status, 0);
  EXPECT_EQ(call.out,
            "{\"acquisitionUrl\":\"http://a/1\",\"contact\":null,\"destination\":\"tel:+15555550123\","
            "\"failed\":false,\"redirectUrl\":\"tel:+15555550123\"}\n");

  auto contact = this->run("click -", R"({"contact":{"organization":"Sunrise; Bakery","phonenums":{"work":5550100}},)"
                                      R"("acquisition_url":["not text"]})");
  EXPECT_EQ(contact.status, 0);
  EXPECT_NE(contact.out.find("\"acquisitionUrl\":null"), std::string::npos) << contact.out;
  EXPECT_NE(contact.out.find("ORG:Sunrise\\\\; Bakery\\u000d\\u000a"), std::string::npos) << contact.out;
  EXPECT_NE(contact.out.find("TEL;TYPE=work:5550100"), std::string::npos) << contact.out;
  EXPECT_NE(contact.out.find("\"destination\":null"), std::string::npos);

  EXPECT_EQ(this->run("click -", "").status, 1);
  auto wrongType = this->run("click -", R"({"redirect_url":42})");
  EXPECT_EQ(wrongType.status, 1);
  EXPECT_NE(wrongType.out.find("\"failed\":true"), std::string::npos);
  EXPECT_EQ(this->run("click -", "not JSON").out,
            "{\"acquisitionUrl\":null,\"contact\":null,\"destination\":null,\"failed\":false,\"redirectUrl\":null}\n");
  EXPECT_EQ(this->run("click").status, 2);
}

TEST_F(InspectAds, VcardPrintsTheEntryAsItWouldBeWritten) {
  auto card = this->run("vcard -", R"({"organization":"Sunrise Bakery","note":"Open 6-18,\nevery day",)"
                                   R"("addresses":{"work":{"Street":"12 Mill Lane","City":"Springfield"}}})");
  EXPECT_EQ(card.status, 0);
  EXPECT_EQ(card.out.rfind("BEGIN:VCARD\r\nVERSION:4.0\r\n", 0), 0u) << card.out;
  for (const char* line : {"KIND:org\r\n", "FN:Sunrise Bakery\r\n", "ORG:Sunrise Bakery\r\n",
                           "NOTE:Open 6-18\\,\\nevery day\r\n", "ADR;TYPE=work:;;12 Mill Lane;Springfield;;;\r\n",
                           "UID:pennant-inspect\r\n"}) {
    EXPECT_NE(card.out.find(line), std::string::npos) << line << card.out;
  }
  EXPECT_EQ(this->run("vcard -", R"({"note":"no name"})").status, 1);
  EXPECT_EQ(this->run("vcard").status, 2);
}

}  // namespace
