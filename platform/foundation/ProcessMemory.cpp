#include "platform/foundation/ProcessMemory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>

// Present only when a sanitizer's allocator is linked in.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace platform {

namespace {

std::uint64_t residentBytesOfProcess() {
  // The second field of statm: resident pages.
  std::ifstream statm("/proc/self/statm");
  std::uint64_t size = 0, resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

std::uint64_t allocatedBytesOfProgram() {
  if (__sanitizer_get_current_allocated_bytes != nullptr) return __sanitizer_get_current_allocated_bytes();
  // glibc's count over all arenas: chunks in use, and those it mapped alone.
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace

ProcessMemory ProcessMemory::current() { return ProcessMemory{residentBytesOfProcess(), allocatedBytesOfProgram()}; }

}  // namespace platform
