#include "platform/media/AlsaErrorHandler.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace platform::media {

namespace {

// ALSA's handler type: where the error was raised, then a printf format.
using ErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);
using SetErrorHandler = int (*)(ErrorHandler handler);

constexpr std::size_t kMessageBytes = 256;

struct LastMessage {
  std::mutex mutex;
  char text[kMessageBytes] = {};
};

LastMessage& lastMessageStore() {
  static auto* store = new LastMessage();
  return *store;
}

// ALSA may report from SDL's audio thread as well as from the opener.
void quietHandler(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/, const char* format,
                  ...) {
  if (format == nullptr) return;
  auto& store = lastMessageStore();
  std::lock_guard lock(store.mutex);
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(store.text, sizeof store.text, format, arguments);
  va_end(arguments);
}

}  // namespace

bool AlsaErrorHandler::install() {
  static const bool installed = [] {
    // Never closed: SDL loads the same library and calls our handler.
    void* library = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) return false;
    auto set = reinterpret_cast<SetErrorHandler>(::dlsym(library, "snd_lib_error_set_handler"));
    return set != nullptr && set(&quietHandler) == 0;
  }();
  return installed;
}

std::string AlsaErrorHandler::lastMessage() {
  auto& store = lastMessageStore();
  std::lock_guard lock(store.mutex);
  return store.text;
}

}  // namespace platform::media
