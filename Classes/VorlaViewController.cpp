#include "Classes/VorlaViewController.h"

#include "Classes/BothViewController.h"
#include "Classes/ButtonScreen.h"
#include "Classes/InfoViewController.h"
#include "Classes/TrimoViewController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Colors.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"

namespace vorla {

using platform::ui::BarButtonItem;
using platform::ui::InterfaceOrientation;
using platform::ui::TouchSet;
using platform::ui::View;

VorlaViewController::VorlaViewController() { setTitle("Vorla Button"); }

void VorlaViewController::loadView() {
  vorlaView_ = View::create(platform::ui::Screen::mainScreen().bounds());
  vorlaView_->setBackgroundColor(platform::ui::Colors::groupTableViewBackgroundColor());
  setView(vorlaView_);

  std::weak_ptr<VorlaViewController> weak =
      std::static_pointer_cast<VorlaViewController>(shared_from_this());
  navigationItem()->setRightBarButtonItem(BarButtonItem::initWithTitleStyleTargetAction(
      "Botón Trimo", BarButtonItem::kStylePlain, [weak](BarButtonItem&) {
        if (auto self = weak.lock()) self->loadTrimoView();
      }));

  vorlaView_->setAutoresizingMask(View::kAutoresizingFlexibleWidth | View::kAutoresizingFlexibleHeight);

  vorlaImgView_ = ButtonScreen::buttonImageView({{0, 15}, {320, 320}}, "VorlaButton.png");
  vorlaView_->addSubview(vorlaImgView_);

  vorlaSound_ = ButtonScreen::soundNamed("ThatWasVorla");

  ButtonScreen::addInfoButton(*vorlaView_, [weak] {
    if (auto self = weak.lock()) self->openInfoView();
  });
}

void VorlaViewController::touchesBeganWithEvent(const TouchSet& touches, platform::ui::Event&) {
  if (!vorlaImgView_ || ButtonScreen::viewOfAnyTouch(touches) != vorlaImgView_) return;
  // A new press replaces an overlay that a lost release left behind.
  if (pressedImgView_) pressedImgView_->removeFromSuperview();
  pressedImgView_ = ButtonScreen::pressedOverlay(vorlaImgView_->frame());
  ButtonScreen::playPhrase(*vorlaSound_);
  vorlaView_->addSubview(pressedImgView_);
}

void VorlaViewController::touchesEndedWithEvent(const TouchSet& touches, platform::ui::Event&) {
  release(touches);
}

void VorlaViewController::touchesCancelledWithEvent(const TouchSet& touches, platform::ui::Event&) {
  release(touches);
}

void VorlaViewController::release(const TouchSet& touches) {
  if (!vorlaImgView_ || ButtonScreen::viewOfAnyTouch(touches) != vorlaImgView_) return;
  if (pressedImgView_) pressedImgView_->removeFromSuperview();
}

bool VorlaViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
  return ButtonScreen::allowsOrientation(orientation);
}

void VorlaViewController::willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation,
                                                                   double duration) {
  ViewController::willRotateToInterfaceOrientationDuration(orientation, duration);
  if (!platform::ui::isLandscape(orientation)) return;
  _bothViewController_ = std::make_shared<BothViewController>();
  if (auto nav = navigationController()) nav->pushViewControllerAnimated(_bothViewController_, true);
}

void VorlaViewController::loadTrimoView() {
  _trimoViewController_ = std::make_shared<TrimoViewController>();
  if (auto nav = navigationController()) nav->pushViewControllerAnimated(_trimoViewController_, true);
}

void VorlaViewController::openInfoView() {
  _infoViewController_ = std::make_shared<InfoViewController>();
  if (auto nav = navigationController()) nav->pushViewControllerAnimated(_infoViewController_, true);
}

}  // namespace vorla
