#pragma once
// Which requests of the embedded browser stay in it and which go to the
// system, decided URL by URL, the first matching rule winning:
//   1. scheme "file"                         refuse (never load local files)
//   2. scheme "about"                        load
//   3. any scheme but "http" and "https"     the system (mail, phone, ...)
//   4. host starts with a map-service prefix the system
//   5. host is a video site and the path starts with "/watch" or "/v/"
//                                            the system
//   6. host starts with a media-store prefix the system
//   7. anything else                         load
// Comparisons are exact and case-sensitive (the engine hands over URLs
// with their scheme and host in lower case).
//
// The host lists are configuration of the app's bundle, "link-rules.strings":
// two map-service prefixes (the first two labels of a host name and a dot,
// "maps.example."), two video-site host names (the site's domain with and
// without "www."), and four media-store prefixes (two store prefixes, each
// also with "ax." in front, each ending in a dot). A prefix that does not
// end in a dot would match hosts of anybody's choosing and is left out, as
// are entries that are not text; a missing or unreadable file leaves the
// lists empty, so rules 4 to 6 match nothing and every web page loads in
// the browser.
//
//   auto rules = PennantLinkRules::fromMainBundle();
//   switch (rules.decisionForURL(url)) { ... }

#include <string>
#include <string_view>
#include <vector>

namespace pennant {

class PennantLinkRules {
 public:
  static constexpr const char* kResourceName = "link-rules";
  static constexpr const char* kResourceType = "strings";

  enum class Decision { Load, Refuse, System };

  // The bundle's link-rules.strings, read now.
  static PennantLinkRules fromMainBundle();
  // The text of a link-rules.strings file.
  static PennantLinkRules fromStringsText(std::string_view text);

  Decision decisionForURL(std::string_view url) const;
  // "load", "refuse", "system": the decision's name in the journal.
  static const char* nameOfDecision(Decision decision);

  const std::vector<std::string>& mapHostPrefixes() const { return mapHostPrefixes_; }
  const std::vector<std::string>& videoHosts() const { return videoHosts_; }
  const std::vector<std::string>& storeHostPrefixes() const { return storeHostPrefixes_; }

 private:
  std::vector<std::string> mapHostPrefixes_;
  std::vector<std::string> videoHosts_;
  std::vector<std::string> storeHostPrefixes_;
};

}  // namespace pennant
