#pragma once
// Keeps the ALSA library from writing its own error lines to stderr. When
// SDL falls back to ALSA on a machine without a sound card, ALSA's default
// handler prints about eight lines of configuration errors ("cannot find
// card '0'", "Unknown PCM default") for one failed open. With this handler
// installed ALSA stays quiet and remembers its last message, so the audio
// output can say once, in one line, that sound is off and why.
//
// ALSA is reached through dlopen, as SDL reaches it: nothing is linked, and
// on a machine without libasound there is nothing to silence. The handler
// is process-wide and stays installed (SDL keeps using the same library).

#include <string>

namespace platform::media {

class AlsaErrorHandler {
 public:
  // Installs the quiet handler once; later calls do nothing. Returns whether
  // ALSA is present and the handler is in place.
  static bool install();
  // ALSA's last error message since the handler was installed, or "".
  static std::string lastMessage();
};

}  // namespace platform::media
