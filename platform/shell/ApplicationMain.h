#pragma once
// The application main call as the platform spells it: runs the app with the
// delegate class registered under `delegateClassName` (see
// ApplicationDelegateRegistry) and returns the process's exit status. The
// principal class is always the platform's own application class; a name
// given for it is ignored.

namespace platform::shell {

int UIApplicationMain(int argc, char** argv, const char* principalClassName, const char* delegateClassName);

}  // namespace platform::shell
