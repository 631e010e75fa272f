// The simple timer on the headless platform's virtual clock: start and stop rules, interval
// changes, handler removal, the shared handler's counts and independent timers.
#include <gtest/gtest.h>

#include <vector>

#include "desktop/TSimpleTimer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::desktop {
namespace {

class TSimpleTimerTest : public ::testing::Test {
 protected:
  platform::headless::HeadlessPlatform platform_;
};

TEST_F(TSimpleTimerTest, TicksEveryIntervalWithItselfAsArgument) {
  std::vector<std::pair<const TSimpleTimer*, int64_t>> ticks;
  const auto record = [&](TSimpleTimer& timer) { ticks.push_back({&timer, platform_.NowMs()}); };
  TSimpleTimer a(platform_, 100, record);
  TSimpleTimer b(platform_, 100, record);
  EXPECT_NE(a.Id(), b.Id());
  ASSERT_TRUE(a.Start());
  platform_.AdvanceBy(50);
  ASSERT_TRUE(b.Start());
  platform_.AdvanceBy(200);
  EXPECT_EQ(ticks, (std::vector<std::pair<const TSimpleTimer*, int64_t>>{{&a, 100}, {&b, 150}, {&a, 200}, {&b, 250}}));
}

TEST_F(TSimpleTimerTest, IntervalZeroStopsARunningTimerUntilANewIntervalComes) {
  EXPECT_FALSE(TSimpleTimer(platform_).Stop());  // nothing ran
  int count = 0;
  TSimpleTimer timer(platform_, 100, [&](TSimpleTimer&) { ++count; });
  ASSERT_TRUE(timer.Start());
  const int running = TSimpleTimer::RunningCount();
  timer.SetInterval(0);
  EXPECT_FALSE(timer.Active());
  EXPECT_EQ(TSimpleTimer::RunningCount(), running - 1);
  platform_.AdvanceBy(500);
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(timer.Start());
  timer.SetInterval(50);
  EXPECT_FALSE(timer.Active());  // a stopped timer only records the interval
  EXPECT_TRUE(timer.Start());
  platform_.AdvanceBy(100);
  EXPECT_EQ(count, 2);
}

TEST_F(TSimpleTimerTest, ChangedIntervalRestartsTheWait) {
  std::vector<int64_t> ticks;
  TSimpleTimer timer(platform_, 100, [&](TSimpleTimer&) { ticks.push_back(platform_.NowMs()); });
  timer.SetActive(true);
  platform_.AdvanceBy(80);
  timer.SetInterval(30);
  timer.SetInterval(30);  // unchanged: no restart
  platform_.AdvanceBy(70);
  timer.SetActive(false);
  platform_.AdvanceBy(100);
  EXPECT_EQ(ticks, (std::vector<int64_t>{110, 140}));
}

TEST_F(TSimpleTimerTest, SharedHandlerCountsTimersAndRunningOnes) {
  const int timers = TSimpleTimer::TimerCount();
  const int running = TSimpleTimer::RunningCount();
  {
    TSimpleTimer a(platform_, 10);
    TSimpleTimer b(platform_, 10);
    EXPECT_EQ(TSimpleTimer::TimerCount(), timers + 2);
    a.Start();
    b.Start();
    b.Start();  // a restart counts once
    EXPECT_EQ(TSimpleTimer::RunningCount(), running + 2);
    a.Stop();
    a.Stop();
    EXPECT_EQ(TSimpleTimer::RunningCount(), running + 1);
  }
  EXPECT_EQ(TSimpleTimer::TimerCount(), timers);
  EXPECT_EQ(TSimpleTimer::RunningCount(), running);
}

TEST_F(TSimpleTimerTest, AHandlerMayStopItsOwnTimerAndRemovingTheHandlerStopsIt) {
  int count = 0;
  TSimpleTimer timer(platform_, 10, [&](TSimpleTimer& self) {
    if (++count == 3) self.Stop();
  });
  timer.Start();
  platform_.AdvanceBy(100);
  EXPECT_EQ(count, 3);
  timer.Start();
  platform_.AdvanceBy(10);
  timer.SetOnTimer({});
  EXPECT_FALSE(timer.Active());
  platform_.AdvanceBy(100);
  EXPECT_EQ(count, 4);
}

}  // namespace
}  // namespace kpf::desktop
