// The pieces the two front ends share, on a real window and a real journal
// file: the view dump, pressing by title, the recorder's journal lines, the
// window's key map and screenshot names, and GLib's main context running
// inside our run loop.

#include "platform/shell/UrlOpener.h"
#include <unistd.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/EventJournal.h"
#include "platform/foundation/GLibMainContextSource.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/shell/ControlPresser.h"
#include "platform/shell/EventRecorder.h"
#include "platform/shell/ViewTreeDump.h"
#include "platform/shell/WindowFrontEnd.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/support/ScopedAppIdentity.h"

namespace platform::shell {
namespace {

namespace fs = std::filesystem;
using graphics::Rect;

class ShellPieces : public ::testing::Test {
 protected:
  ShellPieces() : loop_(std::make_shared<SimulatedClock>(0.0)) {
    loop_.makeCurrent();
    window_ = ui::Window::create(ui::Screen::mainScreen().bounds());
    window_->makeKeyAndVisible();
    dir_ = fs::temp_directory_path() / ("shell-pieces-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  ~ShellPieces() override {
    window_->setInterfaceOrientation(ui::InterfaceOrientation::Portrait);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string journalText() const {
    std::ifstream in(dir_ / "events.jsonl");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // A navigation stack in the window whose root screen "Root" has a
  // right-hand bar button "Next" that counts its taps in nextTaps_.
  std::shared_ptr<ui::NavigationController> showRootWithNextButton() {
    auto root = std::make_shared<ui::ViewController>();
    root->setTitle("Root");
    root->navigationItem()->setRightBarButtonItem(ui::BarButtonItem::initWithTitleStyleTargetAction(
        "Next", ui::BarButtonItem::kStylePlain, [this](ui::BarButtonItem&) { ++nextTaps_; }));
    auto nav = ui::NavigationController::initWithRootViewController(root);
    window_->addSubview(nav->view());
    return nav;
  }

  RunLoop loop_;
  std::shared_ptr<ui::Window> window_;
  fs::path dir_;
  int nextTaps_ = 0;
};

TEST_F(ShellPieces, ViewDumpGivesClassesScreenFramesAndTexts) {
  auto holder = ui::View::create({{0, 20}, {320, 460}});
  auto label = std::make_shared<ui::Label>();
  label->initWithFrame({{10, 5}, {100, 20}});
  label->setText("Say \"hi\"");
  label->setTag(7);
  label->setAlpha(0.5);
  holder->addSubview(label);
  auto button = ui::Button::buttonWithType(ui::Button::kTypeRoundedRect);
  button->setFrame({{15, 250}, {290, 50}});
  button->setTitleForState("Donate to me!", ui::Control::kStateNormal);
  holder->addSubview(button);
  window_->addSubview(holder);

  const auto json = ViewTreeDump::json(window_);
  EXPECT_EQ(json.rfind("{\"class\":\"Window\",\"frame\":[0,0,320,480]", 0), 0u) << json;
  EXPECT_NE(json.find("{\"class\":\"Label\",\"frame\":[10,25,100,20],\"tag\":7,\"alpha\":0.5,\"hidden\":false,"
                      "\"text\":\"Say \\\"hi\\\"\",\"children\":[]}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"class\":\"Button\",\"frame\":[15,270,290,50]"), std::string::npos);
  EXPECT_NE(json.find("\"title\":\"Donate to me!\""), std::string::npos);
  EXPECT_EQ(ViewTreeDump::json(nullptr), "null\n");
}

TEST_F(ShellPieces, ScreenFramesFollowTheOrientation) {
  window_->setInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight);
  auto view = ui::View::create({{20, 84}, {210, 210}});
  window_->addSubview(view);
  // Content top at the screen's right edge: content y becomes screen x from the right.
  const Rect frame = ViewTreeDump::screenFrame(*view, ui::InterfaceOrientation::LandscapeRight);
  EXPECT_EQ(frame.origin.x, 320 - 84 - 210);
  EXPECT_EQ(frame.origin.y, 20);
  EXPECT_EQ(frame.size.width, 210);
  EXPECT_EQ(frame.size.height, 210);
}

TEST_F(ShellPieces, PressFindsShownButtonsByTitleOnly) {
  int pressed = 0;
  auto button = ui::Button::buttonWithType(ui::Button::kTypeRoundedRect);
  button->setFrame({{15, 250}, {290, 50}});
  button->setTitleForState("OK", ui::Control::kStateNormal);
  button->addTargetActionForControlEvents([&](ui::Control&) { ++pressed; }, ui::Control::kEventTouchUpInside);
  window_->addSubview(button);

  EXPECT_TRUE(ControlPresser::press(window_, "OK"));
  EXPECT_EQ(pressed, 1);
  EXPECT_FALSE(ControlPresser::press(window_, "Ok"));
  button->setHidden(true);
  EXPECT_FALSE(ControlPresser::press(window_, "OK"));
  button->setHidden(false);
  button->setEnabled(false);
  EXPECT_FALSE(ControlPresser::press(window_, "OK"));
  EXPECT_EQ(pressed, 1);
  EXPECT_FALSE(ControlPresser::press(nullptr, "OK"));
}

TEST_F(ShellPieces, PressTapsNavigationBarButtons) {
  auto nav = showRootWithNextButton();
  EXPECT_TRUE(ControlPresser::press(window_, "Next"));
  EXPECT_EQ(nextTaps_, 1);

  auto second = std::make_shared<ui::ViewController>();
  second->setTitle("Second");
  nav->pushViewControllerAnimated(second, false);
  EXPECT_TRUE(ControlPresser::press(window_, "Root")) << "the back button names the screen below";
  loop_.advanceBy(1);
  EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(ShellPieces, DumpAndPressSeeTheLayoutOfATurnNotTheLastFrameDrawn) {
  auto nav = showRootWithNextButton();
  ViewTreeDump::json(window_);  // laid out once, in portrait

  // Nothing is rendered between the turn and the dump or the press.
  window_->setInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight);
  const auto json = ViewTreeDump::json(window_);
  // The bar runs the whole 480-point length of the screen's right edge.
  EXPECT_NE(json.find("{\"class\":\"NavigationBar\",\"frame\":[256,0,44,480]"), std::string::npos) << json;
  EXPECT_TRUE(ControlPresser::press(window_, "Next"));
  EXPECT_EQ(nextTaps_, 1);
}

TEST_F(ShellPieces, RecorderJournalsNavigationDefaultsAndUrls) {
  auto journal = EventJournal::openAtPath((dir_ / "events.jsonl").string(), loop_.clock());
  ASSERT_NE(journal, nullptr);
  EventRecorder recorder(journal, UrlOpening::Log);
  recorder.install();

  auto root = std::make_shared<ui::ViewController>();
  root->setTitle("Root");
  auto nav = ui::NavigationController::initWithRootViewController(root);
  auto holder = ui::View::create({{0, 0}, {320, 480}});
  holder->addSubview(nav->view());
  window_->addSubview(holder);
  recorder.observeNavigation(window_);
  auto second = std::make_shared<ui::ViewController>();
  second->setTitle("Zwei");
  loop_.advanceBy(2);
  nav->pushViewControllerAnimated(second, false);

  EXPECT_TRUE(ui::Application::sharedApplication().openURL(Url::URLWithString("https://example.org/a?b=c")));
  recorder.record("custom", JournalFields().set("n", 1));
  recorder.uninstall();
  EXPECT_FALSE(ui::Application::sharedApplication().openURL(Url::URLWithString("https://example.org/")));

  const auto text = journalText();
  EXPECT_NE(text.find("{\"t\":0,\"type\":\"navigation\",\"stack\":[\"Root\"]}\n"), std::string::npos) << text;
  EXPECT_NE(text.find("{\"t\":2,\"type\":\"navigation\",\"stack\":[\"Root\",\"Zwei\"]}\n"), std::string::npos);
  EXPECT_NE(text.find("{\"t\":2,\"type\":\"open-url\",\"url\":\"https://example.org/a?b=c\"}\n"), std::string::npos);
  EXPECT_NE(text.find("{\"t\":2,\"type\":\"custom\",\"n\":1}\n"), std::string::npos);
}

TEST_F(ShellPieces, PreferenceValuesBecomeJournalFields) {
  auto json = [](const PropertyListValue& value) {
    JournalFields fields;
    EventRecorder::setValue(fields, "value", value);
    return fields.toJson();
  };
  EXPECT_EQ(json(PropertyListValue(true)), "{\"value\":true}");
  EXPECT_EQ(json(PropertyListValue(std::int64_t{42})), "{\"value\":42}");
  EXPECT_EQ(json(PropertyListValue(1.5)), "{\"value\":1.5}");
  EXPECT_EQ(json(PropertyListValue("es_ES")), "{\"value\":\"es_ES\"}");
  EXPECT_EQ(json(PropertyListValue::stringArray({"es", "en"})), "{\"value\":[\"es\",\"en\"]}");
  PropertyListValue::Array mixed{PropertyListValue(std::int64_t{3}), PropertyListValue(true), PropertyListValue(0.25)};
  EXPECT_EQ(json(PropertyListValue(mixed)), "{\"value\":[\"3\",\"true\",\"0.25\"]}");
  EXPECT_EQ(json(PropertyListValue(PropertyListValue::Data{1, 2, 3})), "{\"value\":\"<3 bytes>\"}");
  PropertyListValue::Dictionary dictionary{{"a", PropertyListValue(false)}};
  EXPECT_EQ(json(PropertyListValue(dictionary)), "{\"value\":{\"a\":false}}");
}

TEST(WindowKeys, ArrowsTurnTheDeviceAndTheSameArrowTurnsItBack) {
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(1, GDK_KEY_Left), 3);
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(3, GDK_KEY_Left), 1);
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(1, GDK_KEY_Right), 4);
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(3, GDK_KEY_Right), 4);
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(4, GDK_KEY_Right), 1);
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(4, GDK_KEY_Up), 1);
  EXPECT_EQ(WindowFrontEnd::orientationAfterKey(4, GDK_KEY_a), 4);
}

TEST(WindowSize, ScaleTwoShrinksToTheWorkAreaKeepingTheShapeButNeverBelowOne) {
  // A 1366 x 768 laptop with a 27-pixel panel: 960 rows do not fit.
  const double laptop = WindowFrontEnd::fittedScale(2, 1366, 741);
  EXPECT_LT(laptop, 2);
  EXPECT_LE(480 * laptop + WindowFrontEnd::kFrameAllowanceHeight, 741);
  EXPECT_GT(480 * laptop + WindowFrontEnd::kFrameAllowanceHeight, 740) << "as large as fits";
  // Room enough: the asked-for scale.
  EXPECT_EQ(WindowFrontEnd::fittedScale(2, 1920, 1053), 2);
  // A tall, narrow area limits by width.
  const double narrow = WindowFrontEnd::fittedScale(2, 600, 2000);
  EXPECT_LE(320 * narrow + WindowFrontEnd::kFrameAllowanceWidth, 600);
  EXPECT_GT(320 * narrow + WindowFrontEnd::kFrameAllowanceWidth, 599);
  // The phone's own size is kept even where it does not fit.
  EXPECT_EQ(WindowFrontEnd::fittedScale(1, 640, 480), 1);
  EXPECT_EQ(WindowFrontEnd::fittedScale(2, 640, 480), 1);
  EXPECT_EQ(WindowFrontEnd::fittedScale(2, 0, 0), 1);
}

TEST(WindowScreenshots, NamesNeverOverwriteEarlierShots) {
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  const auto dir = fs::temp_directory_path() / ("shell-shots-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  EXPECT_EQ(WindowFrontEnd::screenshotPath(dir.string()), (dir / "host-app-1.png").string());
  std::ofstream(dir / "host-app-1.png") << "x";
  EXPECT_EQ(WindowFrontEnd::screenshotPath(dir.string()), (dir / "host-app-2.png").string());
  fs::remove_all(dir);
}

TEST(GLibInRunLoop, GLibTimeoutsAndIdlesRunFromOurLoop) {
  RunLoop loop;  // real clock
  loop.makeCurrent();
  auto source = GLibMainContextSource::create();
  ASSERT_NE(source, nullptr);
  loop.addSource(source);
  int idles = 0;
  bool fired = false;
  g_idle_add_once([](gpointer count) { ++*static_cast<int*>(count); }, &idles);
  g_timeout_add_once(20, [](gpointer flag) { *static_cast<bool*>(flag) = true; }, &fired);
  loop.runUntil(loop.now() + 0.2);
  EXPECT_EQ(idles, 1);
  EXPECT_TRUE(fired);
  loop.removeSource(source.get());
}

}  // namespace
}  // namespace platform::shell

namespace {

// What the window does with a dial: the tel: URL reaches xdg-open (here a
// stand-in that writes down its arguments) as one argument, unchanged.
TEST(UrlOpenerTest, ATelURLIsHandedOnAsOneArgument) {
  const std::string folder = ::testing::TempDir() + "/url-opener-" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  const std::string program = folder + "/fake-xdg-open";
  const std::string record = folder + "/arguments";
  {
    std::ofstream script(program);
    script << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << record << ".tmp' && mv '" << record << ".tmp' '"
           << record << "'\n";
  }
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  platform::shell::UrlOpener::setProgram(program);
  EXPECT_TRUE(platform::shell::UrlOpener::openWithXdgOpen("tel:+1 555 0123;ext=9"));
  for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream in(record);
  std::string arguments((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(arguments, "1|tel:+1 555 0123;ext=9|");
  EXPECT_FALSE(platform::shell::UrlOpener::openWithXdgOpen("--help"));
  platform::shell::UrlOpener::setProgram("xdg-open");
  std::filesystem::remove_all(folder);
}

}  // namespace
