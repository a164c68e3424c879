#pragma once
// What the host application tells the ad library and hears from it. The host
// implements this interface and hands it to `PennantView::requestAdWithDelegate`;
// the library keeps only weak references to it (the view's controller, each ad
// and each modal controller), so the host owns its delegate and the library
// never keeps it alive.
//
// Every method except `publisherId` is optional. An optional method that
// answers something returns std::optional: the base implementation returns
// std::nullopt, which means "not implemented", and the library then applies
// its default. For most methods "returned null" and "not implemented" lead to
// the same default; where they differ the signature says so explicitly:
//   - `location()`: std::nullopt = not implemented (the library asks its own
//     location service); a present but empty inner value = implemented and
//     returned no location (no location is sent, the service is not asked).
//   - `presentWebView()`: returns false when not implemented (the base), and
//     the library then hands the URL to the system.
// Methods that only notify have empty bodies here: not implementing them and
// implementing them with an empty body are the same.

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/graphics/Color.h"
#include "platform/location/Location.h"

namespace platform {
class Url;
}

namespace pennant {

class PennantView;

class PennantDelegate {
 public:
  virtual ~PennantDelegate() = default;

  // Required: the publisher identifier sent as "s" with every ad request.
  // Returning std::nullopt stands for a host that returns null; the request
  // then goes out with an empty query string.
  virtual std::optional<std::string> publisherId() = 0;

  // The first ad of the view has loaded / failed. Never called for later ads.
  virtual void didReceiveAd(const std::shared_ptr<PennantView>& /*adView*/) {}
  virtual void didFailToReceiveAd(const std::shared_ptr<PennantView>& /*adView*/) {}

  // Banner colours; default background RGBA (0.443, 0.514, 0.631, 1), default
  // text opaque white.
  virtual std::optional<platform::graphics::Color> adBackgroundColor() { return std::nullopt; }
  virtual std::optional<platform::graphics::Color> adTextColor() { return std::nullopt; }
  // Default NO: the white spinner.
  virtual std::optional<bool> useGraySpinner() { return std::nullopt; }

  // Default NO: no location is sent.
  virtual std::optional<bool> mayAskForLocation() { return std::nullopt; }
  // See the header comment for the two levels of "nothing".
  virtual std::optional<std::optional<platform::location::Location>> location() { return std::nullopt; }

  // Default NO: a live ad is requested.
  virtual std::optional<bool> useTestAd() { return std::nullopt; }
  virtual std::optional<std::string> testAdAction() { return std::nullopt; }

  // Targeting; each is sent only when it answers something.
  virtual std::optional<std::string> postalCode() { return std::nullopt; }
  virtual std::optional<std::string> areaCode() { return std::nullopt; }
  virtual std::optional<platform::Date> dateOfBirth() { return std::nullopt; }
  virtual std::optional<std::string> gender() { return std::nullopt; }
  virtual std::optional<std::string> keywords() { return std::nullopt; }
  virtual std::optional<std::string> searchString() { return std::nullopt; }

  // Default YES: browser icons are fetched and web clicks open in the
  // embedded browser.
  virtual std::optional<bool> useEmbeddedWebView() { return std::nullopt; }
  // Web clicks when `useEmbeddedWebView` says NO. Returns false when not
  // implemented; the library then hands the URL to the system.
  virtual bool presentWebView(const std::shared_ptr<const platform::Url>& /*url*/) { return false; }

  // The embedded browser's toolbars; default: the platform's style and tint.
  virtual std::optional<int> embeddedWebViewBarStyle() { return std::nullopt; }
  virtual std::optional<platform::graphics::Color> embeddedWebViewTintColor() { return std::nullopt; }

  // Modal presentations of the canvas and the embedded browser.
  virtual void willPresentModalCanvas() {}
  virtual void willPresentWebView() {}
  virtual void didDismissModalCanvas() {}
  virtual void didDismissWebView() {}

  // Not part of the published interface, but asked for like an optional
  // method: when it answers, ad requests go to this endpoint instead of the
  // ad server's request endpoint.
  virtual std::optional<std::string> adserverEndpoint() { return std::nullopt; }
};

}  // namespace pennant
