#pragma once
// Durable file writes that do not hold up the run loop. A durable write
// waits for the disk (the file and its folder are flushed), which takes
// milliseconds on a real disk; on the main thread it would stall every
// download, animation and touch queued behind it. Here the write runs on
// the process's one writer thread, in the order the writes were asked for,
// and its completion is called back on the loop that asked.
//
//   BackgroundFileWriter::writeContentsAtomically(path, bytes, [](bool written) { ... });
//
// The write is FileManager::writeContentsAtomically's, durable: a kill or a
// power cut at any moment leaves the old file or the new one. Until its
// completion has run, the write counts as work in flight on its loop, so
// simulated time does not move on before it has landed. A write that has
// not landed when the process ends is lost as in a crash, and its
// temporary file is swept away at the next start.
//
// Ownership: the writer thread and its queue live until the process ends;
// the thread touches nothing but the files and the queue. A loop destroyed
// while writes are pending drops their completions (the writes still land).

#include <functional>
#include <string>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"

namespace platform {

class BackgroundFileWriter {
 public:
  // `completion` (may be empty) hears whether the file was written.
  using Completion = std::function<void(bool written)>;

  static void writeContentsAtomically(std::string path, std::string bytes, Completion completion,
                                      RunLoop& loop = RunLoop::current());
  // The same with the durability given: a cache's files need not wait for
  // the disk (they are fetched again when a power cut loses them).
  static void writeContentsAtomically(std::string path, std::string bytes, FileManager::Durability durability,
                                      Completion completion, RunLoop& loop = RunLoop::current());
};

}  // namespace platform
