#include "platform/net/CurlMultiDriver.h"

#include <vector>

#include "platform/net/UrlConnection.h"

namespace platform::net {

namespace {

constexpr const char* kAttachmentKey = "platform.net.CurlMultiDriver";

// What the run loop keeps: when the loop destroys it, the engine stops every
// transfer, so no connection stays alive waiting for a loop that is gone.
struct DriverHolder {
  std::shared_ptr<CurlMultiDriver> driver;
  ~DriverHolder() { driver->shutDown(); }
};

bool initializeCurlOnce() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

}  // namespace

std::shared_ptr<CurlMultiDriver> CurlMultiDriver::forRunLoop(RunLoop& loop) {
  if (auto holder = std::static_pointer_cast<DriverHolder>(loop.attachment(kAttachmentKey))) {
    return holder->driver;
  }
  if (!initializeCurlOnce()) return nullptr;
  auto driver = std::make_shared<CurlMultiDriver>(loop);
  if (!driver->multi_) return nullptr;
  loop.setAttachment(kAttachmentKey, std::make_shared<DriverHolder>(DriverHolder{driver}));
  return driver;
}

CurlMultiDriver::CurlMultiDriver(RunLoop& loop) : loop_(&loop), loopLifetime_(loop.lifetime()) {
  multi_ = curl_multi_init();
  if (!multi_) return;
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlMultiDriver::socketCallback);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlMultiDriver::timerCallback);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
}

CurlMultiDriver::~CurlMultiDriver() {
  shutDown();
  // Cleaning up closes the cached connections, which reports their sockets
  // as removed; the watches are ours to drop afterwards.
  if (multi_) curl_multi_cleanup(multi_);
  if (loopAlive()) {
    for (const auto& [socket, watch] : watches_) loop_->removeFdWatch(watch);
    if (timer_ != 0) loop_->cancelPerform(timer_);
  }
}

bool CurlMultiDriver::start(const std::shared_ptr<UrlConnection>& connection, CURL* easy) {
  if (!loopAlive()) return false;
  if (curl_multi_add_handle(multi_, easy) != CURLM_OK) return false;
  transfers_[easy] = connection;
  return true;
}

void CurlMultiDriver::stop(CURL* easy) {
  if (transfers_.erase(easy) == 0) return;
  curl_multi_remove_handle(multi_, easy);
}

void CurlMultiDriver::shutDown() {
  std::vector<std::shared_ptr<UrlConnection>> connections;
  for (const auto& [easy, weak] : transfers_) {
    if (auto connection = weak.lock()) connections.push_back(connection);
  }
  for (const auto& connection : connections) connection->cancel();
}

int CurlMultiDriver::socketCallback(CURL*, curl_socket_t socket, int what, void* self, void*) {
  auto* driver = static_cast<CurlMultiDriver*>(self);
  if (!driver->loopAlive()) return 0;
  RunLoop& loop = *driver->loop_;
  auto found = driver->watches_.find(socket);
  if (what == CURL_POLL_REMOVE) {
    if (found != driver->watches_.end()) {
      loop.removeFdWatch(found->second);
      driver->watches_.erase(found);
    }
    return 0;
  }
  unsigned events = 0;
  if (what == CURL_POLL_IN || what == CURL_POLL_INOUT) events |= RunLoop::kReadable;
  if (what == CURL_POLL_OUT || what == CURL_POLL_INOUT) events |= RunLoop::kWritable;
  if (found != driver->watches_.end()) {
    loop.setFdWatchEvents(found->second, events);
    return 0;
  }
  std::weak_ptr<CurlMultiDriver> weak = driver->weak_from_this();
  driver->watches_[socket] = loop.addFdWatch(socket, events, [weak](int fd, unsigned ready) {
    if (auto strong = weak.lock()) strong->onSocket(fd, ready);
  });
  return 0;
}

int CurlMultiDriver::timerCallback(CURLM*, long timeoutMs, void* self) {
  auto* driver = static_cast<CurlMultiDriver*>(self);
  if (!driver->loopAlive()) return 0;
  if (driver->timer_ != 0) driver->loop_->cancelPerform(driver->timer_);
  driver->timer_ = 0;
  if (timeoutMs < 0) return 0;
  // curl's deadlines are in real time, also when the app's clock is
  // simulated; and we must not call back into curl from inside curl.
  std::weak_ptr<CurlMultiDriver> weak = driver->weak_from_this();
  driver->timer_ = driver->loop_->performAfterRealDelay(static_cast<double>(timeoutMs) / 1000.0, [weak] {
    if (auto strong = weak.lock()) strong->onTimeout();
  });
  return 0;
}

void CurlMultiDriver::onSocket(curl_socket_t socket, unsigned events) {
  int flags = 0;
  if (events & RunLoop::kReadable) flags |= CURL_CSELECT_IN;
  if (events & RunLoop::kWritable) flags |= CURL_CSELECT_OUT;
  if (events & RunLoop::kError) flags |= CURL_CSELECT_ERR;
  int running = 0;
  curl_multi_socket_action(multi_, socket, flags, &running);
  afterAction();
}

void CurlMultiDriver::onTimeout() {
  timer_ = 0;
  int running = 0;
  curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
  afterAction();
}

void CurlMultiDriver::afterAction() {
  auto protector = shared_from_this();
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    auto found = transfers_.find(message->easy_handle);
    if (found == transfers_.end()) continue;
    if (auto connection = found->second.lock()) connection->finishedWithResult(message->data.result);
  }
  // Delegates run outside curl: they may cancel, start loads and drop
  // connections, which changes transfers_, hence the snapshot.
  std::vector<std::shared_ptr<UrlConnection>> connections;
  for (const auto& [easy, weak] : transfers_) {
    if (auto connection = weak.lock()) connections.push_back(connection);
  }
  for (const auto& connection : connections) connection->deliverPending();
}

}  // namespace platform::net
