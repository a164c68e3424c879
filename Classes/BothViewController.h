#pragma once
// The two-button screen shown in landscape: the English button on the
// left, the Spanish one on the right, no bar buttons and no back button.
// Turning back to portrait pops to the English screen.
//
// Ownership: the navigation stack owns this screen; each overlay exists
// from touch-down to touch-up on its button.

#include <memory>

#include "Classes/SoundEffect.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewController.h"

namespace vorla {

class BothViewController : public platform::ui::ViewController {
 public:
  // Sets the title: "Vorla Button", 35 spaces, "Botón Trimo".
  BothViewController();

  void loadView() override;

  void touchesBeganWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  // Treated as a release, so a cancelled touch leaves no overlay behind.
  void touchesCancelledWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;

  bool shouldAutorotateToInterfaceOrientation(platform::ui::InterfaceOrientation orientation) override;
  void willRotateToInterfaceOrientationDuration(platform::ui::InterfaceOrientation orientation,
                                                double duration) override;

  const std::shared_ptr<platform::ui::ImageView>& eIV() const { return eIV_; }
  const std::shared_ptr<platform::ui::ImageView>& iV() const { return iV_; }
  const std::shared_ptr<platform::ui::ImageView>& pIV() const { return pIV_; }
  const std::shared_ptr<platform::ui::ImageView>& tIV() const { return tIV_; }

 private:
  void release(const platform::ui::TouchSet& touches);

  std::shared_ptr<platform::ui::ImageView> eIV_;
  std::shared_ptr<platform::ui::ImageView> iV_;
  std::shared_ptr<platform::ui::ImageView> pIV_;
  std::shared_ptr<platform::ui::ImageView> tIV_;
  std::shared_ptr<SoundEffect> vorlaSound_;
  std::shared_ptr<SoundEffect> spanishSound_;
};

}  // namespace vorla
