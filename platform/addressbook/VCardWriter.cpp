#include "platform/addressbook/VCardWriter.h"

#include "platform/addressbook/AddressKeys.h"
#include "platform/addressbook/Base64.h"
#include "platform/addressbook/ImageMediaType.h"
#include "platform/addressbook/Labels.h"
#include "platform/addressbook/VCardText.h"
#include "platform/foundation/AppIdentity.h"

namespace platform::addressbook {

std::string VCardWriter::productId() { return "-//" + AppIdentity::current().name + "//Address Book 1.0//EN"; }

namespace {

class CardWriting {
 public:
  std::string write(const EntryContent& entry) {
    line("BEGIN:VCARD");
    line("VERSION:4.0");
    line("PRODID:" + VCardText::escapeText(VCardWriter::productId()));
    line("UID:" + VCardText::escapeText(entry.uid));
    if (entry.recordType == RecordType::Group) {
      line("KIND:group");
    } else if (entry.kind == PersonKind::Organization) {
      line("KIND:org");
    }
    const std::string organization = VCardText::escapeText(entry.organization.value_or(""));
    line("FN:" + organization);
    if (entry.organization) line("ORG:" + organization);
    if (entry.phones) strings("TEL", *entry.phones);
    if (entry.emails) strings("EMAIL", *entry.emails);
    if (entry.addresses) addresses(*entry.addresses);
    if (entry.urls) strings("URL", *entry.urls);
    if (entry.note) line("NOTE:" + VCardText::escapeText(*entry.note));
    if (entry.imageData) {
      // A data URI is not text: its ';' and ',' are part of it.
      line("PHOTO:data:" + ImageMediaType::sniff(*entry.imageData) + ";base64," + Base64::encode(*entry.imageData));
    }
    line("END:VCARD");
    return std::move(out_);
  }

 private:
  void line(std::string_view text) { VCardText::appendFolded(out_, text); }

  // "TEL;TYPE=work" for a predefined label, "item3.TEL" plus
  // "item3.X-ABLABEL:text" for any other, plain "TEL" for none.
  std::string labelled(std::string_view name, const std::string& label) {
    if (label.empty()) return std::string(name);
    if (const auto types = Labels::typesForLabel(label)) {
      std::string start = std::string(name) + ";TYPE=";
      for (std::size_t i = 0; i < types->size(); ++i) {
        if (i > 0) start += ',';
        start += (*types)[i];
      }
      return start;
    }
    const std::string group = "item" + std::to_string(++groups_);
    pendingLabel_ = group + ".X-ABLABEL:" + VCardText::escapeText(label);
    return group + "." + std::string(name);
  }

  // The custom label goes right after the line it names.
  void flushCustomLabel() {
    if (!pendingLabel_.empty()) line(pendingLabel_);
    pendingLabel_.clear();
  }

  void strings(std::string_view name, const MultiValue& values) {
    for (std::size_t i = 0; i < values.getCount(); ++i) {
      const auto value = values.copyValueAtIndex(i);
      const auto* text = std::get_if<std::string>(&*value);
      if (!text) continue;
      line(labelled(name, *values.copyLabelAtIndex(i)) + ":" + VCardText::escapeText(*text));
      flushCustomLabel();
    }
  }

  void addresses(const MultiValue& values) {
    for (std::size_t i = 0; i < values.getCount(); ++i) {
      const auto value = values.copyValueAtIndex(i);
      const auto* fields = std::get_if<MultiValue::Dictionary>(&*value);
      if (!fields) continue;
      const auto field = [&](std::string_view key) {
        auto found = fields->find(std::string(key));
        return found == fields->end() ? std::string() : VCardText::escapeText(found->second);
      };
      std::string start = labelled("ADR", *values.copyLabelAtIndex(i));
      if (auto code = fields->find(std::string(kAddressCountryCodeKey)); code != fields->end()) {
        start += ";CC=" + VCardText::encodeParameterValue(code->second);
      }
      // Post-office box and extended address stay empty.
      line(start + ":;;" + field(kAddressStreetKey) + ";" + field(kAddressCityKey) + ";" + field(kAddressStateKey) +
           ";" + field(kAddressZIPKey) + ";" + field(kAddressCountryKey));
      flushCustomLabel();
    }
  }

  std::string out_;
  std::string pendingLabel_;
  int groups_ = 0;
};

}  // namespace

std::string VCardWriter::write(const EntryContent& entry) { return CardWriting().write(entry); }

}  // namespace platform::addressbook
