#pragma once
// What a UrlConnection reports, on the run loop's thread, in this order:
// connectionDidReceiveResponse for every response (after a redirect the
// next response follows, and whatever the client kept of the earlier body
// should be discarded), connectionDidReceiveData for each piece of the body,
// then exactly one of connectionDidFinishLoading or connectionDidFailWithError
// (unless the connection is cancelled first; after cancel() nothing is
// reported). The connection holds a strong reference to its delegate while
// it loads, and drops it when it finishes, fails or is cancelled.

#include <string_view>

#include "platform/foundation/Error.h"
#include "platform/net/UrlResponse.h"

namespace platform::net {

class UrlConnection;

class UrlConnectionDelegate {
 public:
  virtual ~UrlConnectionDelegate() = default;

  virtual void connectionDidReceiveResponse(UrlConnection& connection, const UrlResponse& response) = 0;
  virtual void connectionDidReceiveData(UrlConnection& connection, std::string_view bytes) = 0;
  virtual void connectionDidFinishLoading(UrlConnection& connection) = 0;
  virtual void connectionDidFailWithError(UrlConnection& connection, const Error& error) = 0;
};

}  // namespace platform::net
