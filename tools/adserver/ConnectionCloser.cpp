#include "tools/adserver/ConnectionCloser.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace pennant::adserver {

namespace {

// The port and the printable address of one end of a socket, or false.
bool endpoint(int fd, bool peer, std::string& address, int& port) {
  sockaddr_storage storage{};
  socklen_t length = sizeof(storage);
  auto* raw = reinterpret_cast<sockaddr*>(&storage);
  if ((peer ? getpeername(fd, raw, &length) : getsockname(fd, raw, &length)) != 0) return false;
  char text[INET6_ADDRSTRLEN] = {};
  if (storage.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&storage);
    inet_ntop(AF_INET, &in->sin_addr, text, sizeof(text));
    port = ntohs(in->sin_port);
  } else if (storage.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&storage);
    inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof(text));
    port = ntohs(in6->sin6_port);
  } else {
    return false;
  }
  address = text;
  return true;
}

std::vector<int> openDescriptors() {
  std::vector<int> fds;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return fds;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    fds.push_back(std::atoi(entry->d_name));
  }
  closedir(dir);
  return fds;
}

}  // namespace

bool ConnectionCloser::shutDownConnection(int localPort, const std::string& remoteAddress, int remotePort) {
  for (int fd : openDescriptors()) {
    std::string localAddress;
    std::string peerAddress;
    int local = -1;
    int peer = -1;
    if (!endpoint(fd, false, localAddress, local) || local != localPort) continue;
    if (!endpoint(fd, true, peerAddress, peer) || peer != remotePort || peerAddress != remoteAddress) continue;
    // A zero linger time turns the close into a reset, which is what a client
    // sees when a server process dies mid-request.
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
    shutdown(fd, SHUT_RDWR);
    return true;
  }
  return false;
}

}  // namespace pennant::adserver
