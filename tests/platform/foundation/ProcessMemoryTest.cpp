#include "platform/foundation/ProcessMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace platform {
namespace {

TEST(ProcessMemoryTest, CountsWhatIsAllocatedAndTouchedUntilItIsFreed) {
  constexpr std::size_t kBlock = 16u << 20;
  const ProcessMemory before = ProcessMemory::current();
  ASSERT_GT(before.residentBytes, 0u);
  auto block = std::make_unique<char[]>(kBlock);
  std::memset(block.get(), 1, kBlock);
  const ProcessMemory during = ProcessMemory::current();
  EXPECT_GE(during.allocatedBytes, before.allocatedBytes + kBlock);
  EXPECT_GE(during.residentBytes, before.residentBytes + kBlock / 2);
  block.reset();
  const ProcessMemory after = ProcessMemory::current();
  EXPECT_LT(after.allocatedBytes, during.allocatedBytes - kBlock / 2);
}

}  // namespace
}  // namespace platform
