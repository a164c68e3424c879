#include "Classes/BothViewController.h"

#include "Classes/ButtonScreen.h"
#include "platform/ui/Colors.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"

namespace vorla {

using platform::ui::ImageView;
using platform::ui::InterfaceOrientation;
using platform::ui::TouchSet;
using platform::ui::View;

BothViewController::BothViewController() {
  setTitle("Vorla Button" + std::string(35, ' ') + "Botón Trimo");
}

void BothViewController::loadView() {
  auto root = View::create(platform::ui::Screen::mainScreen().bounds());
  root->setBackgroundColor(platform::ui::Colors::groupTableViewBackgroundColor());
  setView(root);
  navigationItem()->setHidesBackButton(true);
  root->setAutoresizingMask(View::kAutoresizingFlexibleWidth | View::kAutoresizingFlexibleHeight);

  eIV_ = ButtonScreen::buttonImageView({{20, 20}, {210, 210}}, "VorlaButton.png");
  root->addSubview(eIV_);
  iV_ = ButtonScreen::buttonImageView({{250, 20}, {210, 210}}, "TrimoBoton.png");
  root->addSubview(iV_);

  // The English phrase first, as the screen has always registered them.
  vorlaSound_ = ButtonScreen::soundNamed("ThatWasVorla");
  spanishSound_ = ButtonScreen::soundNamed("AsiDeTrimo");
}

void BothViewController::touchesBeganWithEvent(const TouchSet& touches, platform::ui::Event&) {
  auto touched = ButtonScreen::viewOfAnyTouch(touches);
  if (!touched) return;
  auto press = [&](std::shared_ptr<ImageView>& overlay, const std::shared_ptr<ImageView>& button,
                   SoundEffect& sound) {
    if (overlay) overlay->removeFromSuperview();
    overlay = ButtonScreen::pressedOverlay(button->frame());
    ButtonScreen::playPhrase(sound);
    view()->addSubview(overlay);
  };
  // The Spanish button is tested first.
  if (touched == iV_) {
    press(tIV_, iV_, *spanishSound_);
  } else if (touched == eIV_) {
    press(pIV_, eIV_, *vorlaSound_);
  }
}

void BothViewController::touchesEndedWithEvent(const TouchSet& touches, platform::ui::Event&) {
  release(touches);
}

void BothViewController::touchesCancelledWithEvent(const TouchSet& touches, platform::ui::Event&) {
  release(touches);
}

void BothViewController::release(const TouchSet& touches) {
  auto touched = ButtonScreen::viewOfAnyTouch(touches);
  if (!touched) return;
  if (touched == iV_) {
    if (tIV_) tIV_->removeFromSuperview();
  } else if (touched == eIV_) {
    if (pIV_) pIV_->removeFromSuperview();
  }
}

bool BothViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
  return ButtonScreen::allowsOrientation(orientation);
}

void BothViewController::willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation,
                                                                  double duration) {
  ViewController::willRotateToInterfaceOrientationDuration(orientation, duration);
  if (orientation != InterfaceOrientation::Portrait) return;
  if (auto nav = navigationController()) nav->popToRootViewControllerAnimated(true);
}

}  // namespace vorla
