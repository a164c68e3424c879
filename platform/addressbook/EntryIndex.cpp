#include "platform/addressbook/EntryIndex.h"

#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"

namespace platform::addressbook {

namespace {

constexpr std::string_view kHeader = "address-book-index 1\n";
constexpr std::string_view kIndexFolderBelowCaches = "/AddressBookIndex";
constexpr std::string_view kIndexExtension = ".index";
constexpr std::string_view kAbsent = "-";
constexpr char kPresent = '=';
// Organization names are the user's private data, like the book itself.
constexpr std::filesystem::perms kPrivateFolder = std::filesystem::perms::owner_all;
// Far more than any book; an index beyond it is not read.
constexpr std::size_t kMaximumIndexBytes = 256 * 1024 * 1024;

std::uint64_t fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string absoluteFolder(const std::string& folder) {
  std::error_code error;
  auto absolute = std::filesystem::absolute(folder, error);
  return error ? folder : absolute.lexically_normal().string();
}

// Names and organizations may hold any byte; the separators are escaped.
void appendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
}

std::optional<std::string> unescaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\') {
      out += text[at];
      continue;
    }
    if (++at == text.size()) return std::nullopt;
    switch (text[at]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

template <typename Number>
void appendNumber(std::string& out, Number value) {
  out += '\t';
  out += std::to_string(value);
}

// Reads the lines of an index one at a time.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  std::optional<std::string_view> next() {
    const std::size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos) return std::nullopt;
    auto line = text_.substr(at_, end - at_);
    at_ = end + 1;
    return line;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

std::optional<CachedCard> parseCard(std::string_view line) {
  const auto fields = fieldsOf(line);
  int recordType = 0, kind = 0;
  if (fields.size() != 5 || fields[0] != "card" || !parseNumber(fields[1], recordType) ||
      !parseNumber(fields[2], kind)) {
    return std::nullopt;
  }
  if ((recordType != static_cast<int>(RecordType::Person) && recordType != static_cast<int>(RecordType::Group)) ||
      (kind != static_cast<int>(PersonKind::Person) && kind != static_cast<int>(PersonKind::Organization))) {
    return std::nullopt;
  }
  auto content = std::make_shared<EntryContent>();
  content->recordType = static_cast<RecordType>(recordType);
  content->kind = static_cast<PersonKind>(kind);
  if (fields[3] != kAbsent) {
    if (fields[3].empty() || fields[3].front() != kPresent) return std::nullopt;
    content->organization = unescaped(fields[3].substr(1));
    if (!content->organization) return std::nullopt;
  }
  auto uid = unescaped(fields[4]);
  if (!uid) return std::nullopt;
  content->uid = std::move(*uid);
  return CachedCard{std::move(content), false};
}

// One file and its cards; the reader stands after them on success.
std::optional<std::pair<std::string, CachedFile>> parseFile(std::string_view line, LineReader& lines) {
  const auto fields = fieldsOf(line);
  if (fields.size() != 11 || fields[0] != "file") return std::nullopt;
  auto name = unescaped(fields[1]);
  CachedFile file;
  FileIdentity& id = file.identity;
  int ours = 0;
  std::size_t cardCount = 0;
  if (!name || name->empty() || !parseNumber(fields[2], id.device) || !parseNumber(fields[3], id.inode) ||
      !parseNumber(fields[4], id.size) || !parseNumber(fields[5], id.modifiedSeconds) ||
      !parseNumber(fields[6], id.modifiedNanoseconds) || !parseNumber(fields[7], id.changedSeconds) ||
      !parseNumber(fields[8], id.changedNanoseconds) || !parseNumber(fields[9], ours) || ours < 0 || ours > 1 ||
      !parseNumber(fields[10], cardCount)) {
    return std::nullopt;
  }
  file.writtenByUs = ours == 1;
  for (std::size_t i = 0; i < cardCount; ++i) {
    auto cardLine = lines.next();
    auto card = cardLine ? parseCard(*cardLine) : std::nullopt;
    if (!card) return std::nullopt;
    file.cards.push_back(std::move(*card));
  }
  return std::make_pair(std::move(*name), std::move(file));
}

}  // namespace

EntryIndex::EntryIndex(std::string indexDirectory, std::string folder)
    : directory_(std::move(indexDirectory)), folder_(absoluteFolder(folder)) {
  path_ = directory_ + "/" + hex(fnv1a(folder_)) + std::string(kIndexExtension);
}

EntryIndex EntryIndex::forFolder(const std::string& folder) {
  return EntryIndex(AppPaths::cachesDirectory() + std::string(kIndexFolderBelowCaches), folder);
}

EntryCache::Folder EntryIndex::load() const {
  auto bytes = FileManager::contentsAtPath(path_, kMaximumIndexBytes);
  if (!bytes) return {};
  const std::string_view text(*bytes);
  // The last line seals what comes before it: "end", the file count and
  // the checksum of every byte above.
  if (text.size() < kHeader.size() || !text.starts_with(kHeader) || !text.ends_with('\n')) return {};
  const std::size_t sealAt = text.rfind('\n', text.size() - 2) + 1;
  const auto seal = fieldsOf(text.substr(sealAt, text.size() - 1 - sealAt));
  std::size_t fileCount = 0;
  if (seal.size() != 3 || seal[0] != "end" || !parseNumber(seal[1], fileCount) ||
      seal[2] != hex(fnv1a(text.substr(0, sealAt)))) {
    return {};
  }
  LineReader lines(text.substr(kHeader.size(), sealAt - kHeader.size()));
  const auto folderLine = lines.next();
  if (!folderLine) return {};
  const auto folderFields = fieldsOf(*folderLine);
  if (folderFields.size() != 2 || folderFields[0] != "folder" || unescaped(folderFields[1]) != folder_) return {};
  EntryCache::Folder files;
  files.reserve(fileCount);
  while (auto line = lines.next()) {
    auto file = parseFile(*line, lines);
    // Opening walks the listing and these side by side: names must ascend.
    if (!file || (!files.empty() && !(files.back().first < file->first))) return {};
    files.push_back(std::move(*file));
  }
  if (files.size() != fileCount) return {};
  return files;
}

bool EntryIndex::save(const EntryCache::Folder& files) const {
  std::string text(kHeader);
  text += "folder\t";
  appendEscaped(text, folder_);
  text += '\n';
  for (const auto& [name, file] : files) {
    const FileIdentity& id = file.identity;
    text += "file\t";
    appendEscaped(text, name);
    appendNumber(text, id.device);
    appendNumber(text, id.inode);
    appendNumber(text, id.size);
    appendNumber(text, id.modifiedSeconds);
    appendNumber(text, id.modifiedNanoseconds);
    appendNumber(text, id.changedSeconds);
    appendNumber(text, id.changedNanoseconds);
    appendNumber(text, file.writtenByUs ? 1 : 0);
    appendNumber(text, file.cards.size());
    text += '\n';
    for (const auto& card : file.cards) {
      const EntryContent& content = *card.content;
      text += "card";
      appendNumber(text, static_cast<int>(content.recordType));
      appendNumber(text, static_cast<int>(content.kind));
      text += '\t';
      if (content.organization) {
        text += kPresent;
        appendEscaped(text, *content.organization);
      } else {
        text += kAbsent;
      }
      text += '\t';
      appendEscaped(text, content.uid);
      text += '\n';
    }
  }
  const std::string checksum = hex(fnv1a(text));
  text += "end\t" + std::to_string(files.size()) + "\t" + checksum + "\n";
  if (!FileManager::createDirectoryAtPath(directory_)) return false;
  std::error_code error;
  std::filesystem::permissions(directory_, kPrivateFolder, error);
  if (error) return false;
  // A cache: an index lost in a power cut costs one slow open.
  return FileManager::writeContentsAtomically(path_, text, FileManager::Durability::Cache);
}

}  // namespace platform::addressbook
