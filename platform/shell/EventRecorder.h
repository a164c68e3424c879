#pragma once
// Connects the platform's observers to the event journal and to the way
// URLs are opened, for both front ends:
//   sound      {file, vibrate}   every play of a registered system sound
//   open-url   {url}             every URL the app hands to the system
//   navigation {stack}           titles, root first: once at launch, then
//                                after every push or pop
//   defaults   {key, value}      every change of a stored preference
//                                ({key, removed: true} for a removal)
//   web        {event, url, code}  every page load of a web view: "start",
//                                then "finish" or "fail" (with the code)
//   alert      {title, message, buttons}  an alert appears (title and
//                                message null when it has none; button
//                                titles in index order)
//   action-sheet {buttons}       an action sheet appears
//   alert-button {title, index}  a button of an alert or sheet is pressed
// "log" lines come from platform::log through EventJournal::setCurrent.
// Other parts of the shell record their own types through record().
//
// Ownership: shares the journal (which may be null: nothing is recorded,
// URLs are still opened). Observers installed by install() are process-wide
// and stay until uninstall().

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/EventJournal.h"
#include "platform/foundation/PropertyListValue.h"
#include "platform/shell/LaunchOptions.h"
#include "platform/ui/Window.h"

namespace platform::shell {

class EventRecorder {
 public:
  EventRecorder(std::shared_ptr<EventJournal> journal, UrlOpening urlOpening);

  // Sets the sound, defaults, open-URL and alert observers.
  void install();
  void uninstall();
  // Finds the navigation controllers in the window's tree, records their
  // stacks now and after every change.
  void observeNavigation(const std::shared_ptr<ui::Window>& window);

  bool record(const std::string& type, const JournalFields& fields);
  const std::shared_ptr<EventJournal>& journal() const { return journal_; }

  // A preference value as journal fields under `key`.
  static void setValue(JournalFields& fields, const std::string& key, const PropertyListValue& value);

 private:
  std::shared_ptr<EventJournal> journal_;
  UrlOpening urlOpening_;
};

}  // namespace platform::shell
