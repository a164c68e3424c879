#include "platform/web/WebLoadError.h"

#include <libsoup/soup.h>
#include <webkit2/webkit2.h>

#include <optional>

namespace platform::web {

namespace {

using E = WebLoadError;

std::optional<int> ioErrorCode(int code) {
  switch (code) {
    case G_IO_ERROR_CANCELLED:
      return E::kCancelled;
    case G_IO_ERROR_TIMED_OUT:
      return E::kTimedOut;
    case G_IO_ERROR_CONNECTION_REFUSED:
    case G_IO_ERROR_HOST_UNREACHABLE:
      return E::kCannotConnectToHost;
    case G_IO_ERROR_NETWORK_UNREACHABLE:
      return E::kNotConnectedToInternet;
    case G_IO_ERROR_CONNECTION_CLOSED:  // also a reset by the peer
    case G_IO_ERROR_PARTIAL_INPUT:      // the body ended before its length
    case G_IO_ERROR_NOT_CONNECTED:
      return E::kNetworkConnectionLost;
    case G_IO_ERROR_MESSAGE_TOO_LARGE:
      return E::kDataLengthExceedsMaximum;
    case G_IO_ERROR_NOT_FOUND:
      return E::kFileDoesNotExist;
    default:
      return std::nullopt;
  }
}

std::optional<int> soupErrorCode(int code) {
  switch (code) {
    case SOUP_SESSION_ERROR_PARSING:
    case SOUP_SESSION_ERROR_ENCODING:
      return E::kCannotParseResponse;
    case SOUP_SESSION_ERROR_TOO_MANY_REDIRECTS:
    case SOUP_SESSION_ERROR_TOO_MANY_RESTARTS:
      return E::kHTTPTooManyRedirects;
    case SOUP_SESSION_ERROR_REDIRECT_NO_LOCATION:
    case SOUP_SESSION_ERROR_REDIRECT_BAD_URI:
      return E::kBadURL;
    default:
      return std::nullopt;
  }
}

std::optional<int> webKitNetworkErrorCode(int code) {
  switch (code) {
    case WEBKIT_NETWORK_ERROR_CANCELLED:
      return E::kCancelled;
    case WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL:
      return E::kUnsupportedURL;
    case WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST:
      return E::kFileDoesNotExist;
    case WEBKIT_NETWORK_ERROR_TRANSPORT:
      return E::kNetworkConnectionLost;
    default:
      return std::nullopt;
  }
}

bool isWebScheme(const std::string& url) {
  for (const char* scheme : {"http:", "https:", "about:", "data:", "blob:"}) {
    if (url.rfind(scheme, 0) == 0) return true;
  }
  return false;
}

}  // namespace

Error WebLoadError::make(int code, const std::string& description) {
  return Error{code > 0 ? kWebKitErrorDomain : kUrlErrorDomain, code, description};
}

Error WebLoadError::fromGError(const GError& error, const std::string& url) {
  const std::string message = error.message ? error.message : "";
  std::optional<int> code;
  if (error.domain == G_IO_ERROR) {
    code = ioErrorCode(error.code);
  } else if (error.domain == G_RESOLVER_ERROR) {
    code = kCannotFindHost;
  } else if (error.domain == G_TLS_ERROR) {
    code = kSecureConnectionFailed;
  } else if (error.domain == SOUP_SESSION_ERROR) {
    code = soupErrorCode(error.code);
  } else if (error.domain == WEBKIT_NETWORK_ERROR) {
    code = webKitNetworkErrorCode(error.code);
  } else if (error.domain == WEBKIT_POLICY_ERROR) {
    switch (error.code) {
      case WEBKIT_POLICY_ERROR_CANNOT_SHOW_URI:
        code = kUnsupportedURL;  // no handler for that scheme
        break;
      case WEBKIT_POLICY_ERROR_CANNOT_SHOW_MIME_TYPE:
      case WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE:
      case WEBKIT_POLICY_ERROR_CANNOT_USE_RESTRICTED_PORT:
        code = error.code;
        break;
      default:
        break;
    }
  }
  // Whatever the engine calls the failure of a scheme it cannot load (ftp
  // has an error of its own), to the user it is an unsupported URL.
  if (!code && !isWebScheme(url)) code = kUnsupportedURL;
  return make(code.value_or(kUnknown), message);
}

Error WebLoadError::fromCertificateFlags(GTlsCertificateFlags flags, const std::string& url) {
  // A date problem is the more specific message; everything else means the
  // certificate cannot be trusted for this host.
  if (flags & G_TLS_CERTIFICATE_EXPIRED) return make(kServerCertificateHasBadDate, "The certificate has expired: " + url);
  if (flags & G_TLS_CERTIFICATE_NOT_ACTIVATED) {
    return make(kServerCertificateNotYetValid, "The certificate is not yet valid: " + url);
  }
  return make(kServerCertificateUntrusted, "The certificate is not trusted: " + url);
}

}  // namespace platform::web
