#include "json/BlockCache.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "json/JSONDeserializer.h"

namespace json {
namespace {

// Big enough that the arena needs blocks beyond its first, built-in one.
std::string bigDocument() {
  std::string text = "{\"list\":[";
  for (int i = 0; i < 5000; ++i) text += "{\"n\":" + std::to_string(i) + ",\"s\":\"x\\ny\"},";
  return text + "0]}";
}

std::shared_ptr<const Value> parse(const std::string& text) {
  return JSONDeserializer::deserializer()->deserializeAsDictionaryError(ByteScanner::dataWithBytes(text), nullptr);
}

TEST(BlockCacheLifetime, ValuesCrossThreads) {
  std::shared_ptr<const Value> fromThread;
  std::thread([&] { fromThread = parse(bigDocument()); }).join();
  // The parsing thread and its cache are gone; its blocks return to ours.
  ASSERT_NE(fromThread, nullptr);
  EXPECT_EQ(fromThread->arrayForKey("list")->at(4999)->numberForKey("n"), 4999.0);
  fromThread.reset();
  EXPECT_NE(parse(bigDocument()), nullptr);
}

TEST(BlockCacheLifetime, ValueDestroyedAfterTheThreadCaches) {
  const std::string text = bigDocument();
  std::thread([&] {
    // Constructed before the reader's per-thread caches, so destroyed after
    // them at thread exit: its arena must then go straight to malloc.
    thread_local std::shared_ptr<const Value> held;
    held = parse(text);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->arrayForKey("list")->size(), 5001u);
  }).join();
}

TEST(BlockCacheLifetime, RepeatedParsesReuseBlocks) {
  const std::string text = bigDocument();
  for (int i = 0; i < 50; ++i) {
    const auto value = parse(text);
    ASSERT_NE(value, nullptr);
    ASSERT_EQ(value->arrayForKey("list")->at(static_cast<std::size_t>(i))->stringForKey("s"), "x\ny");
  }
}

TEST(BlockCacheLifetime, OversizedAlignmentIsRefused) {
  EXPECT_THROW(static_cast<void>(BlockCache::shared()->allocate(64, 4096)), std::bad_alloc);
  void* block = BlockCache::shared()->allocate(100, 16);
  ASSERT_NE(block, nullptr);
  BlockCache::shared()->deallocate(block, 100, 16);
}

}  // namespace
}  // namespace json
