#include "Classes/InfoViewController.h"

#include "Classes/ButtonScreen.h"
#include "Classes/OutsideLinks.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Url.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Colors.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"

namespace vorla {

using platform::graphics::Color;
using platform::graphics::Font;
using platform::graphics::Rect;
using platform::graphics::TextAlignment;
using platform::ui::Button;
using platform::ui::Control;
using platform::ui::Label;
using platform::ui::View;

namespace {

std::shared_ptr<Label> makeLabel(Rect frame, std::string text, double fontSize, TextAlignment alignment,
                                 bool shrinks) {
  auto label = std::make_shared<Label>();
  label->initWithFrame(frame);
  label->setText(std::move(text));
  label->setBackgroundColor(Color::clearColor());
  label->setFont(Font::fontWithNameSize("Marker Felt", fontSize));
  label->setTextAlignment(alignment);
  label->setAdjustsFontSizeToFitWidth(shrinks);
  return label;
}

void openOutside(const std::optional<std::string>& address) {
  // The result is not waited for and a failure is not shown.
  if (!address) return;
  platform::ui::Application::sharedApplication().openURL(platform::Url::URLWithString(*address));
}

}  // namespace

InfoViewController::InfoViewController() { setTitle("Info"); }

void InfoViewController::loadView() {
  auto root = View::create(platform::ui::Screen::mainScreen().bounds());
  root->setBackgroundColor(platform::ui::Colors::groupTableViewBackgroundColor());
  setView(root);

  auto imagePath = platform::Bundle::mainBundle().pathForResourceOfType("VorlaButton.png", "");
  auto icon = platform::ui::ImageView::initWithImage(
      imagePath ? platform::graphics::Image::imageWithContentsOfFile(*imagePath) : nullptr);
  icon->setFrame({{15, 15}, {150, 150}});
  root->addSubview(icon);

  root->addSubview(makeLabel({{180, 15}, {125, 45}}, "Vorla Button", 36, TextAlignment::Left, true));
  root->addSubview(makeLabel({{180, 55}, {125, 25}}, "Version 3.0", 24, TextAlignment::Right, false));
  root->addSubview(makeLabel({{180, 80}, {125, 25}}, "6/2/2009", 24, TextAlignment::Right, true));
  root->addSubview(
      makeLabel({{180, 100}, {125, 25}}, "*This app has nothing to do", 24, TextAlignment::Right, true));
  root->addSubview(
      makeLabel({{180, 115}, {125, 25}}, "with Brantle® in any way.", 24, TextAlignment::Right, true));
  root->addSubview(makeLabel({{15, 200}, {150, 50}}, "Vibrate", 36, TextAlignment::Left, false));

  std::weak_ptr<InfoViewController> weak = std::static_pointer_cast<InfoViewController>(shared_from_this());

  auto vibrate = std::make_shared<platform::ui::Switch>();
  vibrate->initWithFrame({{211, 210}, {94, 27}});
  vibrate->setOn(platform::UserDefaults::standardUserDefaults().boolForKey(ButtonScreen::kShouldVibrateKey));
  vibrate->addTargetActionForControlEvents(
      [weak](Control& sender) {
        auto self = weak.lock();
        auto* toggle = dynamic_cast<platform::ui::Switch*>(&sender);
        if (self && toggle) self->switchAction(*toggle);
      },
      Control::kEventValueChanged);
  root->addSubview(vibrate);

  auto twitter = Button::buttonWithType(Button::kTypeRoundedRect);
  twitter->setFrame({{15, 250}, {290, 50}});
  twitter->setTitleForState("Follow me on Twitter!", Control::kStateNormal);
  twitter->setUserInteractionEnabled(true);
  twitter->addTargetActionForControlEvents(
      [weak](Control&) {
        if (auto self = weak.lock()) self->loadTwitter();
      },
      Control::kEventTouchUpInside);
  root->addSubview(twitter);

  auto donate = Button::buttonWithType(Button::kTypeRoundedRect);
  donate->setFrame({{15, 315}, {290, 50}});
  donate->setTitleForState("Donate to me!", Control::kStateNormal);
  donate->setUserInteractionEnabled(true);
  donate->addTargetActionForControlEvents(
      [weak](Control&) {
        if (auto self = weak.lock()) self->loadDonate();
      },
      Control::kEventTouchUpInside);
  root->addSubview(donate);
}

void InfoViewController::switchAction(platform::ui::Switch& sender) {
  auto& defaults = platform::UserDefaults::standardUserDefaults();
  const bool on = sender.isOn();
  defaults.setBoolForKey(on, ButtonScreen::kShouldVibrateKey);
  // A failed save is retried by the next change; nothing is shown.
  (void)defaults.synchronize();
  platform::log(on ? "Vibrate on..." : "Vibrate off...");
}

void InfoViewController::loadTwitter() { openOutside(OutsideLinks::fromMainBundle().profileURL()); }

void InfoViewController::loadDonate() { openOutside(OutsideLinks::fromMainBundle().donationURL()); }

}  // namespace vorla
