#pragma once
// The English button screen, root of the app's navigation stack: one large
// button that says the English phrase, a bar button to the Spanish screen,
// the info button, and the two-button screen on turning to landscape.
//
// Ownership: the navigation stack owns this screen and the screens pushed
// from it; the fields naming sub-screens keep the one pushed most recently.
// The overlay exists from touch-down to touch-up only.

#include <memory>

#include "Classes/SoundEffect.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/ViewController.h"

namespace vorla {

class BothViewController;
class InfoViewController;
class TrimoViewController;

class VorlaViewController : public platform::ui::ViewController {
 public:
  // Sets the title "Vorla Button".
  VorlaViewController();

  void loadView() override;

  void touchesBeganWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  // A touch the platform takes away (another finger, a push under the
  // finger) never lifts, so its overlay would otherwise stay on for good:
  // it goes as on a release.
  void touchesCancelledWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;

  bool shouldAutorotateToInterfaceOrientation(platform::ui::InterfaceOrientation orientation) override;
  void willRotateToInterfaceOrientationDuration(platform::ui::InterfaceOrientation orientation,
                                                double duration) override;

  // Actions.
  void loadTrimoView();
  void openInfoView();

  const std::shared_ptr<platform::ui::View>& vorlaView() const { return vorlaView_; }
  const std::shared_ptr<platform::ui::ImageView>& vorlaImgView() const { return vorlaImgView_; }
  const std::shared_ptr<platform::ui::ImageView>& pressedImgView() const { return pressedImgView_; }
  const std::shared_ptr<TrimoViewController>& trimoViewController() const { return _trimoViewController_; }
  const std::shared_ptr<BothViewController>& bothViewController() const { return _bothViewController_; }
  const std::shared_ptr<InfoViewController>& infoViewController() const { return _infoViewController_; }

 private:
  void release(const platform::ui::TouchSet& touches);

  std::shared_ptr<platform::ui::View> vorlaView_;
  std::shared_ptr<platform::ui::ImageView> vorlaImgView_;
  std::shared_ptr<platform::ui::ImageView> pressedImgView_;
  std::shared_ptr<SoundEffect> vorlaSound_;
  std::shared_ptr<TrimoViewController> _trimoViewController_;
  std::shared_ptr<BothViewController> _bothViewController_;
  std::shared_ptr<InfoViewController> _infoViewController_;
};

}  // namespace vorla
