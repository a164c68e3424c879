#pragma once
// One asynchronous HTTP GET with the library's own headers ("USER-AGENT" and,
// when the device has an identifier, "X-PENNANT-ISU"), reporting to a delegate
// through one of two callbacks that the caller chooses. The identifier goes
// only to the origin (scheme, host, port) of the URL loaded: a redirect to
// another origin is followed without it.
//
//   auto download = PennantURLDownload::create();
//   download->setSuccessSelector(PennantURLDownload::selector(weakAd, &PennantAd::downloadDidSucceed));
//   download->setFailureSelector(PennantURLDownload::selector(weakAd, &PennantAd::downloadDidFail));
//   download->setDelegate(weakAd);          // weak: the download never keeps it alive
//   download->setIdentifier("userImage");   // optional tag
//   download->loadContentsOfURLAtString(url);
//
// Each load ends in exactly one callback, success (read `data()`) or failure
// (read `error()`), unless `cancel()` or a new load comes first. Failures
// that happen before a connection exists (codes -1 and -2) are reported
// before `loadContentsOfURLAtString` returns, so a caller must be ready for a
// callback before its own bookkeeping is done.
//
// Ownership: the caller keeps the download (the ad keeps it in its set of
// active downloads); while a connection runs, the connection also holds the
// download. The delegate is not owned: a callback whose delegate has expired
// (or was cleared by `cancel`) is skipped. The download holds itself alive
// for the duration of a callback, so the delegate may drop it from inside.
//
// A selector is bound, where it is made, to a typed weak link to its
// receiver: the compiler checks that the method belongs to the receiver's
// class, so a callback can never reach an object of another class, and a
// receiver that has gone is simply not called.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/net/UrlConnection.h"
#include "platform/net/UrlConnectionDelegate.h"

namespace pennant {

class PennantURLDownload : public platform::net::UrlConnectionDelegate,
                           public std::enable_shared_from_this<PennantURLDownload> {
 public:
  using Data = std::shared_ptr<const std::vector<std::uint8_t>>;
  // A "selector": an operation of a receiver that takes the download, bound
  // to that receiver (see selector()).
  using Selector = std::function<void(const std::shared_ptr<PennantURLDownload>& download)>;
  template <class T>
  using Method = void (T::*)(const std::shared_ptr<PennantURLDownload>&);

  static constexpr const char* kErrorDomain = "kPennantURLDownloadErrorDomain";
  static constexpr int kErrorBadURL = -1;
  static constexpr int kErrorNoConnection = -2;
  static constexpr int kErrorHTTPStatus = -3;
  static constexpr int kErrorConnectionFailed = -4;
  // A body larger than this fails the download with -4 instead of growing
  // without bound on the word of a server. Callers that know their answer
  // is smaller set a lower bound per download (setMaximumBodyLength).
  static constexpr std::size_t kMaximumBodyLength = 32u * 1024 * 1024;

  static std::shared_ptr<PennantURLDownload> create();
  ~PennantURLDownload() override;

  // Binds a member function to its receiver through a weak link of the
  // receiver's own type; a receiver that has gone is not called.
  template <class T>
  static Selector selector(std::weak_ptr<T> receiver, Method<T> method) {
    return [receiver = std::move(receiver), method](const std::shared_ptr<PennantURLDownload>& download) {
      if (auto strong = receiver.lock()) ((*strong).*method)(download);
    };
  }
  template <class T>
  static Selector selector(const std::shared_ptr<T>& receiver, Method<T> method) {
    return selector(std::weak_ptr<T>(receiver), method);
  }

  // Told of every load that ends with a callback: the URL, and the HTTP
  // status of the last response, or the download's error code when no
  // response arrived (-1, -2, -4). The app journals these.
  using CompletionObserver = std::function<void(const std::string& url, int statusOrCode)>;
  static void setCompletionObserver(CompletionObserver observer);
  // The time-out every new download starts with (60 seconds unless the
  // app was told otherwise); setTimeoutInterval still overrides it per load.
  static void setDefaultTimeoutInterval(double seconds);
  static double defaultTimeoutInterval();

  // The user agent of every download, computed once per process from the
  // device and the locale ("AppleLocale").
  static const std::string& userAgent();
  // The user agent's format, with the version's dots already replaced.
  static std::string userAgentWith(std::string_view model, std::string_view systemName,
                                   std::string_view systemVersion, std::string_view machine,
                                   std::string_view locale);

  // Starts a load of the trimmed text; std::nullopt stands for a null text.
  void loadContentsOfURLAtString(const std::optional<std::string>& urlText);
  // Stops the load silently, drops the body and the delegate.
  void cancel();

  const std::optional<std::string>& identifier() const { return identifier_; }
  void setIdentifier(std::optional<std::string> identifier) { identifier_ = std::move(identifier); }
  const std::optional<std::string>& targetURL() const { return targetURL_; }
  void setTargetURL(std::optional<std::string> url) { targetURL_ = std::move(url); }
  std::shared_ptr<void> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<void> delegate) { delegate_ = std::move(delegate); }
  void setSuccessSelector(Selector selector) { successSelector_ = std::move(selector); }
  void setFailureSelector(Selector selector) { failureSelector_ = std::move(selector); }

  // The body received so far (null after `cancel`); complete in the success
  // callback.
  Data data() const { return data_; }
  const std::optional<platform::Error>& error() const { return error_; }
  // The HTTP status of the last response of the last load (after
  // redirects, the final one); 0 when no response arrived. With error -3 it
  // tells a missing resource (404, 410) from a server in trouble (5xx).
  int httpStatusCode() const { return lastStatus_; }
  // Overrides the 60-second time-out of later loads (tests use a short one).
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }
  // Lowers the body size at which a load fails with -4 (never above
  // kMaximumBodyLength).
  void setMaximumBodyLength(std::size_t bytes) { maximumBodyLength_ = std::min(bytes, kMaximumBodyLength); }

  // "<PennantURLDownload 0x... identifier:... url:...>"
  std::string description() const;

  // Connection callbacks.
  void connectionDidReceiveResponse(platform::net::UrlConnection& connection,
                                    const platform::net::UrlResponse& response) override;
  void connectionDidReceiveData(platform::net::UrlConnection& connection, std::string_view bytes) override;
  void connectionDidFinishLoading(platform::net::UrlConnection& connection) override;
  void connectionDidFailWithError(platform::net::UrlConnection& connection, const platform::Error& error) override;

 private:
  PennantURLDownload() = default;
  bool isCurrent(const platform::net::UrlConnection& connection) const { return activeConnection_.get() == &connection; }
  void stopConnection();
  void failWithCode(int code);
  void notify(const Selector& selector);
  void reportCompletion(int statusOrCode) const;

  std::optional<std::string> identifier_;
  std::weak_ptr<void> delegate_;
  Selector successSelector_;
  Selector failureSelector_;
  std::shared_ptr<std::vector<std::uint8_t>> data_;
  std::shared_ptr<platform::net::UrlConnection> activeConnection_;
  std::optional<platform::Error> error_;
  std::optional<std::string> targetURL_;
  double timeoutInterval_ = defaultTimeoutInterval();
  std::size_t maximumBodyLength_ = kMaximumBodyLength;
  int lastStatus_ = 0;
};

}  // namespace pennant
