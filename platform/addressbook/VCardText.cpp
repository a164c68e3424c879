#include "platform/addressbook/VCardText.h"

#include "platform/foundation/UnicodeText.h"

namespace platform::addressbook {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr unsigned char kDelete = 0x7f;

bool isContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t sequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || length > text.size()) return 0;
  return UnicodeText::isValidUTF8(text.substr(0, length)) ? length : 0;
}

}  // namespace

std::string VCardText::validUTF8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = sequenceLength(text);
    if (length == 0) {
      UnicodeText::appendUTF8(out, kReplacementCharacter);
      text.remove_prefix(1);
      continue;
    }
    out.append(text.substr(0, length));
    text.remove_prefix(length);
  }
  return out;
}

std::string VCardText::asciiLowercase(std::string_view text) {
  std::string lower(text);
  for (auto& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string VCardText::storedText(std::string_view value) {
  const std::string text = validUTF8(value);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else if ((c >= 0x20 && c != kDelete) || c == '\t' || c == '\n') {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string VCardText::escapeText(std::string_view value) {
  const std::string text = storedText(value);
  std::string out;
  out.reserve(text.size() + 8);
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case ',': out += "\\,"; break;
      case ';': out += "\\;"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string VCardText::unescapeText(std::string_view raw) {
  return storedText(unescaped(raw));
}

std::string VCardText::unescaped(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    const char next = raw[++i];
    switch (next) {
      case 'n':
      case 'N': out += '\n'; break;
      case '\\':
      case ',':
      case ';':
      case ':': out += next; break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

std::vector<std::string_view> VCardText::splitUnescaped(std::string_view raw, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\') {
      ++i;
    } else if (raw[i] == separator) {
      parts.push_back(raw.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(raw.substr(start));
  return parts;
}

std::string VCardText::encodeParameterValue(std::string_view value) {
  std::string out = "\"";
  for (const char c : storedText(value)) {
    if (c == '^') {
      out += "^^";
    } else if (c == '"') {
      out += "^'";
    } else if (c == '\n') {
      out += "^n";
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string VCardText::decodeParameterValue(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '^' && i + 1 < raw.size()) {
      const char next = raw[i + 1];
      if (next == '^' || next == 'n' || next == '\'') {
        out += next == 'n' ? '\n' : next == '\'' ? '"' : '^';
        ++i;
        continue;
      }
    }
    out += raw[i];
  }
  return out;
}

void VCardText::appendFolded(std::string& out, std::string_view line) {
  // The first physical line holds kMaxLineOctets; each continuation starts
  // with one space, which leaves one octet less for the content.
  std::size_t room = kMaxLineOctets;
  while (line.size() > room) {
    std::size_t cut = room;
    while (cut > 0 && isContinuationByte(static_cast<unsigned char>(line[cut]))) --cut;
    if (cut == 0) cut = room;  // Not UTF-8 at all: cut where the room ends.
    out.append(line.substr(0, cut));
    out += "\r\n ";
    line.remove_prefix(cut);
    room = kMaxLineOctets - 1;
  }
  out.append(line);
  out += "\r\n";
}

}  // namespace platform::addressbook
