#include "platform/foundation/CNumericLocale.h"

namespace platform {

namespace {

// Made once and never freed, like the C library's own "C" locale.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

CNumericLocale::CNumericLocale() {
  // Without a locale object (out of memory) the thread keeps its own.
  if (const locale_t c = cLocale()) previous_ = uselocale(c);
}

CNumericLocale::~CNumericLocale() {
  if (previous_) uselocale(previous_);
}

}  // namespace platform
