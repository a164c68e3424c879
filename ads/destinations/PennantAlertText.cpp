#include "ads/destinations/PennantAlertText.h"

#include "ads/PennantLocalizer.h"

namespace pennant {

std::string PennantAlertText::titleWithFormatKey(const std::string& key, const std::string& text) {
  std::string title = PennantLocalizer::sharedLocalizer().localizedStringForKey(key);
  if (auto at = title.find("%@"); at != std::string::npos) title.replace(at, 2, text);
  return title;
}

}  // namespace pennant
