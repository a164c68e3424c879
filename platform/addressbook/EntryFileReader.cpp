#include "platform/addressbook/EntryFileReader.h"

#include "platform/addressbook/VCardParser.h"
#include "platform/addressbook/VCardReader.h"
#include "platform/addressbook/VCardWriter.h"
#include "platform/foundation/UnicodeText.h"

namespace platform::addressbook {

namespace {

// In this program's files the kind and the organization come before FN's
// followers; two complete lines after FN mean the head holds them whole.
constexpr std::size_t kLinesNeededAfterName = 2;

bool isMarker(const VCardLine& line, std::string_view name) { return line.name == name && line.group.empty(); }

std::shared_ptr<const EntryContent> summaryOf(const EntryContent& content) {
  auto summary = std::make_shared<EntryContent>();
  summary->recordType = content.recordType;
  summary->kind = content.kind;
  summary->organization = content.organization;
  summary->uid = content.uid;
  return summary;
}

// The summary of one of our cards from its first lines, or nullopt when the
// head does not settle it.
std::optional<CachedFile> fromHead(const VdirFolder::Contents& head) {
  const std::size_t lastBreak = head.bytes.rfind('\n');
  if (lastBreak == std::string::npos) return std::nullopt;
  auto lines = VCardParser::parseLines(std::string_view(head.bytes).substr(0, lastBreak + 1));
  if (lines.empty() || !isMarker(lines.front(), "BEGIN")) return std::nullopt;
  std::size_t afterName = 0;
  bool sawName = false;
  for (const auto& line : lines) {
    if (isMarker(line, "END") || (isMarker(line, "BEGIN") && &line != &lines.front())) return std::nullopt;
    if (sawName) ++afterName;
    sawName = sawName || isMarker(line, "FN");
  }
  if (afterName < kLinesNeededAfterName) return std::nullopt;
  lines.erase(lines.begin());
  auto read = VCardReader::read(lines);
  if (read.productId != VCardWriter::productId()) return std::nullopt;
  CachedFile file;
  file.identity = head.identity;
  file.writtenByUs = true;
  file.cards.push_back(CachedCard{summaryOf(read.content), false});
  return file;
}

}  // namespace

std::optional<CachedFile> EntryFileReader::load(const VdirFolder& folder, const std::string& name) {
  auto contents = folder.readEntry(name, kHeadBytes);
  if (!contents) return std::nullopt;
  if (!contents->complete) {
    if (auto summary = fromHead(*contents)) return summary;
    contents = folder.readEntry(name, VdirFolder::kMaxEntryBytes);
    if (!contents || !contents->complete) return std::nullopt;
  }
  CachedFile file;
  file.identity = contents->identity;
  // Text that is not UTF-8 is not a vCard this book can show faithfully.
  if (!UnicodeText::isValidUTF8(contents->bytes)) return file;
  const auto cards = VCardParser::parse(contents->bytes);
  for (const auto& card : cards) {
    auto read = VCardReader::read(card.lines);
    file.writtenByUs = cards.size() == 1 && read.productId == VCardWriter::productId();
    file.cards.push_back(CachedCard{std::make_shared<const EntryContent>(std::move(read.content)), true});
  }
  return file;
}

std::optional<EntryContent> EntryFileReader::loadComplete(const VdirFolder& folder, const std::string& name,
                                                          const FileIdentity& expected) {
  auto contents = folder.readEntry(name, VdirFolder::kMaxEntryBytes);
  if (!contents || !contents->complete || !(contents->identity == expected)) return std::nullopt;
  if (!UnicodeText::isValidUTF8(contents->bytes)) return std::nullopt;
  const auto cards = VCardParser::parse(contents->bytes);
  if (cards.empty()) return std::nullopt;
  return VCardReader::read(cards.front().lines).content;
}

CachedFile EntryFileReader::cacheWritten(const EntryContent& content, std::size_t writtenBytes,
                                         const FileIdentity& identity) {
  CachedFile file;
  file.identity = identity;
  file.writtenByUs = true;
  if (writtenBytes > kHeadBytes) {
    file.cards.push_back(CachedCard{summaryOf(content), false});
  } else {
    file.cards.push_back(CachedCard{std::make_shared<const EntryContent>(content), true});
  }
  return file;
}

}  // namespace platform::addressbook
