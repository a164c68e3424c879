#include "platform/shell/ApplicationMain.h"

#include "platform/shell/AppLauncher.h"

namespace platform::shell {

int UIApplicationMain(int argc, char** argv, const char* /*principalClassName*/, const char* delegateClassName) {
  return AppLauncher::main(argc, argv, delegateClassName ? delegateClassName : "");
}

}  // namespace platform::shell
