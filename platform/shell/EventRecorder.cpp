#include "platform/shell/EventRecorder.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/media/SystemSound.h"
#include "platform/shell/UrlOpener.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopupPresenter.h"
#include "platform/web/WebView.h"

namespace platform::shell {

namespace {

void findNavigationControllers(const std::shared_ptr<ui::View>& view,
                               std::vector<std::shared_ptr<ui::NavigationController>>& found) {
  if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(view->viewDelegate())) {
    found.push_back(nav);
    return;  // screens inside it are its own business
  }
  for (const auto& child : view->subviews()) findNavigationControllers(child, found);
}

// An array element as text: arrays in the journal are arrays of strings.
std::string describe(const PropertyListValue& value) {
  if (const auto* text = value.asString()) return *text;
  if (auto number = value.asReal()) {
    std::string out;
    JournalFields::appendNumber(out, *number);
    return out;
  }
  if (auto flag = value.asBoolean()) return *flag ? "true" : "false";
  return "<value>";
}

void recordPopupShown(EventJournal& journal, const ui::PopupView& popup) {
  if (const auto* alert = dynamic_cast<const ui::AlertView*>(&popup)) {
    journal.record("alert", JournalFields()
                                .set("title", alert->title())
                                .set("message", alert->message())
                                .set("buttons", alert->buttonTitles()));
  } else {
    journal.record("action-sheet", JournalFields().set("buttons", popup.buttonTitles()));
  }
}

}  // namespace

EventRecorder::EventRecorder(std::shared_ptr<EventJournal> journal, UrlOpening urlOpening)
    : journal_(std::move(journal)), urlOpening_(urlOpening) {}

bool EventRecorder::record(const std::string& type, const JournalFields& fields) {
  return journal_ && journal_->record(type, fields);
}

void EventRecorder::setValue(JournalFields& fields, const std::string& key, const PropertyListValue& value) {
  using Type = PropertyListValue::Type;
  switch (value.type()) {
    case Type::String:
      fields.set(key, *value.asString());
      return;
    case Type::Integer:
      fields.set(key, *value.asInteger());
      return;
    case Type::Real:
      fields.set(key, *value.asReal());
      return;
    case Type::Boolean:
      fields.set(key, *value.asBoolean());
      return;
    case Type::Date:
      fields.set(key, value.asDate()->timeIntervalSince1970());
      return;
    case Type::Data:
      fields.set(key, "<" + std::to_string(value.asData()->size()) + " bytes>");
      return;
    case Type::Array: {
      std::vector<std::string> items;
      for (const auto& item : *value.asArray()) items.push_back(describe(item));
      fields.set(key, std::move(items));
      return;
    }
    case Type::Dictionary: {
      JournalFields nested;
      for (const auto& [k, v] : *value.asDictionary()) setValue(nested, k, v);
      fields.set(key, std::move(nested));
      return;
    }
  }
}

void EventRecorder::install() {
  auto journal = journal_;
  media::SystemSound::setPlayObserver([journal](const std::string& file, bool vibrate) {
    if (journal) journal->record("sound", JournalFields().set("file", file).set("vibrate", vibrate));
  });
  UserDefaults::standardUserDefaults().setWriteObserver(
      [journal](const std::string& key, const std::optional<PropertyListValue>& value) {
        if (!journal) return;
        JournalFields fields;
        fields.set("key", key);
        if (value) {
          setValue(fields, "value", *value);
        } else {
          fields.set("removed", true);
        }
        journal->record("defaults", fields);
      });
  web::WebView::setLoadObserver([journal](const std::string& event, const std::string& url, std::optional<int> code) {
    if (!journal) return;
    JournalFields fields;
    fields.set("event", event).set("url", url);
    if (code) fields.set("code", *code);
    journal->record("web", fields);
  });
  const auto opening = urlOpening_;
  ui::Application::sharedApplication().setOpenURLHandler([journal, opening](const std::string& url) {
    if (journal) journal->record("open-url", JournalFields().set("url", url));
    if (opening == UrlOpening::Log) {
      log("Opening URL (not handed on): " + url);
      return true;
    }
    return UrlOpener::openWithXdgOpen(url);
  });
  ui::PopupPresenter::shared().setObserver(
      {[journal](const ui::PopupView& popup) {
         if (journal) recordPopupShown(*journal, popup);
       },
       [journal](const ui::PopupView& popup, int index) {
         if (journal) {
           journal->record("alert-button",
                           JournalFields().set("title", popup.buttonTitleAtIndex(index)).set("index", index));
         }
       }});
}

void EventRecorder::uninstall() {
  media::SystemSound::setPlayObserver(nullptr);
  UserDefaults::standardUserDefaults().setWriteObserver(nullptr);
  ui::Application::sharedApplication().setOpenURLHandler(nullptr);
  ui::PopupPresenter::shared().setObserver({});
  web::WebView::setLoadObserver(nullptr);
}

void EventRecorder::observeNavigation(const std::shared_ptr<ui::Window>& window) {
  if (!window) return;
  std::vector<std::shared_ptr<ui::NavigationController>> found;
  findNavigationControllers(window, found);
  auto journal = journal_;
  for (const auto& nav : found) {
    auto recordStack = [journal](const std::vector<std::string>& titles) {
      if (journal) journal->record("navigation", JournalFields().set("stack", titles));
    };
    nav->setStackObserver(recordStack);
    std::vector<std::string> titles;
    for (const auto& screen : nav->viewControllers()) titles.push_back(screen->title());
    recordStack(titles);
  }
}

}  // namespace platform::shell
