#pragma once
// The Spanish button screen, pushed from the English one: one large button
// that says the Spanish phrase, a bar button back to the English screen in
// place of the back button, the info button, and the two-button screen on
// turning to landscape.
//
// Ownership: the navigation stack owns this screen; the fields naming
// sub-screens keep the one pushed most recently.

#include <memory>

#include "Classes/SoundEffect.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewController.h"

namespace vorla {

class BothViewController;
class InfoViewController;

class TrimoViewController : public platform::ui::ViewController {
 public:
  // Sets the title "Botón Trimo".
  TrimoViewController();

  void loadView() override;

  void touchesBeganWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  // Treated as a release, so a cancelled touch leaves no overlay behind.
  void touchesCancelledWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;

  bool shouldAutorotateToInterfaceOrientation(platform::ui::InterfaceOrientation orientation) override;
  void willRotateToInterfaceOrientationDuration(platform::ui::InterfaceOrientation orientation,
                                                double duration) override;

  // Actions.
  void loadVorlaView();
  void openInfoView();

  const std::shared_ptr<platform::ui::View>& trimoView() const { return trimoView_; }
  const std::shared_ptr<platform::ui::ImageView>& imgView() const { return imgView_; }
  const std::shared_ptr<platform::ui::ImageView>& touchedImgView() const { return touchedImgView_; }
  const std::shared_ptr<BothViewController>& bothViewController() const { return _bothViewController_; }
  const std::shared_ptr<InfoViewController>& infoViewController() const { return _infoViewController_; }

 private:
  void release(const platform::ui::TouchSet& touches);

  std::shared_ptr<platform::ui::View> trimoView_;
  std::shared_ptr<platform::ui::ImageView> imgView_;
  std::shared_ptr<platform::ui::ImageView> touchedImgView_;
  std::shared_ptr<SoundEffect> spanishSound_;
  std::shared_ptr<BothViewController> _bothViewController_;
  std::shared_ptr<InfoViewController> _infoViewController_;
};

}  // namespace vorla
