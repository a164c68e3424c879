#include "tools/adserver/Inventory.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "json/CanonicalWriter.h"
#include "json/JSONDeserializer.h"
#include "tools/adserver/StaticContent.h"

namespace pennant::adserver {

namespace {

namespace fs = std::filesystem;

bool readFile(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  out = buffer.str();
  return !in.bad();
}

std::shared_ptr<const json::Value> parseFile(const fs::path& path, std::string* error) {
  std::string text;
  if (!readFile(path, text)) {
    *error = path.string() + ": cannot be read";
    return nullptr;
  }
  platform::Error parseError;
  auto value = json::JSONDeserializer::deserializer()->deserializeError(json::ByteScanner::dataWithBytes(text),
                                                                       &parseError);
  if (!value) {
    *error = path.string() + ": not valid JSON" +
             (parseError.description.empty() ? std::string() : " (" + parseError.description + ")");
  }
  return value;
}

bool isSafeName(std::string_view name) {
  if (name.empty()) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
  });
}

bool readAd(const fs::path& file, InventoryAd& ad, std::string* error) {
  auto root = parseFile(file, error);
  if (!root) return false;
  const std::string where = file.filename().string() + ": ";
  if (!root->isDictionary()) return *error = where + "the top level must be an object", false;
  for (const json::Member& member : root->members()) {
    const std::string_view key = member.key.wtf8();
    if (key != "ad" && key != "click" && key != "live") {
      return *error = where + "unknown key \"" + std::string(key) + "\"", false;
    }
  }
  const json::Value* adObject = root->dictionaryForKey("ad");
  if (!adObject) return *error = where + "\"ad\" must be an object", false;
  auto action = adObject->stringForKey("6");
  if (!action) return *error = where + "the ad needs its action \"6\" as a string", false;
  ad.action = *action;
  ad.adJson = json::CanonicalWriter::canonicalForm(*adObject);

  if (const json::Value* click = root->objectForKey("click")) {
    if (!click->isDictionary()) return *error = where + "\"click\" must be an object", false;
    ad.clickJson = json::CanonicalWriter::canonicalForm(*click);
  } else {
    ad.clickJson = "{}";
  }
  if (const json::Value* live = root->objectForKey("live")) {
    if (!live->isBoolean()) return *error = where + "\"live\" must be true or false", false;
    ad.live = *live->boolValue();
  }
  return true;
}

std::optional<PictureDescription::Shape> shapeNamed(std::string_view name) {
  using Shape = PictureDescription::Shape;
  if (name == "circle") return Shape::Circle;
  if (name == "square") return Shape::Square;
  if (name == "rounded") return Shape::Rounded;
  if (name == "diamond") return Shape::Diamond;
  if (name == "triangle") return Shape::Triangle;
  if (name == "band") return Shape::Band;
  return std::nullopt;
}

std::optional<std::uint32_t> colorFromText(const std::optional<std::string>& text) {
  if (!text || text->size() != 7 || (*text)[0] != '#') return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    const char c = (*text)[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

bool readPicture(const json::Value& item, std::size_t index, PictureDescription& picture, std::string* error) {
  const std::string where = "pictures.json, entry " + std::to_string(index) + ": ";
  if (!item.isDictionary()) return *error = where + "must be an object", false;
  auto path = item.stringForKey("path");
  if (!path || !StaticContent::isSafePath(*path)) {
    return *error = where + "\"path\" must be a /static/ path of letters, digits, '-', '_' and '.'", false;
  }
  picture.path = *path;
  auto width = item.numberForKey("width");
  auto height = item.numberForKey("height");
  if (!width || !height || *width < 1 || *width > 1024 || *height < 1 || *height > 1024 ||
      *width != static_cast<int>(*width) || *height != static_cast<int>(*height)) {
    return *error = where + "\"width\" and \"height\" must be whole numbers from 1 to 1024", false;
  }
  picture.width = static_cast<int>(*width);
  picture.height = static_cast<int>(*height);
  auto color = colorFromText(item.stringForKey("color"));
  if (!color) return *error = where + "\"color\" must be written #rrggbb", false;
  picture.color = *color;
  if (item.objectForKey("label_color")) {
    auto labelColor = colorFromText(item.stringForKey("label_color"));
    if (!labelColor) return *error = where + "\"label_color\" must be written #rrggbb", false;
    picture.labelColor = *labelColor;
  }
  auto shapeName = item.stringForKey("shape");
  auto shape = shapeName ? shapeNamed(*shapeName) : std::nullopt;
  if (!shape) return *error = where + "\"shape\" must be circle, square, rounded, diamond, triangle or band", false;
  picture.shape = *shape;
  picture.label = item.stringForKey("label").value_or("");
  return true;
}

bool readPictures(const fs::path& file, std::vector<PictureDescription>& pictures, std::string* error) {
  auto root = parseFile(file, error);
  if (!root) return false;
  if (!root->isArray()) return *error = "pictures.json: the top level must be an array", false;
  std::set<std::string> seen;
  std::size_t index = 0;
  for (const json::Value& item : root->elements()) {
    PictureDescription picture;
    if (!readPicture(item, index++, picture, error)) return false;
    if (!seen.insert(picture.path).second) return *error = "pictures.json: " + picture.path + " is listed twice", false;
    pictures.push_back(std::move(picture));
  }
  return true;
}

}  // namespace

std::shared_ptr<const Inventory> Inventory::loadFromDirectory(const fs::path& directory, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  std::error_code ec;
  const fs::path adsDirectory = directory / "ads";
  if (!fs::is_directory(adsDirectory, ec)) {
    *error = adsDirectory.string() + ": no such folder";
    return nullptr;
  }
  auto inventory = std::make_shared<Inventory>();
  for (fs::directory_iterator it(adsDirectory, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() != ".json") continue;
    InventoryAd ad;
    ad.id = it->path().stem().string();
    if (!isSafeName(ad.id)) {
      *error = it->path().filename().string() + ": an ad's file name may hold only letters, digits, '-' and '_'";
      return nullptr;
    }
    if (!readAd(it->path(), ad, error)) return nullptr;
    inventory->ads_.push_back(std::move(ad));
  }
  if (ec) {
    *error = adsDirectory.string() + ": " + ec.message();
    return nullptr;
  }
  if (inventory->ads_.empty()) {
    *error = adsDirectory.string() + ": holds no ad";
    return nullptr;
  }
  std::sort(inventory->ads_.begin(), inventory->ads_.end(),
            [](const InventoryAd& a, const InventoryAd& b) { return a.id < b.id; });

  const fs::path picturesFile = directory / "pictures.json";
  if (fs::exists(picturesFile, ec) && !readPictures(picturesFile, inventory->pictures_, error)) return nullptr;
  inventory->staticDirectory_ = directory / "static";
  return inventory;
}

const InventoryAd* Inventory::adWithId(std::string_view id) const {
  auto it = std::lower_bound(ads_.begin(), ads_.end(), id,
                             [](const InventoryAd& ad, std::string_view key) { return ad.id < key; });
  return it != ads_.end() && it->id == id ? &*it : nullptr;
}

std::vector<const InventoryAd*> Inventory::liveAds(const std::optional<std::string>& action) const {
  std::vector<const InventoryAd*> result;
  for (const InventoryAd& ad : ads_) {
    if (ad.live && (!action || ad.action == *action)) result.push_back(&ad);
  }
  return result;
}

}  // namespace pennant::adserver
