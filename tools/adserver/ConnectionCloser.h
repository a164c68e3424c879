#pragma once
// Cuts the connection a request came in on, without an answer.
//
// cpp-httplib does not hand its handlers the connection's socket, so the
// socket is found among the process's open descriptors by its two ends: the
// local port the request arrived at and the client's address and port. The
// pair identifies one TCP connection, and the handler runs on the thread that
// owns that socket, so it cannot be closed or reused meanwhile. The socket is
// only shut down, never closed here: cpp-httplib still owns the descriptor,
// fails to write its answer and closes it as usual.

#include <string>

namespace pennant::adserver {

class ConnectionCloser {
 public:
  // True when a matching socket was found and shut down.
  static bool shutDownConnection(int localPort, const std::string& remoteAddress, int remotePort);
};

}  // namespace pennant::adserver
