#include "platform/headless/HeadlessEventLoop.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/HeadlessTimer.hpp"

namespace kpf::platform::headless {
namespace {

using Log = std::vector<std::string>;

// A virtual-time loop whose timers record "<name>@<virtual time>" for every tick.
class HeadlessEventLoopTest : public ::testing::Test {
 protected:
  // A timer that logs its tick, then runs `then` (which may reconfigure or destroy timers).
  std::unique_ptr<platform::Timer> Make(const std::string& name, uint32_t interval, std::function<void()> then = {},
                                        bool enabled = true) {
    auto timer = loop.CreateTimer();
    timer->SetInterval(interval);
    timer->SetOnTimer([this, name, then] {
      Add(name);
      if (then) then();
    });
    if (enabled) timer->SetEnabled(true);
    return timer;
  }
  void Add(const std::string& name) { log.push_back(name + "@" + std::to_string(loop.NowMs())); }

  HeadlessEventLoop loop;
  Log log;
};

TEST_F(HeadlessEventLoopTest, TicksAtExactDueTimesInCreationOrderAndTheClockNeverGoesBack) {
  auto first = Make("first", 100, {}, false);
  auto second = Make("second", 50);  // enabled first, but created later
  first->SetEnabled(true);
  loop.AdvanceBy(250);
  EXPECT_EQ(log, (Log{"second@50", "first@100", "second@100", "second@150", "first@200", "second@200", "second@250"}));
  loop.AdvanceTo(100);  // the past: nothing runs, the clock stays
  EXPECT_EQ(loop.NowMs(), 250);
}

TEST_F(HeadlessEventLoopTest, NextTickCountsFromTheEndOfTheHandlerIncludingNestedWaits) {
  auto other = Make("other", 10, {}, false);
  auto slow = Make("slow", 100, [&] { loop.ProcessEventsFor(30); });  // the other timer ticks meanwhile
  loop.AdvanceBy(95);
  other->SetEnabled(true);  // ticks at 105, 115, 125, ...
  loop.AdvanceTo(230);
  other->SetEnabled(false);
  Log expected = {"slow@100"};
  for (int at = 105; at <= 225; at += 10) expected.push_back("other@" + std::to_string(at));
  expected.insert(expected.end(), {"slow@230", "other@235", "other@245", "other@255"});
  EXPECT_EQ(log, expected);
  EXPECT_EQ(loop.NowMs(), 260);  // the nested wait of the last tick moved the clock past 230
  loop.AdvanceTo(360);
  EXPECT_EQ(log.back(), "slow@360");
}

TEST_F(HeadlessEventLoopTest, EnablingAndIntervalChangesRestartTheWait) {
  auto timer = Make("t", 100, {}, false);
  loop.AdvanceBy(40);
  timer->SetEnabled(true);  // due 140
  loop.AdvanceBy(60);
  timer->SetInterval(80);  // at 100: due 180
  timer->SetInterval(80);  // unchanged: no restart
  loop.AdvanceTo(180);
  timer->SetEnabled(false);
  loop.AdvanceTo(1000);
  EXPECT_EQ(log, (Log{"t@180"}));
}

TEST_F(HeadlessEventLoopTest, ChangesInsideATickCountFromItsEnd) {
  std::unique_ptr<platform::Timer> timer;
  // The frame-step pattern: disable, take the next duration, wait, enable.
  timer = Make("t", 10, [&] {
    timer->SetEnabled(false);
    timer->SetInterval(timer->Interval() * 2);
    loop.ProcessEventsFor(5);
    timer->SetEnabled(true);
  });
  loop.AdvanceTo(100);
  EXPECT_EQ(log, (Log{"t@10", "t@35", "t@80"}));
}

TEST_F(HeadlessEventLoopTest, ZeroIntervalTicksEveryMillisecondOnlyWhenAllowed) {
  auto timer = Make("z", 0);
  loop.AdvanceBy(10);
  EXPECT_TRUE(log.empty());
  timer->SetAllowZero(true);  // one virtual millisecond per tick, so the clock cannot stall
  loop.AdvanceBy(3);
  timer->SetAllowZero(false);
  loop.AdvanceBy(10);
  EXPECT_EQ(log, (Log{"z@11", "z@12", "z@13"}));
}

TEST_F(HeadlessEventLoopTest, HandlerFailuresSelfDisablingAndTimersDestroyedDuringTicks) {
  std::unique_ptr<platform::Timer> once, self, victim;
  auto failing = Make("fail", 10, [] { throw std::runtime_error("tick failure"); });
  once = Make("once", 15, [&] { once->SetEnabled(false); });
  self = Make("self", 5, [&] { self.reset(); });
  auto killer = Make("killer", 20, [&] { victim.reset(); });
  victim = Make("victim", 20);  // due with the killer, but created later: ticks after it
  loop.AdvanceTo(40);
  EXPECT_EQ(log, (Log{"self@5", "fail@10", "once@15", "fail@20", "killer@20", "fail@30", "fail@40", "killer@40"}));
}

TEST_F(HeadlessEventLoopTest, PostedTasksRunBeforeLaterTicks) {
  auto timer = Make("tick", 10, [&] { loop.Post([&] { Add("posted-by-tick"); }); });
  loop.Post([&] { Add("task"); });
  loop.AdvanceTo(20);
  EXPECT_EQ(log, (Log{"task@0", "tick@10", "posted-by-tick@10", "tick@20", "posted-by-tick@20"}));
  EXPECT_EQ(loop.PendingTaskCount(), 0u);
}

TEST_F(HeadlessEventLoopTest, RunEndsWhenIdleAtTheLimitOrOnQuitAfterWhichOnlyTimePasses) {
  loop.Post([&] { Add("task"); });
  EXPECT_EQ(loop.Run(), 0);  // nothing left after the task
  EXPECT_EQ(log, (Log{"task@0"}));
  int ticks = 0;
  auto timer = Make("t", 300, [&] {
    if (++ticks == 4) loop.Quit(5);
  });
  loop.SetRunLimit(1000);
  EXPECT_EQ(loop.Run(), 0);
  EXPECT_EQ(log, (Log{"task@0", "t@300", "t@600", "t@900"}));
  EXPECT_EQ(loop.NowMs(), 1000);
  loop.SetRunLimit(10000);
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(loop.NowMs(), 1200);
  EXPECT_TRUE(loop.Terminating());
  loop.Post([&] { ticks = 100; });
  loop.AdvanceBy(1000);  // waiting code still sees virtual time pass
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(loop.NowMs(), 2200);
}

TEST_F(HeadlessEventLoopTest, InvokeAndWaitFromWorkerRunsWhenTheLoopIsDrivenOrFailsOnQuit) {
  loop.AdvanceBy(40);
  int64_t ranAt = -1;
  auto result = std::async(std::launch::async, [&] { return loop.InvokeAndWait([&] { ranAt = loop.NowMs(); }, {}); });
  while (loop.PendingTaskCount() == 0) std::this_thread::yield();
  loop.RunPending();
  EXPECT_TRUE(result.get());
  EXPECT_EQ(ranAt, 40);
  EXPECT_TRUE(loop.InvokeAndWait([&] { ranAt = 0; }, {}));  // loop thread: at once
  EXPECT_EQ(ranAt, 0);

  auto released = std::async(std::launch::async, [&] { return loop.InvokeAndWait([&] { ranAt = 1; }, {}); });
  while (loop.PendingTaskCount() == 0) std::this_thread::yield();
  loop.Quit(0);
  EXPECT_FALSE(released.get());
  EXPECT_EQ(ranAt, 0);
}

}  // namespace
}  // namespace kpf::platform::headless
