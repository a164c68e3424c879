#include "platform/net/UrlConnection.h"

#include <algorithm>
#include <charconv>

#include "platform/net/CurlMultiDriver.h"

namespace platform::net {

namespace {

constexpr int kMaximumRedirects = 16;

bool isFollowedRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Only http and https: anything else (file, ftp, ...) has no business in an
// ad download and must not be reachable through a server's redirect either.
bool hasWebScheme(const std::string& url) {
  CURLU* parsed = curl_url();
  if (!parsed) return false;
  bool ok = false;
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    char* scheme = nullptr;
    if (curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
      std::string_view s(scheme);
      ok = s == "http" || s == "https";
      curl_free(scheme);
    }
  }
  curl_url_cleanup(parsed);
  return ok;
}

}  // namespace

std::shared_ptr<UrlConnection> UrlConnection::connectionWithRequestDelegate(
    const UrlRequest& request, std::shared_ptr<UrlConnectionDelegate> delegate, RunLoop& loop) {
  // One parse tells the origin and, when there is one, that the scheme is
  // http or https; only a URL without an origin needs the scheme checked.
  auto origin = UrlOrigin::ofURL(request.url());
  if (!origin && !hasWebScheme(request.url())) return nullptr;
  auto driver = CurlMultiDriver::forRunLoop(loop);
  if (!driver) return nullptr;
  auto connection = std::make_shared<UrlConnection>(Private{}, request, std::move(delegate));
  connection->driver_ = driver;
  connection->origin_ = std::move(origin);
  if (!connection->configure()) return nullptr;
  if (!driver->start(connection, connection->easy_)) return nullptr;
  connection->loading_ = true;
  connection->selfWhileLoading_ = connection;
  connection->inFlight_ = loop.beginWorkInFlight();
  return connection;
}

UrlConnection::UrlConnection(Private, UrlRequest request, std::shared_ptr<UrlConnectionDelegate> delegate)
    : request_(std::move(request)), delegate_(std::move(delegate)) {}

UrlConnection::~UrlConnection() {
  if (driver_ && easy_) driver_->stop(easy_);
  if (easy_) curl_easy_cleanup(easy_);
  curl_slist_free_all(headers_);
}

bool UrlConnection::configure() {
  easy_ = curl_easy_init();
  if (!easy_) return false;
  started_ = std::chrono::steady_clock::now();
  bool ok = true;
  auto set = [&](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L));
  // Redirects are ours to follow: curl would carry every header to
  // whatever host a server names.
  set(curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L));
  set(curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_));
  set(curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &UrlConnection::writeCallback));
  set(curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this));
  set(curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &UrlConnection::headerCallback));
  set(curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this));
  return ok && configureHop(request_.url(), origin_);
}

bool UrlConnection::configureHop(const std::string& url, const std::optional<UrlOrigin>& hopOrigin) {
  const bool sameOrigin = origin_ && hopOrigin == origin_;
  curl_slist* headers = nullptr;
  for (const auto& [name, value] : request_.allHTTPHeaderFields()) {
    if (!sameOrigin && request_.isOriginBoundHTTPHeaderField(name)) continue;
    // "Name;" is how curl is told to send a header with an empty value.
    const std::string line = value.empty() ? name + ";" : name + ": " + value;
    curl_slist* extended = curl_slist_append(headers, line.c_str());
    if (!extended) {
      curl_slist_free_all(headers);
      return false;
    }
    headers = extended;
  }
  bool ok = true;
  auto set = [&](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(curl_easy_setopt(easy_, CURLOPT_URL, url.c_str()));
  set(curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers));
  // The list of the previous hop is no longer referred to.
  curl_slist_free_all(headers_);
  headers_ = headers;
  if (request_.timeoutInterval() > 0) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double left = request_.timeoutInterval() - elapsed;
    set(curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, std::max(1L, static_cast<long>(left * 1000.0 + 0.5))));
  }
  return ok;
}

std::optional<std::string> UrlConnection::redirectTarget() const {
  long status = 0;
  char* target = nullptr;
  if (curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || !isFollowedRedirect(status) ||
      curl_easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &target) != CURLE_OK || target == nullptr) {
    return std::nullopt;
  }
  return std::string(target);
}

bool UrlConnection::followRedirect(const std::string& target) {
  errorBuffer_[0] = '\0';
  if (++redirects_ > kMaximumRedirects) {
    result_ = CURLE_TOO_MANY_REDIRECTS;
    return false;
  }
  const auto targetOrigin = UrlOrigin::ofURL(target);
  if (!targetOrigin && !hasWebScheme(target)) {
    result_ = CURLE_UNSUPPORTED_PROTOCOL;
    return false;
  }
  if (request_.timeoutInterval() > 0 &&
      std::chrono::steady_clock::now() - started_ >= std::chrono::duration<double>(request_.timeoutInterval())) {
    result_ = CURLE_OPERATION_TIMEDOUT;
    return false;
  }
  driver_->stop(easy_);
  if (!configureHop(target, targetOrigin) || !driver_->start(shared_from_this(), easy_)) {
    result_ = CURLE_FAILED_INIT;
    return false;
  }
  finished_ = false;
  return true;
}

size_t UrlConnection::writeCallback(char* data, size_t size, size_t count, void* self) {
  auto* connection = static_cast<UrlConnection*>(self);
  const size_t length = size * count;
  if (connection->droppingBody_) return length;
  auto& pending = connection->pending_;
  if (pending.empty() || pending.back().response) pending.push_back(Event{});
  pending.back().bytes.append(data, length);
  return length;
}

size_t UrlConnection::headerCallback(char* data, size_t size, size_t count, void* self) {
  static_cast<UrlConnection*>(self)->headerLine(std::string_view(data, size * count));
  return size * count;
}

void UrlConnection::headerLine(std::string_view line) {
  if (line.starts_with("HTTP/")) {
    // "HTTP/1.1 302 Found" or "HTTP/2 200": the code follows the first space.
    int status = 0;
    const auto space = line.find(' ');
    if (space != std::string_view::npos) {
      const auto digits = line.substr(space + 1);
      std::from_chars(digits.data(), digits.data() + digits.size(), status);
    }
    incoming_ = UrlResponse(status, request_.url());
    droppingBody_ = false;
    return;
  }
  if (!incoming_) return;  // trailers after a chunked body
  const std::string_view text = trimmed(line);
  if (text.empty()) {
    // 1xx answers are interim; the real response is still to come.
    if (incoming_->statusCode() >= 200) {
      char* effective = nullptr;
      if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
        incoming_->setUrl(effective);
      }
      droppingBody_ = isFollowedRedirect(incoming_->statusCode()) &&
                      !incoming_->valueForHTTPHeaderField("Location").empty();
      pending_.push_back(Event{std::move(incoming_), {}});
    }
    incoming_.reset();
    return;
  }
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return;
  incoming_->addHeaderField(std::string(trimmed(text.substr(0, colon))),
                            std::string(trimmed(text.substr(colon + 1))));
}

void UrlConnection::deliverPending() {
  auto protector = shared_from_this();
  while (loading_ && !pending_.empty()) {
    Event event = std::move(pending_.front());
    pending_.pop_front();
    auto delegate = delegate_;
    if (!delegate) continue;
    if (event.response) {
      delegate->connectionDidReceiveResponse(*this, *event.response);
    } else {
      delegate->connectionDidReceiveData(*this, event.bytes);
    }
  }
  if (!loading_ || !finished_) return;
  if (result_ == CURLE_OK) {
    if (auto target = redirectTarget(); target && followRedirect(*target)) return;
  }
  auto delegate = delegate_;
  const CURLcode result = result_;
  // Hand the socket back to the shared cache before the client hears of
  // the end, so a load it starts from the callback can reuse it.
  stopLoading();
  if (!delegate) return;
  if (result == CURLE_OK) {
    delegate->connectionDidFinishLoading(*this);
  } else {
    delegate->connectionDidFailWithError(*this, errorForResult(result));
  }
}

void UrlConnection::cancel() {
  auto protector = weak_from_this().lock();
  if (!loading_) return;
  stopLoading();
}

void UrlConnection::stopLoading() {
  loading_ = false;
  pending_.clear();
  incoming_.reset();
  if (driver_ && easy_) driver_->stop(easy_);
  delegate_.reset();
  inFlight_.reset();
  selfWhileLoading_.reset();
}

Error UrlConnection::errorForResult(CURLcode result) const {
  int code = -1;
  switch (result) {
    case CURLE_OPERATION_TIMEDOUT: code = -1001; break;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: code = -1002; break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: code = -1003; break;
    case CURLE_COULDNT_CONNECT: code = -1004; break;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE: code = -1005; break;
    case CURLE_TOO_MANY_REDIRECTS: code = -1007; break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE: code = -1200; break;
    default: break;
  }
  std::string description = errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(result);
  return Error{kErrorDomain, code, description};
}

}  // namespace platform::net
