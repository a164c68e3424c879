#include "tools/adserver/FaultInjector.h"

#include <cmath>

#include "json/CanonicalWriter.h"
#include "json/JSONDeserializer.h"

namespace pennant::adserver {

namespace {

// A 100 MB body is the point of a flood; more than a few GB only ties the
// server up.
constexpr double kMaximumFloodBytes = 4.0 * 1024 * 1024 * 1024;

const std::string kKindKeys = R"("status", "reset", "truncate", "garbage", "redirect", "flood" and "cut")";

bool fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

// A "true" switch; false and absent both mean off, anything else is an error.
bool readSwitch(const json::Value& object, std::string_view key, bool& on, std::string* error) {
  const json::Value* value = object.objectForKey(key);
  if (!value) return true;
  if (!value->isBoolean()) return fail(error, "\"" + std::string(key) + "\" must be true or false");
  on = *value->boolValue();
  return true;
}

bool readRule(const json::Value& object, FaultRule& rule, std::string* error) {
  if (!object.isDictionary()) return fail(error, "a fault must be an object");
  for (const json::Member& member : object.members()) {
    const std::string_view key = member.key.wtf8();
    if (key != "path" && key != "status" && key != "body" && key != "delay" && key != "reset" &&
        key != "truncate" && key != "garbage" && key != "count" && key != "redirect" && key != "flood" &&
        key != "cut" && key != "after") {
      return fail(error, "unknown key \"" + std::string(key) + "\"");
    }
  }
  if (const json::Value* path = object.objectForKey("path")) {
    if (!path->isString() || path->wtf8().empty() || path->wtf8()[0] != '/') {
      return fail(error, "\"path\" must be a path starting with /");
    }
    rule.path = std::string(path->wtf8());
  }
  int kinds = 0;
  if (const json::Value* status = object.objectForKey("status")) {
    const auto number = status->numberValue();
    if (!number || *number != std::floor(*number) || *number < 100 || *number > 599) {
      return fail(error, "\"status\" must be a whole number from 100 to 599");
    }
    rule.kind = FaultRule::Kind::Status;
    rule.status = static_cast<int>(*number);
    ++kinds;
  }
  if (const json::Value* body = object.objectForKey("body")) {
    if (!body->isString()) return fail(error, "\"body\" must be a string");
    if (rule.kind != FaultRule::Kind::Status) return fail(error, "\"body\" goes with \"status\"");
    rule.body = std::string(body->wtf8());
  }
  if (const json::Value* location = object.objectForKey("redirect")) {
    if (!location->isString() || location->wtf8().empty()) return fail(error, "\"redirect\" must be a URL");
    // The target goes out as a header value: a line break in it would
    // split the answer.
    if (location->wtf8().find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
      return fail(error, "\"redirect\" must be one line");
    }
    rule.kind = FaultRule::Kind::Redirect;
    rule.location = std::string(location->wtf8());
    ++kinds;
  }
  if (const json::Value* flood = object.objectForKey("flood")) {
    const auto bytes = flood->numberValue();
    if (!bytes || *bytes != std::floor(*bytes) || *bytes < 1 || *bytes > kMaximumFloodBytes) {
      return fail(error, "\"flood\" must be a whole number of bytes from 1 to 4 GB");
    }
    rule.kind = FaultRule::Kind::Flood;
    rule.floodBytes = static_cast<long long>(*bytes);
    ++kinds;
  }
  struct Switch {
    std::string_view key;
    FaultRule::Kind kind;
  };
  for (const Switch& entry : {Switch{"reset", FaultRule::Kind::Reset}, Switch{"truncate", FaultRule::Kind::Truncate},
                              Switch{"garbage", FaultRule::Kind::Garbage}, Switch{"cut", FaultRule::Kind::Cut}}) {
    bool on = false;
    if (!readSwitch(object, entry.key, on, error)) return false;
    if (on) {
      rule.kind = entry.kind;
      ++kinds;
    }
  }
  if (kinds > 1) return fail(error, "give at most one of " + kKindKeys);
  if (const json::Value* delay = object.objectForKey("delay")) {
    const auto seconds = delay->numberValue();
    if (!seconds || !(*seconds >= 0) || *seconds > 600) return fail(error, "\"delay\" must be 0 to 600 seconds");
    rule.delaySeconds = *seconds;
  }
  if (rule.kind == FaultRule::Kind::None && rule.delaySeconds == 0) {
    return fail(error, "a fault needs \"delay\" or one of " + kKindKeys);
  }
  if (const json::Value* after = object.objectForKey("after")) {
    const auto number = after->numberValue();
    if (!number || *number != std::floor(*number) || *number < 0 || *number > 1e9) {
      return fail(error, "\"after\" must be a whole number of at least 0");
    }
    rule.skip = static_cast<long>(*number);
  }
  if (const json::Value* count = object.objectForKey("count")) {
    const auto number = count->numberValue();
    if (!number || *number != std::floor(*number) || *number < 1 || *number > 1e9) {
      return fail(error, "\"count\" must be a whole number of at least 1");
    }
    rule.remaining = static_cast<long>(*number);
  }
  return true;
}

}  // namespace

std::optional<std::vector<FaultRule>> FaultInjector::rulesFromJsonText(std::string_view text, std::string* error) {
  platform::Error parseError;
  auto root = json::JSONDeserializer::deserializer()->deserializeError(json::ByteScanner::dataWithBytes(text),
                                                                      &parseError);
  if (!root) {
    fail(error, "the faults are not valid JSON");
    return std::nullopt;
  }
  std::vector<FaultRule> rules;
  auto readOne = [&](const json::Value& value) {
    FaultRule rule;
    if (!readRule(value, rule, error)) return false;
    rules.push_back(std::move(rule));
    return true;
  };
  if (root->isArray()) {
    for (const json::Value& element : root->elements()) {
      if (!readOne(element)) return std::nullopt;
    }
  } else if (!readOne(*root)) {
    return std::nullopt;
  }
  return rules;
}

std::string FaultInjector::jsonForRules(const std::vector<FaultRule>& rules) {
  std::string out = "[";
  for (const FaultRule& rule : rules) {
    if (out.size() > 1) out += ",";
    out += "{";
    std::string fields;
    auto add = [&](std::string_view key, const std::string& value) {
      if (!fields.empty()) fields += ",";
      json::CanonicalWriter::appendString(fields, key);
      fields += ":" + value;
    };
    if (!rule.path.empty()) {
      std::string path;
      json::CanonicalWriter::appendString(path, rule.path);
      add("path", path);
    }
    switch (rule.kind) {
      case FaultRule::Kind::None: break;
      case FaultRule::Kind::Status: {
        add("status", std::to_string(rule.status));
        std::string body;
        json::CanonicalWriter::appendString(body, rule.body);
        add("body", body);
        break;
      }
      case FaultRule::Kind::Reset: add("reset", "true"); break;
      case FaultRule::Kind::Truncate: add("truncate", "true"); break;
      case FaultRule::Kind::Garbage: add("garbage", "true"); break;
      case FaultRule::Kind::Cut: add("cut", "true"); break;
      case FaultRule::Kind::Flood: add("flood", std::to_string(rule.floodBytes)); break;
      case FaultRule::Kind::Redirect: {
        std::string location;
        json::CanonicalWriter::appendString(location, rule.location);
        add("redirect", location);
        break;
      }
    }
    if (rule.delaySeconds > 0) {
      std::string delay;
      json::CanonicalWriter::appendNumber(delay, rule.delaySeconds);
      add("delay", delay);
    }
    if (rule.skip > 0) add("after", std::to_string(rule.skip));
    if (rule.remaining) add("count", std::to_string(*rule.remaining));
    out += fields + "}";
  }
  return out + "]";
}

void FaultInjector::add(std::vector<FaultRule> rules) {
  std::lock_guard lock(mutex_);
  for (FaultRule& rule : rules) rules_.push_back(std::move(rule));
}

void FaultInjector::clear() {
  std::lock_guard lock(mutex_);
  rules_.clear();
}

std::vector<FaultRule> FaultInjector::rules() const {
  std::lock_guard lock(mutex_);
  return rules_;
}

std::optional<FaultRule> FaultInjector::takeFaultForPath(std::string_view path) {
  std::lock_guard lock(mutex_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (!it->matches(path)) continue;
    if (it->skip > 0) {
      // This request passes; later rules do not get a say in it either,
      // so "after" counts exactly the requests the rule would have hit.
      --it->skip;
      return std::nullopt;
    }
    FaultRule taken = *it;
    if (it->remaining && --*it->remaining == 0) rules_.erase(it);
    return taken;
  }
  return std::nullopt;
}

}  // namespace pennant::adserver
