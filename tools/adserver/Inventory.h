#pragma once
// The ads and pictures the server hands out, read once from an inventory
// folder at start:
//
//   DIR/ads/*.json      one ad per file: {"ad": {...}, "click": {...}, "live": true}
//   DIR/pictures.json   an array of pictures to paint (see PictureDescription)
//   DIR/static/...      files served as they are under /static/...
//
// A folder that does not follow this layout fails the load with a message
// naming the file and the problem, so that a broken inventory stops the
// server at start instead of producing odd answers later. The inventory is
// immutable once loaded and may be shared between the server's threads.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/adserver/InventoryAd.h"
#include "tools/adserver/PictureDescription.h"

namespace pennant::adserver {

class Inventory {
 public:
  // nullptr on failure, with the reason in *error.
  static std::shared_ptr<const Inventory> loadFromDirectory(const std::filesystem::path& directory,
                                                            std::string* error);

  // Every ad, sorted by id, which fixes the round-robin order.
  const std::vector<InventoryAd>& ads() const { return ads_; }
  const InventoryAd* adWithId(std::string_view id) const;
  // The live ads, or only the live ads whose action equals *action.
  std::vector<const InventoryAd*> liveAds(const std::optional<std::string>& action) const;

  const std::vector<PictureDescription>& pictures() const { return pictures_; }
  const std::filesystem::path& staticDirectory() const { return staticDirectory_; }

 private:
  std::vector<InventoryAd> ads_;
  std::vector<PictureDescription> pictures_;
  std::filesystem::path staticDirectory_;
};

}  // namespace pennant::adserver
