#pragma once
// The documents the JSON benchmark reads: a typical ad answer, a click
// answer carrying a contact, and a deterministic ~2 MB document with nesting,
// escapes, non-ASCII text, integers and fractions.

#include <cstdint>
#include <string>

namespace bench {

inline std::string adAnswer() {
  return R"({"text":"Vorla Button Pro: the button that talks back, now 50% off!",)"
         R"("6":"http://media.ads.example.net/img/icon_0042.png","18":"1","8":"0x1A2B3C",)"
         R"("url":"http://ads.example.net/click?ad=42&pub=a1b2c3d4e5f6&t=1239876543&v=20090402",)"
         R"("jsonp_url":"http://ads.example.net/jsonp?ad=42&cb=pennant_cb_7",)"
         R"("banner":"http://media.ads.example.net/img/banner_320x48_42.png",)"
         R"("204":"http://media.ads.example.net/img/action_web.png",)"
         R"("cpm_url":"http://ads.example.net/cpm?ad=42&pub=a1b2c3d4e5f6",)"
         R"("tracking_pixel":"http://t.example.net/p.gif?ad=42&ts=1239876543&u=8f14e45fceea167a5a36dedd4bea2543"})";
}

inline std::string clickAnswer() {
  return R"({"redirect_url":"http://www.example.com/landing?campaign=spring&src=pennant&ad=42",)"
         R"("acquisition_url":"http://ads.example.net/acq?ad=42&pub=a1b2c3d4e5f6&ts=1239876543",)"
         R"("contact":{"first_name":"Jos\u00e9","last_name":"Garc\u00eda M\u00fcller",)"
         R"("organization":"Caf\u00e9 Zo\u00eb & S\u00f6hne GmbH","job_title":"Directeur g\u00e9n\u00e9ral",)"
         R"("note":"Ouvert du lundi au samedi, 9h\u201319h.\nFerm\u00e9 le dimanche.",)"
         "\"nickname\":\"\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e\","
         R"("phones":[{"label":"work","value":"+49 30 1234567"},{"label":"mobile","value":"+49 170 7654321"},)"
         R"({"label":"fax","value":"+49 30 1234568"}],)"
         R"("emails":[{"label":"work","value":"jose.garcia@cafe-zoe.example.de"},)"
         R"({"label":"home","value":"jgm@example.org"}],)"
         R"("addresses":[{"label":"work","street":"Friedrichstra\u00dfe 123","city":"Berlin",)"
         R"("state":"Berlin","zip":"10117","country":"Deutschland","country_code":"de"},)"
         R"({"label":"home","street":"Calle de Alcal\u00e1 45, 3\u00ba izq.","city":"Madrid",)"
         R"("state":"Madrid","zip":"28014","country":"Espa\u00f1a","country_code":"es"}],)"
         R"("urls":[{"label":"homepage","value":"http://www.cafe-zoe.example.de/"},)"
         R"({"label":"menu","value":"http://www.cafe-zoe.example.de/karte?lang=de&season=fr\u00fchling"}]},)"
         R"("tracking_pixel":"http://t.example.net/p.gif?ad=42&ts=1239876543&ev=click&u=8f14e45fceea167a5a36dedd4bea2543",)"
         R"("action":"contact","title":"Add to contacts?","confirm":"Add","cancel":"Not now"})";
}

// About targetBytes of JSON: an object holding an array of records.
inline std::string generatedDocument(std::size_t targetBytes = 2 * 1024 * 1024) {
  std::uint64_t state = 0x2545F4914F6CDD1DULL;
  auto next = [&state]() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  static const char* const kWords[] = {"alpha", "beta", "gamma", "caf\xc3\xa9", "na\xc3\xafve", "\xe6\x97\xa5\xe6\x9c\xac",
                                       "stra\xc3\x9f" "e", "quote\\\"d", "tab\\tbed", "line\\nbreak", "\\u00e9t\\u00e9",
                                       "http://example.com/a?b=c&d=e", "\xf0\x9f\x98\x80", "plain text here"};
  constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];
  std::string out = "{\"generator\":\"pennant-bench\",\"version\":1,\"items\":[";
  for (std::size_t id = 0; out.size() < targetBytes; ++id) {
    if (id > 0) out += ',';
    out += "{\"id\":" + std::to_string(id) + ",\"name\":\"" + kWords[next() % kWordCount] + ' ' +
           kWords[next() % kWordCount] + "\",\"score\":" + std::to_string(next() % 100000) + '.' +
           std::to_string(next() % 1000) + ",\"delta\":-" + std::to_string(next() % 5000) + "e-3" +
           ",\"active\":" + (next() % 2 ? "true" : "false") + ",\"parent\":null,\"tags\":[";
    const std::size_t tags = next() % 5;
    for (std::size_t t = 0; t < tags; ++t) {
      if (t > 0) out += ',';
      out += std::string("\"") + kWords[next() % kWordCount] + '"';
    }
    out += "],\"position\":{\"x\":" + std::to_string(next() % 320) + ",\"y\":" + std::to_string(next() % 480) +
           ",\"history\":[" + std::to_string(next() % 1000) + ',' + std::to_string(next() % 1000) + ',' +
           std::to_string(next() % 1000) + "]},\"note\":\"" + kWords[next() % kWordCount] + " / " +
           kWords[next() % kWordCount] + "\"}";
  }
  out += "]}";
  return out;
}

}  // namespace bench
