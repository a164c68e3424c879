#include "platform/shell/ViewTreeDump.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <typeinfo>

#include "platform/foundation/JournalFields.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/PopupView.h"
#include "platform/ui/Switch.h"
#include "platform/web/WebView.h"

namespace platform::shell {

namespace {

void appendKey(std::string& out, const char* key) {
  out += ',';
  JournalFields::appendString(out, key);
  out += ':';
}

// The tree is ours and shallow, but a limit keeps a runaway tree from
// exhausting the stack.
constexpr int kMaxDepth = 200;

void appendNumbers(std::string& out, std::initializer_list<double> values) {
  out += '[';
  bool first = true;
  for (double value : values) {
    if (!first) out += ',';
    first = false;
    JournalFields::appendNumber(out, value);
  }
  out += ']';
}

void appendOptionalText(std::string& out, const char* key, const std::optional<std::string>& text) {
  appendKey(out, key);
  if (text) {
    JournalFields::appendString(out, *text);
  } else {
    out += "null";
  }
}

graphics::Rect screenRect(graphics::Rect inWindow, ui::InterfaceOrientation orientation) {
  const auto a = ui::screenPointFromContentPoint(orientation, inWindow.origin);
  const auto b = ui::screenPointFromContentPoint(
      orientation, {inWindow.origin.x + inWindow.size.width, inWindow.origin.y + inWindow.size.height});
  return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::abs(b.x - a.x), std::abs(b.y - a.y)}};
}

// `origin` is where the layer's superlayer starts, in the view's coordinates.
void appendLayer(std::string& out, const ui::Layer& layer, const ui::View& view, graphics::Point origin,
                 ui::InterfaceOrientation orientation, double now, int depth) {
  const graphics::Rect inView{{origin.x + layer.frame().origin.x, origin.y + layer.frame().origin.y},
                              layer.frame().size};
  const auto frame = screenRect(view.convertRectToView(inView, nullptr), orientation);
  out += "{\"frame\":";
  appendNumbers(out, {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height});
  const auto shown = layer.presentationTransform(now);
  appendKey(out, "scale");
  appendNumbers(out, {shown.sx, shown.sy});
  appendKey(out, "hidden");
  out += layer.isHidden() ? "true" : "false";
  if (const auto keys = layer.animationKeys(); !keys.empty()) {
    appendKey(out, "animations");
    out += '[';
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (i) out += ',';
      JournalFields::appendString(out, keys[i]);
    }
    out += ']';
  }
  if (!layer.sublayers().empty() && depth < kMaxDepth) {
    appendKey(out, "layers");
    out += '[';
    for (std::size_t i = 0; i < layer.sublayers().size(); ++i) {
      if (i) out += ',';
      appendLayer(out, *layer.sublayers()[i], view, inView.origin, orientation, now, depth + 1);
    }
    out += ']';
  }
  out += '}';
}

void appendView(std::string& out, const ui::View& view, ui::InterfaceOrientation orientation, int depth) {
  out += "{\"class\":";
  JournalFields::appendString(out, ViewTreeDump::className(view));
  const auto frame = ViewTreeDump::screenFrame(view, orientation);
  appendKey(out, "frame");
  appendNumbers(out, {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height});
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
  if (const auto* popup = dynamic_cast<const ui::PopupView*>(&view)) {
    appendOptionalText(out, "title", popup->title());
    if (const auto* alert = dynamic_cast<const ui::AlertView*>(&view)) {
      appendOptionalText(out, "message", alert->message());
    }
    appendKey(out, "buttons");
    out += '[';
    for (int i = 0; i < popup->numberOfButtons(); ++i) {
      if (i) out += ',';
      JournalFields::appendString(out, popup->buttonTitleAtIndex(i));
    }
    out += ']';
  }
  if (const auto& sublayers = view.layer()->sublayers(); !sublayers.empty()) {
    const double now = RunLoop::current().now();
    appendKey(out, "layers");
    out += '[';
    for (std::size_t i = 0; i < sublayers.size(); ++i) {
      if (i) out += ',';
      appendLayer(out, *sublayers[i], view, {0, 0}, orientation, now, depth);
    }
    out += ']';
  }
  appendKey(out, "children");
  out += '[';
  bool first = true;
  if (depth < kMaxDepth) {
    for (const auto& child : view.subviews()) {
      if (!first) out += ',';
      first = false;
      appendView(out, *child, orientation, depth + 1);
    }
  }
  out += ']';
  if (const auto* window = dynamic_cast<const ui::Window*>(&view); window && !window->overlayViews().empty()) {
    appendKey(out, "overlays");
    out += '[';
    for (std::size_t i = 0; i < window->overlayViews().size(); ++i) {
      if (i) out += ',';
      appendView(out, *window->overlayViews()[i], orientation, depth + 1);
    }
    out += ']';
  }
  out += '}';
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
  return screenRect(view.convertRectToView(view.bounds(), nullptr), orientation);
}

std::string ViewTreeDump::json(const std::shared_ptr<ui::Window>& window) {
  if (!window) return "null\n";
  // The dump shows where views are now, after any pending layout, exactly
  // as a touch or a screenshot would find them.
  window->layoutIfNeeded();
  std::string out;
  appendView(out, *window, window->interfaceOrientation(), 0);
  out += '\n';
  return out;
}

}  // namespace platform::shell
