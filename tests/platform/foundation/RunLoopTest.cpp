#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/SimulatedClock.h"

using platform::RunLoop;
using platform::SimulatedClock;

namespace {

class SimulatedRunLoopTest : public ::testing::Test {
 protected:
  std::shared_ptr<SimulatedClock> clock_ = std::make_shared<SimulatedClock>();
  RunLoop loop_{clock_};
  std::vector<std::string> events_;

  void note(const std::string& what) { events_.push_back(what + "@" + std::to_string(loop_.now())); }
};

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() { EXPECT_EQ(::pipe(fds), 0); }
  ~Pipe() {
    if (fds[0] >= 0) ::close(fds[0]);
    if (fds[1] >= 0) ::close(fds[1]);
  }
  int reader() const { return fds[0]; }
  int writer() const { return fds[1]; }
  void write(const std::string& s) const { ASSERT_EQ(::write(fds[1], s.data(), s.size()), static_cast<ssize_t>(s.size())); }
};

}  // namespace

TEST_F(SimulatedRunLoopTest, DelayedCallsRunInTimeOrderWithTiesInSchedulingOrder) {
  loop_.performAfterDelay(2.0, [&] { note("c"); });
  loop_.performAfterDelay(1.0, [&] { note("a"); });
  loop_.performAfterDelay(1.0, [&] { note("b"); });
  loop_.performAfterDelay(-5.0, [&] { note("negative"); });
  loop_.advanceBy(10);
  EXPECT_EQ(events_, (std::vector<std::string>{"negative@0.000000", "a@1.000000", "b@1.000000",
                                               "c@2.000000"}));
  EXPECT_DOUBLE_EQ(loop_.now(), 10.0);
}

TEST_F(SimulatedRunLoopTest, TimeMovesOnlyWhenAdvancedAndStopsAtTheTarget) {
  loop_.performAfterDelay(5.0, [&] { note("due"); });
  loop_.runPending();
  loop_.runOnce(0);
  EXPECT_DOUBLE_EQ(loop_.now(), 0.0);
  loop_.advanceBy(4.5);
  EXPECT_TRUE(events_.empty());
  EXPECT_DOUBLE_EQ(loop_.now(), 4.5);
  EXPECT_EQ(loop_.nextFireTime(), 5.0);
  loop_.runUntil(5.0);
  EXPECT_EQ(events_, std::vector<std::string>{"due@5.000000"});
}

TEST_F(SimulatedRunLoopTest, AChainOfDelaysIsDueWhenTheWaitForItsSumEndsWhateverTheRounding) {
  // From 1.4 s on, 0.5 + 0.2 lands a rounding error after 1.4 + 0.7.
  loop_.advanceBy(1.4);
  const double start = loop_.now();
  ASSERT_GT(start + 0.5 + 0.2, start + 0.7);
  loop_.performAfterDelay(0.5, [&] { loop_.performAfterDelay(0.2, [&] { note("chain"); }); });
  loop_.performAfterDelay(0.7 + 1e-6, [&] { note("a microsecond later"); });
  loop_.advanceBy(0.7);
  EXPECT_EQ(events_, std::vector<std::string>{"chain@2.100000"});
  // The clock stops at the time asked for, not at the chain's end.
  EXPECT_EQ(loop_.now(), start + 0.7);
}

TEST_F(SimulatedRunLoopTest, CallsScheduledFromCallbacksFireInTheSameAdvanceInOrder) {
  loop_.performAfterDelay(1.0, [&] {
    note("first");
    loop_.performSoon([&] { note("soon"); });
    loop_.performAfterDelay(0.5, [&] { note("later"); });
  });
  loop_.performAfterDelay(1.2, [&] { note("scheduled-before"); });
  loop_.advanceBy(2);
  EXPECT_EQ(events_, (std::vector<std::string>{"first@1.000000", "soon@1.000000",
                                               "scheduled-before@1.200000", "later@1.500000"}));
}

TEST_F(SimulatedRunLoopTest, CancelledCallsNeverRunEvenFromInsideAnotherCallback) {
  RunLoop::CallbackId second = 0;
  loop_.performAfterDelay(1.0, [&] {
    note("first");
    EXPECT_TRUE(loop_.cancelPerform(second));
  });
  second = loop_.performAfterDelay(1.0, [&] { note("second"); });
  loop_.advanceBy(2);
  EXPECT_EQ(events_, std::vector<std::string>{"first@1.000000"});
  EXPECT_FALSE(loop_.cancelPerform(second));
}

TEST_F(SimulatedRunLoopTest, CallbackMayDestroyAnObjectWhoseDestructorCancelsItsOwnCall) {
  struct Owner {
    explicit Owner(RunLoop& l) : loop(l) {}
    ~Owner() { loop.cancelPerform(pending); }
    RunLoop& loop;
    RunLoop::CallbackId pending = 0;
  };
  auto owner = std::make_unique<Owner>(loop_);
  auto shared = std::make_shared<int>(7);
  std::weak_ptr<int> watch = shared;
  loop_.performAfterDelay(1.0, [&] { owner.reset(); });
  owner->pending = loop_.performAfterDelay(1.0, [&, shared] { note("owner-call"); });
  shared.reset();
  loop_.advanceBy(2);
  EXPECT_TRUE(events_.empty());
  EXPECT_TRUE(watch.expired());  // the cancelled callback's captures were released
}

TEST_F(SimulatedRunLoopTest, SelfReschedulingCallDoesNotStarveOneRound) {
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    loop_.performSoon(again);
  };
  loop_.performSoon(again);
  EXPECT_TRUE(loop_.runOnce(0));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(loop_.runOnce(0));
  EXPECT_EQ(runs, 2);
}

TEST_F(SimulatedRunLoopTest, ReplacingTheClockKeepsRemainingDelays) {
  loop_.advanceBy(100);
  loop_.performAfterDelay(3.0, [&] { note("rebased"); });
  auto fresh = std::make_shared<SimulatedClock>();
  loop_.setClock(fresh);
  EXPECT_EQ(loop_.nextFireTime(), 3.0);
  loop_.advanceBy(3);
  EXPECT_EQ(events_, std::vector<std::string>{"rebased@3.000000"});
}

TEST_F(SimulatedRunLoopTest, RealTimeCallsFireWithoutMovingSimulatedTime) {
  bool fired = false;
  loop_.performAfterRealDelay(0.02, [&] { fired = true; });
  while (!fired) loop_.runOnce(1.0);
  EXPECT_DOUBLE_EQ(loop_.now(), 0.0);
}

TEST_F(SimulatedRunLoopTest, WorkInFlightFinishesBeforeSimulatedTimeMovesOn) {
  auto work = loop_.beginWorkInFlight();
  EXPECT_EQ(loop_.workInFlightCount(), 1u);
  loop_.performAfterRealDelay(0.05, [&] {
    note("work-done");
    work.reset();
  });
  loop_.performAfterDelay(1.0, [&] { note("timer"); });
  loop_.advanceBy(10);
  EXPECT_EQ(events_, (std::vector<std::string>{"work-done@0.000000", "timer@1.000000"}));
  EXPECT_EQ(loop_.workInFlightCount(), 0u);
}

TEST_F(SimulatedRunLoopTest, WorkThatNeverEndsIsCappedInRealTime) {
  auto stuck = loop_.beginWorkInFlight();
  loop_.setWorkInFlightCap(0.1);
  loop_.performAfterDelay(1.0, [&] { note("timer"); });
  loop_.advanceBy(2);
  EXPECT_EQ(events_, std::vector<std::string>{"timer@1.000000"});
  EXPECT_DOUBLE_EQ(loop_.now(), 2.0);
}

TEST_F(SimulatedRunLoopTest, RunJumpsFromTimerToTimerUntilStopped) {
  loop_.performAfterDelay(5.0, [&] { note("a"); });
  loop_.performAfterDelay(7.0, [&] {
    note("stop");
    loop_.stop();
  });
  loop_.performAfterDelay(9.0, [&] { note("never"); });
  loop_.run();
  EXPECT_EQ(events_, (std::vector<std::string>{"a@5.000000", "stop@7.000000"}));
}

TEST(RunLoopFdWatchTest, ReadableWatchReceivesDataAndMayRemoveItself) {
  RunLoop loop;
  Pipe pipe;
  std::string received;
  RunLoop::CallbackId id = 0;
  id = loop.addFdWatch(pipe.reader(), RunLoop::kReadable, [&](int fd, unsigned events) {
    EXPECT_TRUE(events & RunLoop::kReadable);
    char buffer[16];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    received.append(buffer, static_cast<std::size_t>(n));
    loop.removeFdWatch(id);
  });
  EXPECT_FALSE(loop.runOnce(0));
  pipe.write("ping");
  EXPECT_TRUE(loop.runOnce(1.0));
  EXPECT_EQ(received, "ping");
  pipe.write("more");
  EXPECT_FALSE(loop.runOnce(0.05));  // the watch is gone
  EXPECT_EQ(received, "ping");
}

TEST(RunLoopFdWatchTest, WatchRemovedByAnEarlierCallbackInTheSameRoundIsNotCalled) {
  RunLoop loop;
  Pipe first, second;
  int secondCalls = 0;
  RunLoop::CallbackId secondId = 0;
  loop.addFdWatch(first.reader(), RunLoop::kReadable, [&](int, unsigned) { loop.removeFdWatch(secondId); });
  secondId = loop.addFdWatch(second.reader(), RunLoop::kReadable, [&](int, unsigned) { ++secondCalls; });
  first.write("x");
  second.write("y");
  loop.runOnce(1.0);
  loop.runOnce(0);
  EXPECT_EQ(secondCalls, 0);
}

TEST(RunLoopFdWatchTest, WritableAndHangUpAreReported) {
  RunLoop loop;
  Pipe pipe;
  unsigned writerEvents = 0;
  unsigned readerEvents = 0;
  auto writerWatch = loop.addFdWatch(pipe.writer(), RunLoop::kWritable, [&](int, unsigned e) { writerEvents = e; });
  loop.runOnce(1.0);
  EXPECT_EQ(writerEvents, RunLoop::kWritable);
  loop.removeFdWatch(writerWatch);
  ::close(pipe.fds[1]);
  pipe.fds[1] = -1;
  loop.addFdWatch(pipe.reader(), RunLoop::kReadable, [&](int, unsigned e) { readerEvents = e; });
  loop.runOnce(1.0);
  EXPECT_TRUE(readerEvents & RunLoop::kReadable);
  EXPECT_TRUE(readerEvents & RunLoop::kError);
}

TEST(RunLoopFdWatchTest, WatchWithNoEventsIsNotPolled) {
  RunLoop loop;
  Pipe pipe;
  int calls = 0;
  auto id = loop.addFdWatch(pipe.reader(), RunLoop::kReadable, [&](int, unsigned) { ++calls; });
  loop.setFdWatchEvents(id, 0);
  pipe.write("z");
  loop.runOnce(0.02);
  EXPECT_EQ(calls, 0);
  loop.setFdWatchEvents(id, RunLoop::kReadable);
  loop.runOnce(1.0);
  EXPECT_EQ(calls, 1);
}

namespace {

// A source with a poll cycle of its own, like an embedded main context.
class PipeSource : public platform::RunLoopSource {
 public:
  PipeSource(RunLoop& loop, int fd) : loop_(loop), fd_(fd) {}
  int prepare(std::vector<pollfd>& fds) override {
    ++prepared;
    fds.push_back(pollfd{fd_, POLLIN, 0});
    return readyWithoutFd ? 0 : -1;
  }
  bool check(std::span<const pollfd> fds) override {
    return readyWithoutFd || (fds.size() == 1 && (fds[0].revents & POLLIN));
  }
  void dispatch() override {
    ++dispatched;
    if (removeSelf) loop_.removeSource(this);
  }
  RunLoop& loop_;
  int fd_;
  bool readyWithoutFd = false;
  bool removeSelf = false;
  int prepared = 0;
  int dispatched = 0;
};

}  // namespace

TEST(RunLoopSourceTest, SourceIsPreparedPolledCheckedAndDispatched) {
  RunLoop loop;
  Pipe pipe;
  auto source = std::make_shared<PipeSource>(loop, pipe.reader());
  loop.addSource(source);
  EXPECT_FALSE(loop.runOnce(0));
  EXPECT_EQ(source->dispatched, 0);
  pipe.write("!");
  EXPECT_TRUE(loop.runOnce(1.0));
  EXPECT_EQ(source->dispatched, 1);
  source->removeSelf = true;
  loop.runOnce(1.0);
  EXPECT_EQ(source->dispatched, 2);
  const int prepared = source->prepared;
  loop.runOnce(0);
  EXPECT_EQ(source->prepared, prepared);  // removed from inside its own dispatch
}

TEST(RunLoopSourceTest, SourceTimeoutOfZeroKeepsTheLoopFromBlocking) {
  RunLoop loop;
  Pipe pipe;
  auto source = std::make_shared<PipeSource>(loop, pipe.reader());
  source->readyWithoutFd = true;
  loop.addSource(source);
  EXPECT_TRUE(loop.runOnce(-1));  // would block forever if the timeout were ignored
  EXPECT_EQ(source->dispatched, 1);
}

TEST(RealRunLoopTest, RunBlocksUntilStoppedAndFiresTimersOnTime) {
  RunLoop loop;
  double firedAt = -1;
  loop.performAfterDelay(0.05, [&] {
    firedAt = loop.now();
    loop.stop();
  });
  loop.run();
  EXPECT_GE(firedAt, 0.05);
  EXPECT_LT(firedAt, 1.0);
}

TEST(RealRunLoopTest, RunReturnsWhenNothingIsLeft) {
  RunLoop loop;
  int runs = 0;
  loop.performSoon([&] { ++runs; });
  loop.run();
  EXPECT_EQ(runs, 1);
}

TEST(RunLoopCurrentTest, MadeCurrentUntilDestroyedThenMainAgain) {
  {
    RunLoop loop;
    loop.makeCurrent();
    EXPECT_EQ(&RunLoop::current(), &loop);
  }
  EXPECT_EQ(&RunLoop::current(), &RunLoop::main());
}

TEST(RunLoopCurrentTest, DestroyingALoopReleasesPendingCallbacksAndAttachments) {
  auto captured = std::make_shared<int>(1);
  std::weak_ptr<int> watch = captured;
  bool attachmentGone = false;
  {
    RunLoop loop;
    loop.performAfterDelay(10, [captured] {});
    struct Flag {
      explicit Flag(bool* g) : gone(g) {}
      ~Flag() { *gone = true; }
      bool* gone;
    };
    loop.setAttachment("test", std::make_shared<Flag>(&attachmentGone));
    EXPECT_NE(loop.attachment("test"), nullptr);
    captured.reset();
  }
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(attachmentGone);
}
