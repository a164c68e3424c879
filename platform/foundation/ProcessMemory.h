#pragma once
// How much memory this process holds: what the kernel keeps resident for it,
// and what the program itself has allocated and not yet freed. The two part
// ways under a sanitizer, whose allocator adds its own bookkeeping and keeps
// freed memory in size classes of its own: there the allocated bytes are the
// allocator's own count, and they tell whether the program grows.

#include <cstdint>

namespace platform {

struct ProcessMemory {
  std::uint64_t residentBytes = 0;   // 0 when /proc cannot be read
  std::uint64_t allocatedBytes = 0;  // in use through malloc and new

  static ProcessMemory current();
};

}  // namespace platform
