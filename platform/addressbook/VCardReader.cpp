#include "platform/addressbook/VCardReader.h"

#include <cctype>
#include <map>

#include "platform/addressbook/AddressKeys.h"
#include "platform/addressbook/Base64.h"
#include "platform/addressbook/Labels.h"
#include "platform/addressbook/VCardText.h"

namespace platform::addressbook {

namespace {

constexpr std::string_view kCustomLabelProperty = "X-ABLABEL";
constexpr std::string_view kTelScheme = "tel:";
constexpr std::string_view kDataScheme = "data:";
constexpr std::string_view kBase64Marker = ";base64";

// ADR components after the post-office box and the extended address.
constexpr std::size_t kAdrStreet = 2;
constexpr std::size_t kAdrCity = 3;
constexpr std::size_t kAdrState = 4;
constexpr std::size_t kAdrZIP = 5;
constexpr std::size_t kAdrCountry = 6;

std::string lowercase(std::string_view text) { return VCardText::asciiLowercase(text); }

std::string trimmedLowercase(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return lowercase(text);
}

class CardReading {
 public:
  explicit CardReading(const std::vector<VCardLine>& lines) : lines_(lines) {
    for (const auto& line : lines_) {
      if (line.name == kCustomLabelProperty && !line.group.empty()) {
        customLabels_.emplace(lowercase(line.group), VCardText::unescapeText(line.value));
      }
    }
  }

  VCardReader::Result read() {
    std::optional<std::string> formattedName;
    bool kindRead = false;
    for (const auto& line : lines_) {
      const std::string& name = line.name;
      if (name == "KIND" && !kindRead) {
        // One kind per card: a second KIND line cannot make a group an
        // organization as well.
        kindRead = true;
        readKind(line.value);
      } else if (name == "ORG" && !result_.content.organization) {
        result_.content.organization = VCardText::unescapeText(VCardText::splitUnescaped(line.value, ';').front());
      } else if (name == "FN" && !formattedName) {
        formattedName = VCardText::unescapeText(line.value);
      } else if (name == "NOTE" && !result_.content.note) {
        result_.content.note = VCardText::unescapeText(line.value);
      } else if (name == "UID" && result_.content.uid.empty()) {
        result_.content.uid = VCardText::unescapeText(line.value);
      } else if (name == "PRODID" && result_.productId.empty()) {
        result_.productId = VCardText::unescapeText(line.value);
      } else if (name == "TEL") {
        addString(result_.content.phones, line, telephoneNumber(line));
      } else if (name == "EMAIL") {
        addString(result_.content.emails, line, VCardText::unescapeText(line.value));
      } else if (name == "URL") {
        addString(result_.content.urls, line, VCardText::unescapeText(line.value));
      } else if (name == "ADR") {
        addAddress(line);
      } else if (name == "PHOTO" && !result_.content.imageData) {
        result_.content.imageData = photo(line);
      }
    }
    // An organization card that names itself only in FN is still that
    // organization; an empty FN names nothing.
    if (!result_.content.organization && result_.content.kind == PersonKind::Organization && formattedName &&
        !formattedName->empty()) {
      result_.content.organization = formattedName;
    }
    return std::move(result_);
  }

 private:
  void readKind(std::string_view value) {
    const std::string kind = trimmedLowercase(value);
    if (kind == "org" || kind == "organization") {
      result_.content.kind = PersonKind::Organization;
    } else if (kind == "group") {
      result_.content.recordType = RecordType::Group;
    }
  }

  std::string label(const VCardLine& line) const {
    if (!line.group.empty()) {
      if (auto found = customLabels_.find(lowercase(line.group)); found != customLabels_.end()) return found->second;
    }
    std::vector<std::string> types;
    for (const auto& value : line.parameterValues("TYPE")) {
      for (auto part : VCardText::splitUnescaped(value, ',')) types.emplace_back(part);
    }
    return VCardText::storedText(Labels::labelForTypes(types));
  }

  // A number given as a URI ("TEL;VALUE=uri:tel:+1-555-0100") loses its
  // scheme; without VALUE=uri the value is text, kept as it is, so a number
  // that itself begins with "tel:" reads back as it was written.
  static std::string telephoneNumber(const VCardLine& line) {
    std::string number = VCardText::unescapeText(line.value);
    bool isURI = false;
    for (const auto& type : line.parameterValues("VALUE")) isURI = isURI || lowercase(type) == "uri";
    if (isURI && lowercase(number.substr(0, kTelScheme.size())) == kTelScheme) number.erase(0, kTelScheme.size());
    return number;
  }

  void addString(std::optional<MultiValue>& target, const VCardLine& line, std::string value) {
    if (!target) target.emplace(MultiValueType::MultiString);
    target->addValueAndLabel(std::move(value), label(line));
  }

  void addAddress(const VCardLine& line) {
    const auto components = VCardText::splitUnescaped(line.value, ';');
    MultiValue::Dictionary address;
    const auto put = [&](std::size_t index, std::string_view key) {
      if (index >= components.size()) return;
      std::string text = VCardText::unescapeText(components[index]);
      if (!text.empty()) address.emplace(key, std::move(text));
    };
    put(kAdrStreet, kAddressStreetKey);
    put(kAdrCity, kAddressCityKey);
    put(kAdrState, kAddressStateKey);
    put(kAdrZIP, kAddressZIPKey);
    put(kAdrCountry, kAddressCountryKey);
    if (const auto codes = line.parameterValues("CC"); !codes.empty()) {
      std::string code = VCardText::storedText(codes.front());
      if (!code.empty()) address.emplace(kAddressCountryCodeKey, std::move(code));
    }
    if (!result_.content.addresses) result_.content.addresses.emplace(MultiValueType::MultiDictionary);
    result_.content.addresses->addValueAndLabel(std::move(address), label(line));
  }

  static std::optional<std::string> photo(const VCardLine& line) {
    const std::string_view value = line.value;
    if (lowercase(value.substr(0, kDataScheme.size())) == kDataScheme) {
      // "data:<media type>[;parameters];base64,<data>"
      const std::size_t comma = value.find(',');
      if (comma == std::string_view::npos) return std::nullopt;
      const std::string header = lowercase(value.substr(0, comma));
      if (header.size() < kBase64Marker.size() ||
          header.compare(header.size() - kBase64Marker.size(), kBase64Marker.size(), kBase64Marker) != 0) {
        return std::nullopt;
      }
      return Base64::decode(value.substr(comma + 1));
    }
    // Older writers put the bytes inline: ENCODING=b (3.0) or a bare BASE64.
    auto markers = line.parameterValues("ENCODING");
    for (const auto& type : line.parameterValues("TYPE")) markers.push_back(type);
    for (const auto& marker : markers) {
      const std::string lowered = lowercase(marker);
      if (lowered == "b" || lowered == "base64") return Base64::decode(value);
    }
    return std::nullopt;
  }

  const std::vector<VCardLine>& lines_;
  std::map<std::string, std::string> customLabels_;
  VCardReader::Result result_;
};

}  // namespace

VCardReader::Result VCardReader::read(const std::vector<VCardLine>& lines) { return CardReading(lines).read(); }

}  // namespace platform::addressbook
