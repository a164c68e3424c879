#include "tools/adserver/StaticContent.h"

#include <fstream>
#include <sstream>

#include "tools/adserver/PicturePainter.h"

namespace pennant::adserver {

namespace {

bool isSafeCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == '.';
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

bool StaticContent::isSafePath(std::string_view path) {
  constexpr std::string_view kPrefix = "/static/";
  if (path.substr(0, kPrefix.size()) != kPrefix || path.size() == kPrefix.size()) return false;
  std::string_view rest = path.substr(kPrefix.size());
  for (;;) {
    const auto slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment.empty() || segment[0] == '.') return false;
    for (char c : segment) {
      if (!isSafeCharacter(c)) return false;
    }
    if (slash == std::string_view::npos) return true;
    rest = rest.substr(slash + 1);
  }
}

std::string StaticContent::contentTypeForPath(std::string_view path) {
  if (endsWith(path, ".png")) return "image/png";
  if (endsWith(path, ".gif")) return "image/gif";
  if (endsWith(path, ".jpg") || endsWith(path, ".jpeg")) return "image/jpeg";
  if (endsWith(path, ".html")) return "text/html; charset=utf-8";
  if (endsWith(path, ".json")) return "application/json";
  if (endsWith(path, ".strings") || endsWith(path, ".txt")) return "text/plain; charset=utf-8";
  return "application/octet-stream";
}

std::optional<StaticContent> StaticContent::fromInventory(const Inventory& inventory, std::string* error) {
  StaticContent content;
  content.directory_ = inventory.staticDirectory();
  for (const PictureDescription& picture : inventory.pictures()) {
    auto png = PicturePainter::paintPng(picture);
    if (!png) {
      if (error) *error = "cannot paint " + picture.path;
      return std::nullopt;
    }
    content.pictures_.emplace(picture.path, std::move(*png));
  }
  return content;
}

std::optional<StaticContent::Entry> StaticContent::lookup(std::string_view path) const {
  if (!isSafePath(path)) return std::nullopt;
  if (auto it = pictures_.find(path); it != pictures_.end()) return Entry{it->second, "image/png"};
  if (directory_.empty()) return std::nullopt;
  const std::filesystem::path file = directory_ / std::filesystem::path(std::string(path.substr(8)));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return Entry{buffer.str(), contentTypeForPath(path)};
}

}  // namespace pennant::adserver
