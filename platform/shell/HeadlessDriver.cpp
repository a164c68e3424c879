#include "platform/shell/HeadlessDriver.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ProcessMemory.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/ControlPresser.h"
#include "platform/shell/EventRecorder.h"
#include "platform/shell/ViewTreeDump.h"
#include "platform/shell/WallClock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewRegistry.h"

namespace platform::shell {

namespace {

using Kind = ScriptCommand::Kind;

std::string lineError(const ScriptCommand& command, const std::string& message) {
  return "line " + std::to_string(command.line) + ": " + message;
}

}  // namespace

std::string HeadlessDriver::outputPath(const std::string& name, const char* extension) const {
  return *options_.out + "/" + name + extension;
}

int HeadlessDriver::run(ApplicationDelegate& delegate) {
  auto text = FileManager::contentsAtPath(*options_.script);
  if (!text) {
    AppLauncher::printError("cannot read the script " + *options_.script);
    return AppLauncher::kExitUsage;
  }
  auto parsed = Script::parse(*text);
  if (!parsed.error.empty()) {
    AppLauncher::printError(*options_.script + ": " + parsed.error);
    return AppLauncher::kExitUsage;
  }
  if (!FileManager::createDirectoryAtPath(*options_.out)) {
    AppLauncher::printError("cannot create the output folder " + *options_.out);
    return AppLauncher::kExitFailure;
  }

  auto& loop = RunLoop::main();
  loop.makeCurrent();
  auto clock = std::make_shared<SimulatedClock>(0.0);
  loop.setClock(clock);
  WallClock::install(options_.wallTime, clock);

  auto journal = EventJournal::openAtPath(outputPath("events", ".jsonl"), clock);
  if (!journal) {
    AppLauncher::printError("cannot write " + outputPath("events", ".jsonl"));
    return AppLauncher::kExitFailure;
  }
  EventJournal::setCurrent(journal);
  EventRecorder recorder(journal, options_.effectiveUrlOpening());
  recorder.install();
  AppLauncher::removeStaleTemporaryFiles();
  AppLauncher::loadBundleFonts();

  delegate.applicationDidFinishLaunching(ui::Application::sharedApplication());
  recorder.observeNavigation(ui::Window::keyWindow());

  int status = 0;
  for (const auto& command : parsed.commands) {
    loop.settle();
    bool quit = false;
    if (auto error = execute(command, quit); !error.empty()) {
      AppLauncher::printError(*options_.script + ": " + error);
      status = AppLauncher::kExitFailure;
      break;
    }
    if (quit) break;
  }
  loop.settle();
  recorder.uninstall();
  EventJournal::setCurrent(nullptr);
  WallClock::uninstall();
  return status;
}

std::string HeadlessDriver::execute(const ScriptCommand& command, bool& quit) {
  auto& loop = RunLoop::main();
  auto window = ui::Window::keyWindow();
  if (!window && command.kind != Kind::Wait && command.kind != Kind::Quit && command.kind != Kind::Rotate &&
      command.kind != Kind::WaitWeb && command.kind != Kind::Memory) {
    return lineError(command, "the app shows no window");
  }
  const graphics::Point point{command.x, command.y};
  switch (command.kind) {
    case Kind::Wait:
      loop.advanceBy(command.seconds);
      break;
    case Kind::Tap:
      // A tap on nothing that takes touches is not an error: a finger may
      // land anywhere.
      if (window->sendTouchAtScreenPoint(ui::TouchPhase::Began, point)) {
        window->sendTouchAtScreenPoint(ui::TouchPhase::Ended, point);
      }
      break;
    case Kind::Down:
      window->sendTouchAtScreenPoint(ui::TouchPhase::Began, point);
      break;
    case Kind::Move:
      window->sendTouchAtScreenPoint(ui::TouchPhase::Moved, point);
      break;
    case Kind::Up:
      window->sendTouchAtScreenPoint(ui::TouchPhase::Ended, point);
      break;
    case Kind::Cancel:
      if (auto touch = window->activeTouch()) window->sendTouch(ui::TouchPhase::Cancelled, touch->locationInWindow());
      break;
    case Kind::Rotate:
      ui::Application::sharedApplication().setDeviceOrientation(command.orientation);
      break;
    case Kind::Press:
      if (!ControlPresser::press(window, command.text)) {
        return lineError(command, "nothing on the screen is titled \"" + command.text + "\"");
      }
      break;
    case Kind::Screenshot: {
      ui::Renderer renderer(window, ui::Screen::mainScreen().scale());
      if (!renderer.screenshotPNG(outputPath(command.text, ".png"))) {
        return lineError(command, "cannot write " + outputPath(command.text, ".png"));
      }
      break;
    }
    case Kind::Views:
      if (!FileManager::writeContentsAtomically(outputPath(command.text, ".json"), ViewTreeDump::json(window))) {
        return lineError(command, "cannot write " + outputPath(command.text, ".json"));
      }
      break;
    case Kind::Quit:
      quit = true;
      break;
    case Kind::WebEval: {
      auto web = web::WebViewRegistry::topmostIn(window);
      if (!web) return lineError(command, "no web view on the screen");
      const std::string result = web->stringByEvaluatingJavaScriptFromString(command.text);
      if (auto journal = EventJournal::current()) journal->record("web-eval", JournalFields().set("result", result));
      break;
    }
    case Kind::WaitWeb:
      if (!web::WebViewRegistry::waitUntilIdle(loop, kWaitWebCap)) {
        log("wait-web: web loads still in flight after " + std::to_string(static_cast<int>(kWaitWebCap)) + " s");
      }
      break;
    case Kind::Memory:
      if (auto journal = EventJournal::current()) {
        const ProcessMemory memory = ProcessMemory::current();
        journal->record("memory", JournalFields()
                                      .set("resident_kb", memory.residentBytes / 1024)
                                      .set("allocated_kb", memory.allocatedBytes / 1024));
      }
      break;
  }
  loop.runPending();
  return "";
}

}  // namespace platform::shell
