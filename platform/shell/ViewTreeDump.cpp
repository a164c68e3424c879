#include "platform/shell/ViewTreeDump.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <typeinfo>

#include "platform/foundation/JournalFields.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Switch.h"
#include "platform/web/WebView.h"

namespace platform::shell {

namespace {

void appendKey(std::string& out, const char* key) {
  out += ',';
  JournalFields::appendString(out, key);
  out += ':';
}

void appendView(std::string& out, const ui::View& view, ui::InterfaceOrientation orientation, int depth) {
  out += "{\"class\":";
  JournalFields::appendString(out, ViewTreeDump::className(view));
  const auto frame = ViewTreeDump::screenFrame(view, orientation);
  appendKey(out, "frame");
  out += '[';
  const double values[] = {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
  for (int i = 0; i < 4; ++i) {
    if (i) out += ',';
    JournalFields::appendNumber(out, values[i]);
  }
  out += ']';
  appendKey(out, "tag");
  out += std::to_string(view.tag());
  appendKey(out, "alpha");
  JournalFields::appendNumber(out, view.alpha());
  appendKey(out, "hidden");
  out += view.isHidden() ? "true" : "false";
  if (const auto* label = dynamic_cast<const ui::Label*>(&view)) {
    appendKey(out, "text");
    JournalFields::appendString(out, label->text());
  }
  if (const auto* button = dynamic_cast<const ui::Button*>(&view)) {
    appendKey(out, "title");
    JournalFields::appendString(out, button->currentTitle());
  }
  if (const auto* toggle = dynamic_cast<const ui::Switch*>(&view)) {
    appendKey(out, "on");
    out += toggle->isOn() ? "true" : "false";
  }
  if (const auto* bar = dynamic_cast<const ui::NavigationBar*>(&view)) {
    if (auto top = bar->topItem()) {
      appendKey(out, "title");
      JournalFields::appendString(out, top->title());
      if (top->leftBarButtonItem()) {
        appendKey(out, "left");
        JournalFields::appendString(out, top->leftBarButtonItem()->title());
      }
      if (top->rightBarButtonItem()) {
        appendKey(out, "right");
        JournalFields::appendString(out, top->rightBarButtonItem()->title());
      }
    }
    if (auto back = bar->backButtonTitle()) {
      appendKey(out, "back");
      JournalFields::appendString(out, *back);
    }
  }
  if (const auto* web = dynamic_cast<const web::WebView*>(&view)) {
    const auto request = web->request();
    appendKey(out, "url");
    JournalFields::appendString(out, request ? request->url() : "");
    appendKey(out, "title");
    JournalFields::appendString(out, web->title());
    appendKey(out, "loading");
    out += web->isLoading() ? "true" : "false";
  }
  appendKey(out, "children");
  out += '[';
  bool first = true;
  // The tree is ours and shallow, but a limit keeps a runaway tree from
  // exhausting the stack.
  if (depth < 200) {
    for (const auto& child : view.subviews()) {
      if (!first) out += ',';
      first = false;
      appendView(out, *child, orientation, depth + 1);
    }
  }
  out += "]}";
}

}  // namespace

std::string ViewTreeDump::className(const ui::View& view) {
  const char* mangled = typeid(view).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  if (auto colon = name.rfind("::"); colon != std::string::npos) name = name.substr(colon + 2);
  return name;
}

graphics::Rect ViewTreeDump::screenFrame(const ui::View& view, ui::InterfaceOrientation orientation) {
  const auto inWindow = view.convertRectToView(view.bounds(), nullptr);
  const auto a = ui::screenPointFromContentPoint(orientation, inWindow.origin);
  const auto b = ui::screenPointFromContentPoint(
      orientation, {inWindow.origin.x + inWindow.size.width, inWindow.origin.y + inWindow.size.height});
  return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::abs(b.x - a.x), std::abs(b.y - a.y)}};
}

std::string ViewTreeDump::json(const std::shared_ptr<ui::Window>& window) {
  if (!window) return "null\n";
  std::string out;
  appendView(out, *window, window->interfaceOrientation(), 0);
  out += '\n';
  return out;
}

}  // namespace platform::shell
