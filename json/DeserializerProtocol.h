#pragma once
// What the ad library needs from a JSON reader: the bytes of an answer in,
// a dictionary (or nullptr) out.

#include <memory>

#include "json/ByteScanner.h"
#include "json/Value.h"
#include "platform/foundation/Error.h"

namespace json {

class DeserializerProtocol {
 public:
  virtual ~DeserializerProtocol() = default;
  // The dictionary at the very first byte of data, or nullptr; error, when
  // not null, receives the reason of a failure.
  virtual std::shared_ptr<const Value> deserializeAsDictionaryError(const ByteScanner::Data& data,
                                                                    platform::Error* error) = 0;
};

}  // namespace json
