#pragma once
// Makes the calling thread read and write numbers the C way, with a point
// before the decimals, for as long as the object lives, whatever locale the
// process runs under. For C libraries that parse or print numbers with the C
// library's locale-dependent functions: libplist reads <real> with strtod,
// so under a decimal-comma locale (the window's, set by GTK from the
// environment) a stored 0.75 would come back as 0.
//
//   { CNumericLocale cNumbers; plist_from_xml(...); }
//
// The switch is per thread (uselocale): other threads keep their locale.

#include <locale.h>

namespace platform {

class CNumericLocale {
 public:
  CNumericLocale();
  ~CNumericLocale();
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  locale_t previous_ = nullptr;
};

}  // namespace platform
