#pragma once
// What the server answers under /static/: the pictures painted at start from
// the inventory's pictures.json, and the files of the inventory's static/
// folder, read on every request so that a strings file or the canvas page
// can be edited while the server runs. A painted picture wins over a file of
// the same path.
//
// Only paths made of plain segments are looked up (letters, digits, '-',
// '_' and '.', no segment starting with '.'), so a request can never reach a
// file outside the static folder.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "tools/adserver/Inventory.h"

namespace pennant::adserver {

class StaticContent {
 public:
  struct Entry {
    std::string body;
    std::string contentType;
  };

  // Paints every picture of the inventory; nullopt (with *error) when one
  // cannot be painted.
  static std::optional<StaticContent> fromInventory(const Inventory& inventory, std::string* error);

  static bool isSafePath(std::string_view path);
  static std::string contentTypeForPath(std::string_view path);

  std::optional<Entry> lookup(std::string_view path) const;

 private:
  std::map<std::string, std::string, std::less<>> pictures_;
  std::filesystem::path directory_;
};

}  // namespace pennant::adserver
