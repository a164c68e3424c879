#pragma once
// The info screen: the app's name, version, date and disclaimer, the
// vibrate switch that writes the "shouldVibrate" preference at once, and
// two buttons that hand outside pages to the system. The English and
// Spanish screens push a fresh one from their info buttons; the back
// button leaves it.
//
// Ownership: every view it builds is owned by its view tree; the switch and
// buttons call back through weak references.

#include "platform/ui/Switch.h"
#include "platform/ui/ViewController.h"

namespace vorla {

class InfoViewController : public platform::ui::ViewController {
 public:
  // Sets the title "Info".
  InfoViewController();

  void loadView() override;

  // Stores the switch's state under "shouldVibrate" and saves it at once.
  void switchAction(platform::ui::Switch& sender);
  void loadTwitter();
  void loadDonate();
};

}  // namespace vorla
