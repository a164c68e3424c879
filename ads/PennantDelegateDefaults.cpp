#include "ads/PennantDelegateDefaults.h"

namespace pennant {

platform::graphics::Color PennantDelegateDefaults::adBackgroundColor(PennantDelegate* delegate) {
  auto answer = delegate ? delegate->adBackgroundColor() : std::nullopt;
  return answer.value_or(kDefaultBackgroundColor);
}

platform::graphics::Color PennantDelegateDefaults::adTextColor(PennantDelegate* delegate) {
  auto answer = delegate ? delegate->adTextColor() : std::nullopt;
  return answer.value_or(kDefaultTextColor);
}

bool PennantDelegateDefaults::useGraySpinner(PennantDelegate* delegate) {
  return delegate && delegate->useGraySpinner().value_or(false);
}

bool PennantDelegateDefaults::mayAskForLocation(PennantDelegate* delegate) {
  return delegate && delegate->mayAskForLocation().value_or(false);
}

bool PennantDelegateDefaults::useTestAd(PennantDelegate* delegate) {
  return delegate && delegate->useTestAd().value_or(false);
}

bool PennantDelegateDefaults::useEmbeddedWebView(PennantDelegate* delegate) {
  return !delegate || delegate->useEmbeddedWebView().value_or(true);
}

}  // namespace pennant
