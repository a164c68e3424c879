#include "tools/adserver/AdServer.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <httplib.h>

#include <csignal>

#include "json/CanonicalWriter.h"
#include "tools/adserver/AdRoutes.h"
#include "tools/adserver/ConnectionCloser.h"
#include "tools/adserver/RequestLog.h"

namespace pennant::adserver {

namespace {

constexpr const char* kControlPath = "/__faults";
constexpr int kRedirectStatus = 302;

// Names cpp-httplib adds to a request's headers itself; they were not sent.
bool isPseudoHeader(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

const char* faultName(FaultRule::Kind kind) {
  switch (kind) {
    case FaultRule::Kind::None: return "delay";
    case FaultRule::Kind::Status: return "status";
    case FaultRule::Kind::Reset: return "reset";
    case FaultRule::Kind::Truncate: return "truncate";
    case FaultRule::Kind::Garbage: return "garbage";
    case FaultRule::Kind::Redirect: return "redirect";
    case FaultRule::Kind::Flood: return "flood";
    case FaultRule::Kind::Cut: return "cut";
  }
  return "";
}

}  // namespace

AdServer::AdServer() : http_(std::make_unique<httplib::Server>()), startTime_(std::chrono::steady_clock::now()) {}

AdServer::~AdServer() { stop(); }

bool AdServer::isLoopbackHost(const std::string& host) {
  if (host == "localhost" || host == "::1") return true;
  in_addr address{};
  return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

std::unique_ptr<AdServer> AdServer::create(Configuration configuration, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  if (!isLoopbackHost(configuration.host)) {
    *error = configuration.host + ": the ad server listens on loopback addresses only";
    return nullptr;
  }
  if (configuration.port < 0 || configuration.port > 65535) {
    *error = "the port must be from 0 to 65535";
    return nullptr;
  }
  auto inventory = Inventory::loadFromDirectory(configuration.inventoryDirectory, error);
  if (!inventory) return nullptr;
  if (configuration.onlyAction && inventory->liveAds(configuration.onlyAction).empty()) {
    if (error) *error = "no live ad of the inventory has the action \"" + *configuration.onlyAction + "\"";
    return nullptr;
  }
  auto staticContent = StaticContent::fromInventory(*inventory, error);
  if (!staticContent) return nullptr;

  std::signal(SIGPIPE, SIG_IGN);
  std::unique_ptr<AdServer> server(new AdServer());
  if (!configuration.logFile.empty()) {
    server->log_ = RequestLog::openFile(configuration.logFile, error);
    if (!server->log_) return nullptr;
  }
  const std::string host = configuration.host == "localhost" ? "127.0.0.1" : configuration.host;
  // cpp-httplib's default options add SO_REUSEPORT, which lets a second
  // server bind a port that is already serving and silently share its
  // requests. Only SO_REUSEADDR is kept, so a busy port is an error while a
  // quick restart still works.
  server->http_->set_socket_options([](int socket) {
    int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  });
  // Answers go out as headers and body in two writes; without this the body
  // of a short answer waits for the client's delayed acknowledgement (about
  // 40 ms) on every kept-alive connection.
  server->http_->set_tcp_nodelay(true);
  if (configuration.port == 0) {
    server->port_ = server->http_->bind_to_any_port(host);
  } else if (server->http_->bind_to_port(host, configuration.port)) {
    server->port_ = configuration.port;
  } else {
    server->port_ = -1;
  }
  if (server->port_ <= 0) {
    *error = "cannot listen on " + host + " port " + std::to_string(configuration.port);
    return nullptr;
  }
  const bool v6 = host.find(':') != std::string::npos;
  server->baseUrl_ = "http://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(server->port_);
  server->routes_ = std::make_unique<AdRoutes>(inventory, std::move(*staticContent), server->baseUrl_,
                                               configuration.onlyAction);
  server->faults_.add(std::move(configuration.faults));

  AdServer* self = server.get();
  auto handler = [self](const httplib::Request& request, httplib::Response& response) {
    self->handle(request, response);
  };
  server->http_->Get(".*", handler).Post(".*", handler).Put(".*", handler).Delete(".*", handler);
  server->http_->Patch(".*", handler).Options(".*", handler);
  server->http_->set_payload_max_length(1 << 16);
  return server;
}

void AdServer::start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] {
    http_->listen_after_bind();
    listenReturned_ = true;
  });
}

void AdServer::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wakeUp_.notify_all();
  if (!thread_.joinable()) return;
  // cpp-httplib's stop() only acts once the accept loop runs; a stop right
  // after start() must wait for that, or the loop would never end.
  while (!http_->is_running() && !listenReturned_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  http_->stop();
  thread_.join();
}

void AdServer::delay(double seconds) {
  std::unique_lock lock(mutex_);
  wakeUp_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return stopping_; });
}

std::string AdServer::garbage(std::size_t length) {
  std::lock_guard lock(mutex_);
  std::string bytes(length, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random_() & 0xFF);
  return bytes;
}

void AdServer::handle(const httplib::Request& request, httplib::Response& response) {
  if (request.path == kControlPath) {
    handleControl(request, response);
    return;
  }
  RequestLog::Entry entry;
  entry.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime_).count();
  entry.method = request.method;
  entry.path = request.path;
  const QueryString query = QueryString::parse(QueryString::queryOfTarget(request.target));
  entry.query = query.pairs();
  for (const auto& [name, value] : request.headers) {
    if (!isPseudoHeader(name)) entry.headers.emplace_back(name, value);
  }

  Answer answer = routes_->answer(request.method, request.path, query);
  const auto fault = faults_.takeFaultForPath(request.path);
  if (fault) {
    entry.fault = faultName(fault->kind);
    if (fault->delaySeconds > 0) delay(fault->delaySeconds);
    switch (fault->kind) {
      case FaultRule::Kind::None: break;
      case FaultRule::Kind::Status: answer = Answer{fault->status, fault->body, "application/json"}; break;
      case FaultRule::Kind::Garbage: answer.body = garbage(512); break;
      case FaultRule::Kind::Cut: answer.body.resize(answer.body.size() / 2); break;
      case FaultRule::Kind::Redirect: answer = Answer{kRedirectStatus, "", "text/plain; charset=utf-8"}; break;
      case FaultRule::Kind::Reset:
      case FaultRule::Kind::Truncate:
      case FaultRule::Kind::Flood: break;
    }
  }
  if (!fault || fault->kind != FaultRule::Kind::Reset) entry.status = answer.status;
  if (log_) log_->write(entry);

  if (fault && fault->kind == FaultRule::Kind::Reset) {
    ConnectionCloser::shutDownConnection(request.local_port, request.remote_addr, request.remote_port);
    response.status = 500;
    return;
  }
  response.status = answer.status;
  if (fault && fault->kind == FaultRule::Kind::Redirect) {
    response.set_header("Location", expandedBase(fault->location));
    return;
  }
  if (fault && fault->kind == FaultRule::Kind::Flood) {
    streamFiller(response, static_cast<std::size_t>(fault->floodBytes), answer.contentType);
    return;
  }
  if (fault && fault->kind == FaultRule::Kind::Truncate) {
    // Announce the whole body, send half of it, then fail the provider so
    // cpp-httplib drops the connection mid-body.
    auto body = std::make_shared<std::string>(std::move(answer.body));
    const std::size_t announced = body->empty() ? 64 : body->size();
    const std::size_t sent = body->size() / 2;
    response.set_content_provider(announced, answer.contentType,
                                  [body, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                    if (offset >= sent) return false;
                                    sink.write(body->data() + offset, sent - offset);
                                    return true;
                                  });
    return;
  }
  response.set_content(answer.body, answer.contentType);
}

std::string AdServer::expandedBase(std::string text) const {
  static constexpr std::string_view kBase = "{{base}}";
  for (auto at = text.find(kBase); at != std::string::npos; at = text.find(kBase, at + baseUrl_.size())) {
    text.replace(at, kBase.size(), baseUrl_);
  }
  return text;
}

void AdServer::streamFiller(httplib::Response& response, std::size_t length, const std::string& contentType) {
  // One chunk of filler is written over and over, so a body of any size
  // costs the server one chunk of memory; a client that gives up ends the
  // stream at its next write.
  auto chunk = std::make_shared<std::string>(kFloodChunkBytes, 'x');
  response.set_content_provider(length, contentType,
                                [chunk, length](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                  const std::size_t part = std::min(chunk->size(), length - offset);
                                  return sink.write(chunk->data(), part);
                                });
}

void AdServer::handleControl(const httplib::Request& request, httplib::Response& response) {
  if (request.method == "GET") {
    response.set_content(FaultInjector::jsonForRules(faults_.rules()), "application/json");
  } else if (request.method == "DELETE") {
    faults_.clear();
    response.set_content("{}", "application/json");
  } else if (request.method == "POST") {
    std::string error;
    auto rules = FaultInjector::rulesFromJsonText(request.body, &error);
    if (!rules) {
      std::string body = "{\"error\":";
      json::CanonicalWriter::appendString(body, error);
      response.status = 400;
      response.set_content(body + "}", "application/json");
      return;
    }
    const std::size_t added = rules->size();
    faults_.add(std::move(*rules));
    response.set_content("{\"added\":" + std::to_string(added) + "}", "application/json");
  } else {
    response.status = 405;
    response.set_content("GET, POST or DELETE\n", "text/plain; charset=utf-8");
  }
}

}  // namespace pennant::adserver
