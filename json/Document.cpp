#include "json/Document.h"

#include "json/BlockCache.h"

namespace json {

Document::Document(std::shared_ptr<const std::vector<std::uint8_t>> source)
    : source_(std::move(source)), arena_(inlineBlock_, sizeof inlineBlock_, BlockCache::shared()) {}

}  // namespace json
