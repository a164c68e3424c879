#pragma once
// One pending yes-or-no of the engine about a navigation, held until it is
// answered. The engine waits for the answer, so it may be given later (after
// a synchronous script evaluation, for example); a decision dropped without
// an answer is a no, so nothing loads by accident.
//
// Ownership: holds a reference on the engine's decision object; movable,
// not copyable.

#include <webkit2/webkit2.h>

#include <utility>

namespace platform::web {

class WebPolicyDecision {
 public:
  explicit WebPolicyDecision(WebKitPolicyDecision* decision)
      : decision_(decision ? WEBKIT_POLICY_DECISION(g_object_ref(decision)) : nullptr) {}
  ~WebPolicyDecision() { ignore(); }
  WebPolicyDecision(WebPolicyDecision&& other) noexcept : decision_(std::exchange(other.decision_, nullptr)) {}
  WebPolicyDecision& operator=(WebPolicyDecision&& other) noexcept {
    if (this != &other) {
      ignore();
      decision_ = std::exchange(other.decision_, nullptr);
    }
    return *this;
  }
  WebPolicyDecision(const WebPolicyDecision&) = delete;
  WebPolicyDecision& operator=(const WebPolicyDecision&) = delete;

  void use() { answer(true); }
  void ignore() { answer(false); }

 private:
  void answer(bool yes) {
    if (!decision_) return;
    if (yes) {
      webkit_policy_decision_use(decision_);
    } else {
      webkit_policy_decision_ignore(decision_);
    }
    g_object_unref(std::exchange(decision_, nullptr));
  }

  WebKitPolicyDecision* decision_;
};

}  // namespace platform::web
