#include "ads/destinations/PennantLinkRules.h"

#include <algorithm>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringsFileParser.h"
#include "platform/foundation/Url.h"

namespace pennant {

namespace {

constexpr const char* kMapHostPrefixesKey = "MapHostPrefixes";
constexpr const char* kVideoHostsKey = "VideoHosts";
constexpr const char* kStoreHostPrefixesKey = "StoreHostPrefixes";
constexpr std::string_view kVideoPathPrefixes[] = {"/watch", "/v/"};

enum class Entry { HostName, HostPrefix };

std::vector<std::string> readList(const platform::PropertyListValue& rules, const char* key, Entry entry) {
  std::vector<std::string> list;
  const auto* value = rules.objectForKey(key);
  const auto* items = value ? value->asArray() : nullptr;
  if (!items) return list;
  for (const auto& item : *items) {
    const auto* text = item.asString();
    if (!text || text->empty()) continue;
    if (entry == Entry::HostPrefix && text->back() != '.') continue;
    list.push_back(*text);
  }
  return list;
}

bool startsWithAny(const std::string& text, const std::vector<std::string>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](const std::string& prefix) { return text.starts_with(prefix); });
}

}  // namespace

PennantLinkRules PennantLinkRules::fromMainBundle() {
  auto path = platform::Bundle::mainBundle().pathForResourceOfType(kResourceName, kResourceType);
  auto text = path ? platform::FileManager::contentsAtPath(*path) : std::nullopt;
  if (!text) {
    platform::log("Pennant: no link rules (link-rules.strings) in the app's bundle; every web page opens in the browser");
    return {};
  }
  return fromStringsText(*text);
}

PennantLinkRules PennantLinkRules::fromStringsText(std::string_view text) {
  PennantLinkRules rules;
  auto parsed = platform::StringsFileParser::parse(text);
  if (!parsed || !parsed->asDictionary()) {
    platform::log("Pennant: the link rules (link-rules.strings) cannot be read; every web page opens in the browser");
    return rules;
  }
  rules.mapHostPrefixes_ = readList(*parsed, kMapHostPrefixesKey, Entry::HostPrefix);
  rules.videoHosts_ = readList(*parsed, kVideoHostsKey, Entry::HostName);
  rules.storeHostPrefixes_ = readList(*parsed, kStoreHostPrefixesKey, Entry::HostPrefix);
  return rules;
}

PennantLinkRules::Decision PennantLinkRules::decisionForURL(std::string_view urlText) const {
  const auto colon = urlText.find(':');
  const std::string_view scheme = colon == std::string_view::npos ? std::string_view() : urlText.substr(0, colon);
  if (scheme == "file") return Decision::Refuse;
  if (scheme == "about") return Decision::Load;
  if (scheme != "http" && scheme != "https") return Decision::System;

  // The engine only asks about URLs it could parse; text that is not a URL
  // here has no host to match and is the engine's to refuse.
  const auto url = platform::Url::URLWithString(urlText);
  const std::string host = url && url->host() ? *url->host() : "";
  const std::string path = url ? url->path() : "";
  if (startsWithAny(host, mapHostPrefixes_)) return Decision::System;
  const bool videoHost = std::find(videoHosts_.begin(), videoHosts_.end(), host) != videoHosts_.end();
  if (videoHost && std::any_of(std::begin(kVideoPathPrefixes), std::end(kVideoPathPrefixes),
                               [&](std::string_view prefix) { return path.starts_with(prefix); })) {
    return Decision::System;
  }
  if (startsWithAny(host, storeHostPrefixes_)) return Decision::System;
  return Decision::Load;
}

const char* PennantLinkRules::nameOfDecision(Decision decision) {
  switch (decision) {
    case Decision::Load:
      return "load";
    case Decision::Refuse:
      return "refuse";
    case Decision::System:
      return "system";
  }
  return "load";
}

}  // namespace pennant
