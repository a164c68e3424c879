#pragma once
// Who the running program is, as far as the platform needs to know: the
// names it shows and files itself under, the prefix of the environment
// variables it reads, and the salt of its device identifier. The platform
// has none of these built in; the program gives them in main, before it
// starts the application loop:
//
//   platform::AppIdentity::setCurrent({"My App", "my-app", "MY_APP_",
//                                      "my-app device identifier v1\n"});
//
// Until a program gives its own (tests, tools), the identity is made from
// the executable's file name (see fromExecutableName). Set it once at
// start-up, before other threads exist and before anything reads a path.

#include <string>
#include <string_view>

namespace platform {

struct AppIdentity {
  // What people read: the window's title, the product id of the address
  // book's files.
  std::string name;
  // One path component: the home folder's and the bundle folder's name
  // (<data home>/<fileName>, <prefix>/share/<fileName>), the preferences
  // file, the prefix of messages and of saved screenshots.
  std::string fileName;
  // Put before every environment variable the platform reads on the
  // program's behalf: "MY_APP_" makes HOME into MY_APP_HOME.
  std::string environmentPrefix;
  // Mixed into the device identifier so that it cannot be linked with other
  // programs' uses of the machine id. Changing it changes every identifier.
  std::string deviceIdentifierSalt;

  // <environmentPrefix><suffix>
  std::string environmentVariable(std::string_view suffix) const;

  // A copy of the identity in force.
  static AppIdentity current();
  static void setCurrent(AppIdentity identity);
  // The identity of a program that gave none: "my-tool" gives the name and
  // file name "my-tool", the prefix "MY_TOOL_" and a salt naming the tool.
  static AppIdentity fromExecutableName(std::string_view executableName);
};

}  // namespace platform
