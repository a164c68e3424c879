#pragma once
// The library's version: sent in the request parameters and the user agent,
// and the last component of the localization cache's path.

namespace pennant {

inline constexpr const char* kPennantVersion = "20090402";

}  // namespace pennant
