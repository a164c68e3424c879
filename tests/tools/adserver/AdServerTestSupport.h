#pragma once
// Shared helpers of the ad server tests: a server running in-process on an
// ephemeral port, temporary inventory folders, and a raw HTTP client that
// shows exactly what came over the wire (needed to see resets and
// truncations, which a full HTTP client reports only as an error).

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "tools/adserver/AdServer.h"

namespace adservertest {

inline std::filesystem::path sourceDir() {
  const char* dir = std::getenv("PENNANT_SOURCE_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path(".");
}

inline std::filesystem::path sampleInventory() { return sourceDir() / "tools" / "adserver" / "inventory"; }

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("adserver-test-" + std::to_string(seed()) + std::to_string(::getpid()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Starts a server on the given inventory, failing the test if it cannot.
inline std::unique_ptr<pennant::adserver::AdServer> startServer(pennant::adserver::AdServer::Configuration configuration) {
  std::string error;
  auto server = pennant::adserver::AdServer::create(std::move(configuration), &error);
  EXPECT_NE(server, nullptr) << error;
  if (server) server->start();
  return server;
}

inline std::unique_ptr<pennant::adserver::AdServer> startSampleServer(const std::string& logFile = {}) {
  pennant::adserver::AdServer::Configuration configuration;
  configuration.inventoryDirectory = sampleInventory();
  configuration.logFile = logFile;
  return startServer(std::move(configuration));
}

struct RawReply {
  std::string bytes;       // everything received before the connection ended
  bool timedOut = false;   // nothing ended the connection within the wait
};

// Sends one GET with "Connection: close" and reads until the server ends the
// connection (orderly or by reset).
inline RawReply rawGet(int port, const std::string& target, int timeoutSeconds = 10) {
  RawReply reply;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{timeoutSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    ADD_FAILURE() << "cannot connect to port " << port;
    return reply;
  }
  const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
    if (n > 0) {
      reply.bytes.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) reply.timedOut = true;
    break;
  }
  ::close(fd);
  return reply;
}

// The body of a raw reply (after the blank line), and its Content-Length.
inline std::string rawBody(const std::string& bytes) {
  const auto end = bytes.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : bytes.substr(end + 4);
}

inline long rawContentLength(const std::string& bytes) {
  const auto at = bytes.find("Content-Length: ");
  return at == std::string::npos ? -1 : std::stol(bytes.substr(at + 16));
}

}  // namespace adservertest
