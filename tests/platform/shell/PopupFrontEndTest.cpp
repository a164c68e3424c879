// What the front ends make of alerts and action sheets: their journal
// lines, `press` reaching their buttons (and nothing underneath while one
// shows), and the view dump listing them with their texts, and every
// view's layers with the scale they show at the moment.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/EventJournal.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/shell/ControlPresser.h"
#include "platform/shell/EventRecorder.h"
#include "platform/shell/ViewTreeDump.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/PopupPresenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace platform::shell {
namespace {

namespace fs = std::filesystem;

class PopupFrontEnd : public ::testing::Test {
 protected:
  PopupFrontEnd() : loop_(std::make_shared<SimulatedClock>(0.0)) {
    loop_.makeCurrent();
    window_ = ui::Window::create(ui::Screen::mainScreen().bounds());
    window_->makeKeyAndVisible();
    underneath_ = ui::Button::buttonWithType(ui::Button::kTypeRoundedRect);
    underneath_->setFrame({{15, 400}, {290, 50}});
    underneath_->setTitleForState("Underneath", ui::Control::kStateNormal);
    underneath_->addTargetActionForControlEvents([this](ui::Control&) { ++underneathPresses_; },
                                                 ui::Control::kEventTouchUpInside);
    window_->addSubview(underneath_);
    dir_ = fs::temp_directory_path() / ("popup-front-end-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  ~PopupFrontEnd() override {
    while (auto shown = ui::PopupPresenter::shared().shownPopup()) shown->dismissWithClickedButtonIndexAnimated(0, false);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string journalText() const {
    std::ifstream in(dir_ / "events.jsonl");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  RunLoop loop_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::Button> underneath_;
  int underneathPresses_ = 0;
  fs::path dir_;
};

TEST_F(PopupFrontEnd, AlertsAndSheetsAreJournalledWhenShownAndPressed) {
  auto journal = EventJournal::openAtPath((dir_ / "events.jsonl").string(), loop_.clock());
  ASSERT_NE(journal, nullptr);
  EventRecorder recorder(journal, UrlOpening::Log);
  recorder.install();

  ui::AlertView::create("Call 555-0100?", std::nullopt, {}, "Cancel", {"Call"})->show();
  ui::AlertView::create(std::nullopt, "Line one\nand \"two\"", {}, std::nullopt, {"OK"})->show();
  loop_.advanceBy(1);
  ASSERT_TRUE(ControlPresser::press(window_, "Call"));
  loop_.advanceBy(1);
  ASSERT_TRUE(ControlPresser::press(window_, "OK"));
  ui::ActionSheet::create(std::nullopt, {}, "Cancel", "Delete", {"Launch Safari"})->showInView(window_);
  ASSERT_TRUE(ControlPresser::press(window_, "Cancel"));
  recorder.uninstall();
  ui::AlertView::create("Unrecorded", std::nullopt, {}, "OK", {})->show();

  EXPECT_EQ(journalText(),
            "{\"t\":0,\"type\":\"alert\",\"title\":\"Call 555-0100?\",\"message\":null,"
            "\"buttons\":[\"Cancel\",\"Call\"]}\n"
            "{\"t\":1,\"type\":\"alert-button\",\"title\":\"Call\",\"index\":1}\n"
            "{\"t\":1,\"type\":\"alert\",\"title\":null,\"message\":\"Line one\\nand \\\"two\\\"\","
            "\"buttons\":[\"OK\"]}\n"
            "{\"t\":2,\"type\":\"alert-button\",\"title\":\"OK\",\"index\":0}\n"
            "{\"t\":2,\"type\":\"action-sheet\",\"buttons\":[\"Delete\",\"Launch Safari\",\"Cancel\"]}\n"
            "{\"t\":2,\"type\":\"alert-button\",\"title\":\"Cancel\",\"index\":2}\n");
}

TEST_F(PopupFrontEnd, PressReachesOnlyTheShownBoxWhileThereIsOne) {
  int heard = -1;
  struct Delegate : ui::AlertViewDelegate {
    int* heard;
    explicit Delegate(int* h) : heard(h) {}
    void alertViewClickedButtonAtIndex(ui::AlertView&, int index) override { *heard = index; }
  };
  auto delegate = std::make_shared<Delegate>(&heard);
  auto first = ui::AlertView::create("First", std::nullopt, delegate, "Cancel", {"Go"});
  auto second = ui::AlertView::create("Second", std::nullopt, delegate, "Later", {});
  first->show();
  second->show();

  EXPECT_FALSE(ControlPresser::press(window_, "Underneath")) << "out of reach under the alert";
  EXPECT_FALSE(ControlPresser::press(window_, "Later")) << "the second alert is not shown yet";
  EXPECT_EQ(underneathPresses_, 0);
  EXPECT_TRUE(ControlPresser::press(window_, "Go"));
  EXPECT_EQ(heard, 1);
  EXPECT_TRUE(second->isVisible());
  EXPECT_TRUE(ControlPresser::press(window_, "Later"));
  EXPECT_EQ(heard, 0);
  EXPECT_TRUE(ControlPresser::press(window_, "Underneath"));
  EXPECT_EQ(underneathPresses_, 1);
}

TEST_F(PopupFrontEnd, TheDumpListsTheShownBoxAndTheLayersOfEveryView) {
  auto icon = ui::Layer::create();
  icon->setFrame({{286, 9}, {30, 30}});
  underneath_->layer()->addSublayer(icon);
  auto pulse = ui::KeyframeAnimation::animationWithKeyPath("transform");
  pulse->setValues({ui::Transform3D::makeScale(1, 1, 1), ui::Transform3D::makeScale(1.4, 1.4, 1),
                    ui::Transform3D::makeScale(1, 1, 1)});
  pulse->setDuration(0.5);
  icon->addAnimationForKey(pulse, "Pulse");
  loop_.advanceBy(0.25);
  ui::AlertView::create("Add Acme to your Address Book?", std::nullopt, {}, "Cancel", {"Add"})->show();

  const auto json = ViewTreeDump::json(window_);
  EXPECT_NE(json.find("\"layers\":[{\"frame\":[301,409,30,30],\"scale\":[1.4,1.4],\"hidden\":false,"
                      "\"animations\":[\"Pulse\"]}]"),
            std::string::npos)
      << json;
  const auto overlays = json.find("\"overlays\":[");
  ASSERT_NE(overlays, std::string::npos) << json;
  const auto alert = json.find("{\"class\":\"AlertView\",\"frame\":[18,", overlays);
  ASSERT_NE(alert, std::string::npos) << json;
  EXPECT_NE(json.find("\"title\":\"Add Acme to your Address Book?\",\"message\":null,"
                      "\"buttons\":[\"Cancel\",\"Add\"]",
                      alert),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"class\":\"PopupButton\"", alert), std::string::npos);

  // Once the pulse is over the icon shows its own scale again, and the
  // answered alert is gone from the dump.
  loop_.advanceBy(1);
  ASSERT_TRUE(ControlPresser::press(window_, "Cancel"));
  const auto after = ViewTreeDump::json(window_);
  EXPECT_NE(after.find("\"scale\":[1,1]"), std::string::npos) << after;
  EXPECT_EQ(after.find("overlays"), std::string::npos);
}

}  // namespace
}  // namespace platform::shell
