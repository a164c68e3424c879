#include "platform/foundation/BackgroundFileWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "FoundationTestFolder.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/SimulatedClock.h"

namespace platform {
namespace {

using testing::FoundationTestFolder;

TEST(BackgroundFileWriterTest, WritesLandInOrderAndAreReportedOnTheLoopThatAsked) {
  FoundationTestFolder folder;
  RunLoop loop(std::make_shared<SimulatedClock>());
  std::vector<std::string> reported;
  const auto caller = std::this_thread::get_id();
  for (const std::string text : {"first", "second", "third"}) {
    BackgroundFileWriter::writeContentsAtomically(folder.file("strings"), text, [&, text](bool written) {
      EXPECT_TRUE(written);
      EXPECT_EQ(std::this_thread::get_id(), caller);
      reported.push_back(text);
    }, loop);
  }
  BackgroundFileWriter::writeContentsAtomically(folder.file("other"), "other", nullptr, loop);
  EXPECT_TRUE(reported.empty()) << "completions run on the loop, never inside the call";
  EXPECT_EQ(loop.workInFlightCount(), 4u);

  loop.settle();
  EXPECT_EQ(loop.workInFlightCount(), 0u) << "settling waits for every write";
  EXPECT_EQ(reported, (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(FileManager::contentsAtPath(folder.file("strings")), "third") << "the last write asked for wins";
  EXPECT_EQ(FileManager::contentsAtPath(folder.file("other")), "other");
}

TEST(BackgroundFileWriterTest, AWriteThatFailsIsReportedAndLeavesNothing) {
  FoundationTestFolder folder;
  RunLoop loop(std::make_shared<SimulatedClock>());
  std::optional<bool> outcome;
  BackgroundFileWriter::writeContentsAtomically(folder.file("missing/strings"), "text",
                                                [&](bool written) { outcome = written; }, loop);
  loop.settle();
  EXPECT_EQ(outcome, false);
  EXPECT_FALSE(FileManager::fileExistsAtPath(folder.file("missing")));
}

TEST(BackgroundFileWriterTest, AWriteOutlivesTheLoopThatAskedForIt) {
  FoundationTestFolder folder;
  bool heard = false;
  {
    RunLoop loop(std::make_shared<SimulatedClock>());
    BackgroundFileWriter::writeContentsAtomically(folder.file("strings"), "kept", [&](bool) { heard = true; }, loop);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!FileManager::fileExistsAtPath(folder.file("strings")) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(FileManager::contentsAtPath(folder.file("strings")), "kept");
  EXPECT_FALSE(heard) << "nobody is left to tell";
  // The loop that asked next is told as usual.
  RunLoop next(std::make_shared<SimulatedClock>());
  BackgroundFileWriter::writeContentsAtomically(folder.file("strings"), "again", [&](bool) { heard = true; }, next);
  next.settle();
  EXPECT_TRUE(heard);
}

}  // namespace
}  // namespace platform
