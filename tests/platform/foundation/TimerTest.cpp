#include "platform/foundation/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/SimulatedClock.h"

using platform::RunLoop;
using platform::SimulatedClock;
using platform::Timer;

namespace {

class TimerTest : public ::testing::Test {
 protected:
  RunLoop loop_{std::make_shared<SimulatedClock>()};
};

// A target in the style of the app's objects: the timer calls a method on it.
struct Receiver {
  std::vector<double> ticks;
  std::vector<std::string> infos;
  RunLoop* loop = nullptr;
  void tick(Timer& timer) {
    ticks.push_back(loop->now());
    if (timer.userInfo().has_value()) infos.push_back(std::any_cast<std::string>(timer.userInfo()));
  }
};

}  // namespace

TEST_F(TimerTest, OneShotFiresOnceWithItsUserInfoAndThenIsInvalid) {
  auto receiver = std::make_shared<Receiver>();
  receiver->loop = &loop_;
  auto timer = Timer::scheduledTimerWithTimeInterval(0.3, receiver, &Receiver::tick,
                                                     std::string("centre"), false, loop_);
  EXPECT_TRUE(timer->isValid());
  EXPECT_DOUBLE_EQ(timer->fireDate(), 0.3);
  loop_.advanceBy(0.29);
  EXPECT_TRUE(receiver->ticks.empty());
  loop_.advanceBy(5);
  EXPECT_EQ(receiver->ticks, std::vector<double>{0.3});
  EXPECT_EQ(receiver->infos, std::vector<std::string>{"centre"});
  EXPECT_FALSE(timer->isValid());
}

TEST_F(TimerTest, RepeatingTimerTicksOnItsScheduleUntilInvalidated) {
  auto receiver = std::make_shared<Receiver>();
  receiver->loop = &loop_;
  loop_.advanceBy(1.5);
  auto timer = Timer::scheduledTimerWithTimeInterval(60.0, receiver, &Receiver::tick, {}, true, loop_);
  loop_.advanceBy(180);
  EXPECT_EQ(receiver->ticks, (std::vector<double>{61.5, 121.5, 181.5}));
  EXPECT_TRUE(timer->isValid());
  EXPECT_DOUBLE_EQ(timer->fireDate(), 241.5);
  timer->invalidate();
  loop_.advanceBy(600);
  EXPECT_EQ(receiver->ticks.size(), 3u);
}

TEST_F(TimerTest, ActionMayInvalidateItsOwnRepeatingTimer) {
  int ticks = 0;
  Timer::scheduledTimerWithTimeInterval(
      1.0, nullptr,
      [&](Timer& timer) {
        if (++ticks == 2) {
          timer.invalidate();
          EXPECT_FALSE(timer.isValid());
        }
      },
      {}, true, loop_);
  loop_.advanceBy(10);
  EXPECT_EQ(ticks, 2);
}

TEST_F(TimerTest, TimerDueAtTheSameTimeCanBeInvalidatedByTheOneBeforeIt) {
  std::vector<std::string> fired;
  std::shared_ptr<Timer> second;
  auto first = Timer::scheduledTimerWithTimeInterval(
      0.3, nullptr,
      [&](Timer&) {
        fired.push_back("first");
        second->invalidate();
      },
      {}, false, loop_);
  second = Timer::scheduledTimerWithTimeInterval(
      0.3, nullptr, [&](Timer&) { fired.push_back("second"); }, {}, false, loop_);
  loop_.advanceBy(1);
  EXPECT_EQ(fired, std::vector<std::string>{"first"});
}

TEST_F(TimerTest, ScheduledTimerKeepsItsTargetAliveUntilItFires) {
  auto receiver = std::make_shared<Receiver>();
  receiver->loop = &loop_;
  std::weak_ptr<Receiver> weak = receiver;
  Timer::scheduledTimerWithTimeInterval(0.3, receiver, &Receiver::tick, {}, false, loop_);
  receiver.reset();  // nobody but the timer holds the target, and nobody holds the timer
  loop_.advanceBy(0.1);
  ASSERT_FALSE(weak.expired());
  loop_.advanceBy(1);
  EXPECT_TRUE(weak.expired());  // released once the one-shot timer has fired
}

TEST_F(TimerTest, InvalidateReleasesTheTargetAtOnce) {
  auto receiver = std::make_shared<Receiver>();
  receiver->loop = &loop_;
  std::weak_ptr<Receiver> weak = receiver;
  auto timer = Timer::scheduledTimerWithTimeInterval(60, receiver, &Receiver::tick, {}, true, loop_);
  receiver.reset();
  loop_.advanceBy(130);
  ASSERT_FALSE(weak.expired());
  EXPECT_EQ(weak.lock()->ticks.size(), 2u);
  timer->invalidate();
  EXPECT_TRUE(weak.expired());
  timer->invalidate();  // twice is harmless
}

TEST_F(TimerTest, TimersWithEqualFireDatesFireInSchedulingOrder) {
  std::string order;
  for (char c : std::string("abc")) {
    Timer::scheduledTimerWithTimeInterval(0.5, nullptr, [&order, c](Timer&) { order.push_back(c); }, {},
                                          false, loop_);
  }
  loop_.advanceBy(1);
  EXPECT_EQ(order, "abc");
}

TEST_F(TimerTest, RepeatingTimerWithZeroIntervalStillLetsTimeMove) {
  int ticks = 0;
  auto timer = Timer::scheduledTimerWithTimeInterval(0, nullptr, [&](Timer&) { ++ticks; }, {}, true, loop_);
  loop_.advanceBy(0.00105);
  EXPECT_EQ(ticks, 10);
  EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.0001);
  timer->invalidate();
}

TEST(TimerLifetimeTest, InvalidatingAfterTheLoopIsGoneIsSafe) {
  std::shared_ptr<Timer> timer;
  {
    RunLoop loop{std::make_shared<SimulatedClock>()};
    timer = Timer::scheduledTimerWithTimeInterval(1, nullptr, [](Timer&) {}, {}, true, loop);
  }
  EXPECT_TRUE(timer->isValid());
  timer->invalidate();
  EXPECT_FALSE(timer->isValid());
}

TEST(TimerRealClockTest, LateTickKeepsTheScheduleAndSkipsMissedTicks) {
  RunLoop loop;
  std::vector<double> fireDatesSeenAtTicks;
  std::vector<double> nowAtTicks;
  auto timer = Timer::scheduledTimerWithTimeInterval(
      0.1, nullptr,
      [&](Timer& t) {
        nowAtTicks.push_back(loop.now());
        fireDatesSeenAtTicks.push_back(t.fireDate());
        if (nowAtTicks.size() == 2) loop.stop();
      },
      {}, true, loop);
  const double start = timer->fireDate() - 0.1;
  // Keep the loop busy well past the first two ticks.
  loop.performAfterDelay(0.05, [] { std::this_thread::sleep_for(std::chrono::milliseconds(270)); });
  loop.run();
  timer->invalidate();
  ASSERT_EQ(nowAtTicks.size(), 2u);
  // The late first tick is followed by the next tick on the grid, not by a
  // burst of missed ones and not by "late time + interval".
  const double next = fireDatesSeenAtTicks[0];
  EXPECT_GT(next, nowAtTicks[0]);
  const double steps = (next - start) / 0.1;
  EXPECT_NEAR(steps, std::round(steps), 1e-6);
  EXPECT_GE(std::round(steps), 4.0);
}
