#pragma once
// The faults the server injects, set through POST /__faults, --faults FILE or
// directly by in-process tests. Rules are kept in the order they were added;
// a request takes the first rule whose path matches, and a rule with a count
// is used up after that many requests. Thread-safe: the server's worker
// threads consult it concurrently.
//
// JSON form of one rule (every key optional except that at most one of
// "status", "reset", "truncate", "garbage", "redirect", "flood" and "cut"
// may be given):
//   {"path": "/ad_source.php", "status": 500, "body": "{}", "delay": 2.5,
//    "reset": true, "truncate": true, "garbage": true, "cut": true,
//    "redirect": "{{base}}/elsewhere", "flood": 104857600, "after": 1, "count": 3}
// A text may hold one rule or an array of rules.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/adserver/FaultRule.h"

namespace pennant::adserver {

class FaultInjector {
 public:
  // Parses rules without installing them; nullopt with *error on any
  // mistake, so a request with one bad rule changes nothing.
  static std::optional<std::vector<FaultRule>> rulesFromJsonText(std::string_view text, std::string* error);
  // The rules as JSON, an array in the form above, with "count" the
  // remaining count.
  static std::string jsonForRules(const std::vector<FaultRule>& rules);

  void add(std::vector<FaultRule> rules);
  void clear();
  std::vector<FaultRule> rules() const;

  // The rule for a request to `path`, counting it as used; nullopt when no
  // rule applies.
  std::optional<FaultRule> takeFaultForPath(std::string_view path);

 private:
  mutable std::mutex mutex_;
  std::vector<FaultRule> rules_;
};

}  // namespace pennant::adserver
