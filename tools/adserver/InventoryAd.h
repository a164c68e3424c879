#pragma once
// One ad of the inventory as the server keeps it: its id (the file name
// without ".json"), its click action, whether it is served, and the two
// answers already written as JSON text. The texts still hold the "{{base}}"
// placeholder; the server replaces it with its own address when it answers.

#include <string>

namespace pennant::adserver {

struct InventoryAd {
  std::string id;
  std::string action;      // the ad's "6" value, which test mode selects by
  bool live = true;        // only live ads are handed out by /ad_source.php
  std::string adJson;      // the answer to an ad request
  std::string clickJson;   // the answer to /click/<id>
};

}  // namespace pennant::adserver
