#pragma once
// What the click tests share: the log lines written while a test runs, the
// URLs handed to the system, and an address-book folder of the test's own.

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "AdsTestSupport.h"
#include "json/JSONDeserializer.h"
#include "platform/addressbook/AddressBook.h"
#include "platform/foundation/EventJournal.h"
#include "platform/ui/Application.h"
#include "tests/platform/addressbook/AddressBookTestSupport.h"

namespace pennant::testing {

// Routes platform::log() into a journal of its own for the test's lifetime.
class LogCapture {
 public:
  LogCapture() {
    static int serial = 0;
    path_ = testHome() + "/log-" + std::to_string(++serial) + ".jsonl";
    platform::EventJournal::setCurrent(platform::EventJournal::openAtPath(path_));
  }
  ~LogCapture() { platform::EventJournal::setCurrent(nullptr); }

  std::vector<std::string> lines() const {
    std::vector<std::string> texts;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) {
      auto bytes = std::make_shared<std::vector<std::uint8_t>>(line.begin(), line.end());
      auto event = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(bytes, nullptr);
      if (event && event->stringForKey("type") == "log") texts.push_back(event->stringForKey("text").value_or(""));
    }
    return texts;
  }
  std::size_t count(const std::string& text) const {
    std::size_t n = 0;
    for (const auto& line : lines()) n += line == text;
    return n;
  }

 private:
  std::string path_;
};

// Records what the app hands to the system instead of opening it; each URL
// is stamped with the number of requests `server` had seen by then.
class OpenedURLs {
 public:
  explicit OpenedURLs(LoopbackServer* server = nullptr) {
    platform::ui::Application::sharedApplication().setOpenURLHandler([this, server](const std::string& url) {
      urls.push_back(url);
      requestsBefore.push_back(server ? server->requests().size() : 0);
      return true;
    });
  }
  ~OpenedURLs() { platform::ui::Application::sharedApplication().setOpenURLHandler(nullptr); }

  std::vector<std::string> urls;
  std::vector<std::size_t> requestsBefore;
};

// The user's address book, in a folder of the test's own.
class TestAddressBook {
 public:
  TestAddressBook() { platform::addressbook::AddressBook::setDefaultDirectory(folder.book()); }
  ~TestAddressBook() { platform::addressbook::AddressBook::setDefaultDirectory(std::nullopt); }

  std::vector<std::string> vcards() const {
    std::vector<std::string> cards;
    for (const auto& name : folder.vcfNames()) cards.push_back(folder.read(name));
    return cards;
  }

  platform::addressbook::testing::TestFolder folder;
};

inline json::ByteScanner::Data bytesOf(const std::string& text) {
  return std::make_shared<std::vector<std::uint8_t>>(text.begin(), text.end());
}

inline std::shared_ptr<const json::Value> jsonObject(const std::string& text) {
  return json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(bytesOf(text), nullptr);
}

}  // namespace pennant::testing

#include "platform/shell/ControlPresser.h"
#include "platform/ui/PopupPresenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace pennant::testing {

// A key window for alerts to show in, and a finger to press their buttons.
class TestScreen {
 public:
  explicit TestScreen(TestLoop& loop) : loop_(loop) {
    window = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    window->makeKeyAndVisible();
  }
  ~TestScreen() {
    // Leave no alert behind for the next test.
    auto& presenter = platform::ui::PopupPresenter::shared();
    while (auto shown = presenter.shownPopup()) shown->dismissWithClickedButtonIndexAnimated(0, false);
  }
  std::shared_ptr<platform::ui::PopupView> shownAlert() {
    loop_.loop().advanceBy(0.5);  // the alert's appearance
    return platform::ui::PopupPresenter::shared().shownPopup();
  }
  // Taps the shown alert's button, as a finger would.
  bool press(const std::string& title) {
    loop_.loop().advanceBy(0.5);
    return platform::shell::ControlPresser::press(window, title);
  }

  std::shared_ptr<platform::ui::Window> window;

 private:
  TestLoop& loop_;
};

}  // namespace pennant::testing
