#pragma once
// The ad library's part of a program's start-up: the options a user sets
// for the library on the command line, and the journal of its downloads.
//
//   int main(int argc, char** argv) {
//     platform::AppIdentity::setCurrent({...});
//     pennant::PennantLaunchOptions::registerWithLauncher();
//     return platform::shell::UIApplicationMain(argc, argv, nullptr, "MyAppDelegate");
//   }
//
// The flags are --request-host URL, --media-host URL and --download-timeout
// SECONDS, read also from the environment variables REQUEST_HOST,
// MEDIA_HOST and DOWNLOAD_TIMEOUT after the app's prefix
// (VORLA_REQUEST_HOST for the app). Without them the library asks the
// bundled development server on its default port, which --help says.

#include <optional>
#include <string>

namespace pennant {

class PennantLaunchOptions {
 public:
  // Adds the flags and the --help notes to the launcher, and records every
  // download of the library in the current event journal as
  // "http" {url, status}: the final HTTP status, or the download's error
  // code when no response came; each step of a browser or canvas
  // presentation as "modal" {event, kind, and outcome for a dismissal
  // request}; each request of the embedded browser as "link-rule" {url,
  // decision}. Registering again changes nothing.
  static void registerWithLauncher();

  // Why a value cannot be an ad server host (an http or https address with
  // a host name), or "" when it can.
  static std::string hostAddressError(const std::string& value);

  // --download-timeout: the seconds every download of the library may take
  // (redirects included), for runs against servers made slow on purpose;
  // nullopt unless the text is a number within these bounds.
  static constexpr double kShortestDownloadTimeout = 0.1;
  static constexpr double kLongestDownloadTimeout = 600;
  static std::optional<double> downloadTimeoutFromText(const std::string& value);
};

}  // namespace pennant
