#include "Classes/TrimoViewController.h"

#include "Classes/BothViewController.h"
#include "Classes/ButtonScreen.h"
#include "Classes/InfoViewController.h"
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

TrimoViewController::TrimoViewController() { setTitle("Botón Trimo"); }

void TrimoViewController::loadView() {
  trimoView_ = View::create(platform::ui::Screen::mainScreen().bounds());
  trimoView_->setBackgroundColor(platform::ui::Colors::groupTableViewBackgroundColor());
  setView(trimoView_);

  std::weak_ptr<TrimoViewController> weak =
      std::static_pointer_cast<TrimoViewController>(shared_from_this());
  // A left button takes the place of the back button.
  navigationItem()->setLeftBarButtonItem(BarButtonItem::initWithTitleStyleTargetAction(
      "Vorla Button", BarButtonItem::kStylePlain, [weak](BarButtonItem&) {
        if (auto self = weak.lock()) self->loadVorlaView();
      }));

  imgView_ = ButtonScreen::buttonImageView({{0, 15}, {320, 320}}, "TrimoBoton.png");
  trimoView_->addSubview(imgView_);

  spanishSound_ = ButtonScreen::soundNamed("AsiDeTrimo");

  ButtonScreen::addInfoButton(*trimoView_, [weak] {
    if (auto self = weak.lock()) self->openInfoView();
  });
}

void TrimoViewController::touchesBeganWithEvent(const TouchSet& touches, platform::ui::Event&) {
  if (!imgView_ || ButtonScreen::viewOfAnyTouch(touches) != imgView_) return;
  if (touchedImgView_) touchedImgView_->removeFromSuperview();
  touchedImgView_ = ButtonScreen::pressedOverlay(imgView_->frame());
  ButtonScreen::playPhrase(*spanishSound_);
  trimoView_->addSubview(touchedImgView_);
}

void TrimoViewController::touchesEndedWithEvent(const TouchSet& touches, platform::ui::Event&) {
  release(touches);
}

void TrimoViewController::touchesCancelledWithEvent(const TouchSet& touches, platform::ui::Event&) {
  release(touches);
}

void TrimoViewController::release(const TouchSet& touches) {
  if (!imgView_ || ButtonScreen::viewOfAnyTouch(touches) != imgView_) return;
  if (touchedImgView_) touchedImgView_->removeFromSuperview();
}

bool TrimoViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
  return ButtonScreen::allowsOrientation(orientation);
}

void TrimoViewController::willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation,
                                                                   double duration) {
  ViewController::willRotateToInterfaceOrientationDuration(orientation, duration);
  if (!platform::ui::isLandscape(orientation)) return;
  _bothViewController_ = std::make_shared<BothViewController>();
  if (auto nav = navigationController()) nav->pushViewControllerAnimated(_bothViewController_, true);
}

void TrimoViewController::loadVorlaView() {
  if (auto nav = navigationController()) nav->popToRootViewControllerAnimated(true);
}

void TrimoViewController::openInfoView() {
  _infoViewController_ = std::make_shared<InfoViewController>();
  if (auto nav = navigationController()) nav->pushViewControllerAnimated(_infoViewController_, true);
}

}  // namespace vorla
