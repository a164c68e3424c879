#pragma once
// One screen of the app: it builds its view on first use (loadView), hears
// the touches its view does not handle, is asked before the device turns,
// and is told when it appears and disappears on a navigation stack.
//
// How to use: derive, set the title in the constructor, override loadView
// to build the view tree and hand the root to setView:
//   class InfoScreen : public ViewController {
//    public:
//     InfoScreen() { setTitle("Info"); }
//     void loadView() override { setView(View::create(Screen::mainScreen().bounds())); ... }
//   };
//   auto screen = std::make_shared<InfoScreen>();
//   navigation->pushViewControllerAnimated(screen, true);
//
// Ownership: the controller owns its view and its navigation item; the view
// points back at the controller weakly (it is the view's next responder).
// The navigation controller that holds the screen is a weak link. Main
// thread only.

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/InterfaceOrientation.h"
#include "platform/ui/Responder.h"

namespace platform::ui {

class NavigationController;
class NavigationItem;
class View;

class ViewController : public Responder, public std::enable_shared_from_this<ViewController> {
 public:
  ViewController();
  ~ViewController() override;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // The view, built by loadView on first use. A loadView that sets no view
  // gets the default plain view, so view() never answers nullptr.
  std::shared_ptr<View> view();
  // Makes `view` the controller's view: the view's next responder becomes
  // this controller. nullptr unloads the view.
  void setView(std::shared_ptr<View> view);
  bool isViewLoaded() const { return view_ != nullptr; }

  // Builds the view tree. The default is a plain view with the frame of the
  // screen's application frame.
  virtual void loadView();
  // Called once the view has been loaded.
  virtual void viewDidLoad() {}

  const std::string& title() const { return title_; }
  // Also becomes the title of the navigation item.
  void setTitle(std::string title);

  // Made on first use, with the controller's title.
  std::shared_ptr<NavigationItem> navigationItem();
  // The navigation controller whose stack holds this screen, or nullptr.
  std::shared_ptr<NavigationController> navigationController() const { return navigationController_.lock(); }
  // For NavigationController when it pushes or drops the screen.
  void setNavigationController(std::weak_ptr<NavigationController> controller);

  // Rotation. The default allows portrait only.
  virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation);
  virtual void willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation, double duration);

  // Appearance on a navigation stack; the defaults do nothing.
  virtual void viewWillAppear(bool animated);
  virtual void viewDidAppear(bool animated);
  virtual void viewWillDisappear(bool animated);
  virtual void viewDidDisappear(bool animated);

  // The default releases the view when it is loaded but not on screen (it
  // has no superview) and then calls viewDidUnload; view() builds it again
  // when it is needed next.
  virtual void didReceiveMemoryWarning();
  virtual void viewDidUnload() {}

  // The view's superview: touches the controller does not handle go on
  // up the view tree.
  std::shared_ptr<Responder> nextResponder() const override;

 private:
  std::shared_ptr<View> view_;
  std::string title_;
  std::shared_ptr<NavigationItem> navigationItem_;
  std::weak_ptr<NavigationController> navigationController_;
};

}  // namespace platform::ui
