#pragma once
// The errors a web view reports to its delegate, in the platform's terms:
// the engine's own errors (GLib's I/O and resolver errors, libsoup's, TLS
// certificate problems, WebKit's network and policy errors) become the
// platform's URL-loading codes, so that whoever shows a message can choose
// it by code alone.
//
//   -999  cancelled (stopLoading, a newer load replacing this one, or the
//         engine giving the load up, e.g. when a redirect leads to a local
//         file, which this web view never loads)
//   -1000 bad URL (the text does not parse as an absolute URL)
//   -1001 timed out (the request's time-out, or the network's)
//   -1002 unsupported URL (a scheme the engine cannot load, ftp included)
//   -1003 host not found           -1004 cannot connect to host
//   -1005 connection lost          -1007 too many redirects
//   -1009 not connected (no route to any network)
//   -1017 cannot parse the response
//   -1100 file does not exist      -1103 data longer than the maximum
//   -1200 secure connection failed (the TLS handshake itself)
//   -1201 certificate expired      -1202 certificate not trusted
//                                  (self-signed, unknown authority, wrong
//                                  host name, revoked, insecure)
//   -1204 certificate not yet valid
//   -1    anything else, the engine's message in the description; also when
//         the web engine cannot run at all (no display) or its content
//         process ended during the load
// These keep WebKit's own domain and positive codes, as the platform's web
// view did: 100 cannot show the content type and 102 frame load
// interrupted (a download refused), 103 a port the engine refuses to use.

#include <gio/gio.h>

#include <string>

#include "platform/foundation/Error.h"

namespace platform::web {

class WebLoadError {
 public:
  static constexpr const char* kUrlErrorDomain = "UrlLoadingErrorDomain";
  static constexpr const char* kWebKitErrorDomain = "WebKitErrorDomain";

  static constexpr int kUnknown = -1;
  static constexpr int kCancelled = -999;
  static constexpr int kBadURL = -1000;
  static constexpr int kTimedOut = -1001;
  static constexpr int kUnsupportedURL = -1002;
  static constexpr int kCannotFindHost = -1003;
  static constexpr int kCannotConnectToHost = -1004;
  static constexpr int kNetworkConnectionLost = -1005;
  static constexpr int kHTTPTooManyRedirects = -1007;
  static constexpr int kNotConnectedToInternet = -1009;
  static constexpr int kCannotParseResponse = -1017;
  static constexpr int kFileDoesNotExist = -1100;
  static constexpr int kDataLengthExceedsMaximum = -1103;
  static constexpr int kSecureConnectionFailed = -1200;
  static constexpr int kServerCertificateHasBadDate = -1201;
  static constexpr int kServerCertificateUntrusted = -1202;
  static constexpr int kServerCertificateNotYetValid = -1204;

  static constexpr int kCannotShowMIMEType = 100;
  static constexpr int kFrameLoadInterruptedByPolicyChange = 102;
  static constexpr int kCannotUseRestrictedPort = 103;

  // An engine error while loading `url`.
  static Error fromGError(const GError& error, const std::string& url);
  // A certificate the engine would not accept, by GLib's flags.
  static Error fromCertificateFlags(GTlsCertificateFlags flags, const std::string& url);
  static Error make(int code, const std::string& description);
};

}  // namespace platform::web
