#include "ads/PennantURLDownload.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sys/utsname.h>

#include "ads/PennantVersion.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/LanguageCode.h"
#include "platform/foundation/Url.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/UrlRequest.h"

namespace pennant {
namespace {

bool isTrimmedSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string trimmed(std::string_view text) {
  while (!text.empty() && isTrimmedSpace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && isTrimmedSpace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return std::string(text);
}

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

PennantURLDownload::CompletionObserver& completionObserver() {
  static PennantURLDownload::CompletionObserver observer;
  return observer;
}

double& defaultTimeout() {
  static double seconds = platform::net::UrlRequest::kDefaultTimeoutInterval;
  return seconds;
}

}  // namespace

void PennantURLDownload::setDefaultTimeoutInterval(double seconds) { defaultTimeout() = seconds; }

double PennantURLDownload::defaultTimeoutInterval() { return defaultTimeout(); }

void PennantURLDownload::setCompletionObserver(CompletionObserver observer) {
  completionObserver() = std::move(observer);
}

void PennantURLDownload::reportCompletion(int statusOrCode) const {
  if (completionObserver()) completionObserver()(targetURL_.value_or(""), statusOrCode);
}

std::shared_ptr<PennantURLDownload> PennantURLDownload::create() {
  return std::shared_ptr<PennantURLDownload>(new PennantURLDownload());
}

PennantURLDownload::~PennantURLDownload() { cancel(); }

std::string PennantURLDownload::userAgentWith(std::string_view model, std::string_view systemName,
                                              std::string_view systemVersion, std::string_view machine,
                                              std::string_view locale) {
  std::string version(systemVersion);
  std::replace(version.begin(), version.end(), '.', '_');
  std::string text = "Mozilla/5.0 (";
  text.append(model).append("; U; CPU ").append(systemName).append(" ").append(version);
  text.append(" like Mac OS X; HW ").append(machine).append("; ").append(lowercased(std::string(locale)));
  text.append(") AppleWebKit/525.18.1 (KHTML, like Gecko) (Pennant-iSDK-").append(kPennantVersion).append(")");
  return text;
}

const std::string& PennantURLDownload::userAgent() {
  static const std::string agent = [] {
    auto& device = platform::Device::currentDevice();
    // The machine field comes from uname itself, read as ASCII.
    struct utsname names {};
    std::string machine = uname(&names) == 0 ? names.machine : device.machine();
    // "AppleLocale" is always registered from the environment; should it be
    // missing or not a locale identifier (a stored preference may hold
    // anything, even a line break that would end the header), the field says
    // so instead of guessing a locale.
    auto stored = platform::UserDefaults::standardUserDefaults().stringForKey("AppleLocale");
    auto locale = stored ? platform::LanguageCode::validated(*stored, "AppleLocale") : std::nullopt;
    return userAgentWith(device.model(), device.systemName(), device.systemVersion(), machine,
                         locale.value_or("unknown"));
  }();
  return agent;
}

void PennantURLDownload::loadContentsOfURLAtString(const std::optional<std::string>& urlText) {
  // A null text cannot become a URL at all.
  if (!urlText) {
    targetURL_.reset();
    failWithCode(kErrorBadURL);
    return;
  }
  targetURL_ = trimmed(*urlText);

  // A plain GET with the library's headers.
  platform::net::UrlRequest request(*targetURL_, timeoutInterval_);
  request.setValueForHTTPHeaderField(userAgent(), "USER-AGENT");
  // The device identifier is meant for the host the library chose, never
  // for whatever host a redirect names.
  if (auto isu = platform::Device::currentDevice().uniqueIdentifier()) {
    request.setValueForOriginBoundHTTPHeaderField(*isu, "X-PENNANT-ISU");
  }

  // An earlier load of this download ends silently.
  stopConnection();

  // Text that does not parse as a URL gets no connection either.
  if (platform::Url::URLWithString(*targetURL_)) {
    activeConnection_ = platform::net::UrlConnection::connectionWithRequestDelegate(request, shared_from_this());
  }
  if (!activeConnection_) {
    failWithCode(kErrorNoConnection);
    return;
  }
  data_ = std::make_shared<std::vector<std::uint8_t>>();
  lastStatus_ = 0;
}

void PennantURLDownload::cancel() {
  stopConnection();
  data_.reset();
  delegate_.reset();
}

std::string PennantURLDownload::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  return std::string("<PennantURLDownload ") + address + " identifier:" + identifier_.value_or("(null)") +
         " url:" + targetURL_.value_or("(null)") + ">";
}

void PennantURLDownload::connectionDidReceiveResponse(platform::net::UrlConnection& connection,
                                                      const platform::net::UrlResponse& response) {
  if (!isCurrent(connection)) return;
  // A new response discards the body of the one before (a redirect). A new
  // buffer, not a cleared one, so a buffer handed out earlier never changes.
  data_ = std::make_shared<std::vector<std::uint8_t>>();
  lastStatus_ = response.statusCode();
  if (response.statusCode() >= 400) {
    stopConnection();
    failWithCode(kErrorHTTPStatus);
  }
}

void PennantURLDownload::connectionDidReceiveData(platform::net::UrlConnection& connection, std::string_view bytes) {
  if (!isCurrent(connection)) return;
  if (!data_) data_ = std::make_shared<std::vector<std::uint8_t>>();
  if (data_->size() + bytes.size() > maximumBodyLength_) {
    stopConnection();
    failWithCode(kErrorConnectionFailed);
    return;
  }
  data_->insert(data_->end(), bytes.begin(), bytes.end());
}

void PennantURLDownload::connectionDidFinishLoading(platform::net::UrlConnection& connection) {
  if (!isCurrent(connection)) return;
  activeConnection_.reset();
  reportCompletion(lastStatus_);
  notify(successSelector_);
}

void PennantURLDownload::connectionDidFailWithError(platform::net::UrlConnection& connection,
                                                    const platform::Error& /*error*/) {
  if (!isCurrent(connection)) return;
  // The platform's own error is dropped: callers only tell the four codes apart.
  activeConnection_.reset();
  failWithCode(kErrorConnectionFailed);
}

void PennantURLDownload::stopConnection() {
  if (auto connection = std::move(activeConnection_)) connection->cancel();
}

void PennantURLDownload::failWithCode(int code) {
  error_ = platform::Error{kErrorDomain, code, ""};
  reportCompletion(code == kErrorHTTPStatus ? lastStatus_ : code);
  notify(failureSelector_);
}

void PennantURLDownload::notify(const Selector& selector) {
  auto protector = shared_from_this();
  auto delegate = delegate_.lock();
  if (!delegate || !selector) return;
  // A copy: the callback may replace the selectors or cancel this download.
  Selector call = selector;
  call(protector);
}

}  // namespace pennant
