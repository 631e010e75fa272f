#include "platform/headless/HeadlessEventLoop.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/HeadlessTimer.hpp"

namespace kpf::platform::headless {
namespace {

// Records "<name>@<virtual time>" for every tick of the timers it makes.
class TickLog {
 public:
  explicit TickLog(HeadlessEventLoop& loop) : loop_(loop) {}
  std::unique_ptr<platform::Timer> Make(const std::string& name, uint32_t interval) {
    auto timer = loop_.CreateTimer();
    timer->SetInterval(interval);
    timer->SetOnTimer([this, name] { Add(name); });
    return timer;
  }
  void Add(const std::string& name) { entries.push_back(name + "@" + std::to_string(loop_.NowMs())); }
  std::vector<std::string> entries;

 private:
  HeadlessEventLoop& loop_;
};

using Log = std::vector<std::string>;

TEST(HeadlessEventLoop, TicksAtExactDueTimes) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto timer = log.Make("a", 100);
  EXPECT_EQ(loop.NowMs(), 0);
  timer->SetEnabled(true);
  loop.AdvanceBy(350);
  EXPECT_EQ(log.entries, (Log{"a@100", "a@200", "a@300"}));
  EXPECT_EQ(loop.NowMs(), 350);
  loop.AdvanceTo(100);  // the past: nothing runs, the clock stays
  EXPECT_EQ(loop.NowMs(), 350);
}

TEST(HeadlessEventLoop, SimultaneousTicksFollowCreationOrder) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto first = log.Make("first", 100);
  auto second = log.Make("second", 50);
  second->SetEnabled(true);  // enabled first, but created later
  first->SetEnabled(true);
  loop.AdvanceBy(100);
  EXPECT_EQ(log.entries, (Log{"second@50", "first@100", "second@100"}));
}

TEST(HeadlessEventLoop, NextTickCountsFromTheEndOfTheHandlerIncludingNestedWaits) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto other = log.Make("other", 10);
  auto slow = loop.CreateTimer();
  slow->SetInterval(100);
  slow->SetOnTimer([&] {
    log.Add("slow");
    loop.ProcessEventsFor(30);  // the other timer keeps ticking meanwhile
  });
  slow->SetEnabled(true);
  loop.AdvanceBy(95);
  other->SetEnabled(true);  // ticks at 105, 115, 125, ...
  loop.AdvanceTo(230);
  other->SetEnabled(false);
  EXPECT_EQ(log.entries, (Log{"slow@100", "other@105", "other@115", "other@125", "other@135", "other@145",
                              "other@155", "other@165", "other@175", "other@185", "other@195", "other@205",
                              "other@215", "other@225", "slow@230", "other@235", "other@245", "other@255"}));
  EXPECT_EQ(loop.NowMs(), 260);  // the nested wait of the last tick moved the clock past 230
  loop.AdvanceTo(360);
  EXPECT_EQ(log.entries.back(), "slow@360");
}

TEST(HeadlessEventLoop, EnablingAndIntervalChangesRestartTheWait) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto timer = log.Make("t", 100);
  loop.AdvanceBy(40);
  timer->SetEnabled(true);  // due 140
  loop.AdvanceBy(60);
  timer->SetInterval(80);  // at 100: due 180
  timer->SetInterval(80);  // unchanged: no restart
  loop.AdvanceTo(180);
  timer->SetEnabled(false);
  loop.AdvanceTo(1000);
  EXPECT_EQ(log.entries, (Log{"t@180"}));
}

TEST(HeadlessEventLoop, ChangesInsideATickCountFromItsEnd) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto timer = loop.CreateTimer();
  timer->SetInterval(10);
  timer->SetOnTimer([&] {
    log.Add("t");
    // The frame-step pattern: disable, take the next duration, wait, enable.
    timer->SetEnabled(false);
    timer->SetInterval(timer->Interval() * 2);
    loop.ProcessEventsFor(5);
    timer->SetEnabled(true);
  });
  timer->SetEnabled(true);
  loop.AdvanceTo(100);
  EXPECT_EQ(log.entries, (Log{"t@10", "t@35", "t@80"}));
}

TEST(HeadlessEventLoop, ZeroInterval) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto timer = log.Make("z", 0);
  timer->SetEnabled(true);
  loop.AdvanceBy(10);
  EXPECT_TRUE(log.entries.empty());
  // Allowed zero intervals wait one virtual millisecond, so the clock cannot stall.
  timer->SetAllowZero(true);
  loop.AdvanceBy(3);
  EXPECT_EQ(log.entries, (Log{"z@11", "z@12", "z@13"}));
  timer->SetAllowZero(false);
  loop.AdvanceBy(10);
  EXPECT_EQ(log.entries.size(), 3u);
}

TEST(HeadlessEventLoop, HandlerFailuresAndSelfDisabling) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto failing = loop.CreateTimer();
  failing->SetInterval(10);
  failing->SetOnTimer([&] {
    log.Add("fail");
    throw std::runtime_error("tick failure");
  });
  auto once = loop.CreateTimer();
  once->SetInterval(15);
  once->SetOnTimer([&] {
    log.Add("once");
    once->SetEnabled(false);
  });
  failing->SetEnabled(true);
  once->SetEnabled(true);
  loop.AdvanceTo(30);
  EXPECT_EQ(log.entries, (Log{"fail@10", "once@15", "fail@20", "fail@30"}));
}

TEST(HeadlessEventLoop, TimersDestroyedDuringTicks) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  std::unique_ptr<platform::Timer> victim;
  auto self = loop.CreateTimer();
  auto killer = loop.CreateTimer();
  self->SetInterval(5);
  self->SetOnTimer([&] {
    log.Add("self");
    self.reset();
  });
  killer->SetInterval(10);
  killer->SetOnTimer([&] {
    log.Add("killer");
    victim.reset();
  });
  victim = log.Make("victim", 10);  // due with the killer, but created later: ticks after it
  victim->SetEnabled(true);
  self->SetEnabled(true);
  killer->SetEnabled(true);
  loop.AdvanceTo(50);
  EXPECT_EQ(log.entries, (Log{"self@5", "killer@10", "killer@20", "killer@30", "killer@40", "killer@50"}));
}

TEST(HeadlessEventLoop, PostedTasksRunBeforeLaterTicks) {
  HeadlessEventLoop loop;
  TickLog log(loop);
  auto timer = loop.CreateTimer();
  timer->SetInterval(10);
  timer->SetOnTimer([&] {
    log.Add("tick");
    loop.Post([&] { log.Add("posted-by-tick"); });
  });
  timer->SetEnabled(true);
  loop.Post([&] { log.Add("task"); });
  loop.AdvanceTo(20);
  EXPECT_EQ(log.entries, (Log{"task@0", "tick@10", "posted-by-tick@10", "tick@20", "posted-by-tick@20"}));
  EXPECT_EQ(loop.PendingTaskCount(), 0u);
}

TEST(HeadlessEventLoop, RunEndsWhenIdleAtTheLimitOrOnQuit) {
  {
    HeadlessEventLoop loop;
    int ran = 0;
    loop.Post([&] { ++ran; });
    EXPECT_EQ(loop.Run(), 0);  // nothing left after the task
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(loop.NowMs(), 0);
  }
  {
    HeadlessEventLoop loop;
    TickLog log(loop);
    auto timer = log.Make("t", 300);
    timer->SetEnabled(true);
    loop.SetRunLimit(1000);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(log.entries, (Log{"t@300", "t@600", "t@900"}));
    EXPECT_EQ(loop.NowMs(), 1000);
  }
  {
    HeadlessEventLoop loop;
    auto timer = loop.CreateTimer();
    int ticks = 0;
    timer->SetInterval(7);
    timer->SetOnTimer([&] {
      if (++ticks == 3) loop.Quit(5);
    });
    timer->SetEnabled(true);
    loop.Post([] {});
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(loop.NowMs(), 21);
    EXPECT_TRUE(loop.Terminating());
    // After Quit nothing runs, but waiting code still sees virtual time pass.
    loop.Post([&] { ticks = 100; });
    loop.AdvanceBy(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(loop.NowMs(), 121);
  }
}

TEST(HeadlessEventLoop, InvokeAndWaitFromWorkerRunsWhenTheLoopIsDriven) {
  HeadlessEventLoop loop;
  loop.AdvanceBy(40);
  int64_t ranAt = -1;
  auto result = std::async(std::launch::async, [&] { return loop.InvokeAndWait([&] { ranAt = loop.NowMs(); }, {}); });
  while (loop.PendingTaskCount() == 0) std::this_thread::yield();
  loop.RunPending();
  EXPECT_TRUE(result.get());
  EXPECT_EQ(ranAt, 40);
  EXPECT_TRUE(loop.InvokeAndWait([&] { ranAt = 0; }, {}));  // loop thread: at once
  EXPECT_EQ(ranAt, 0);
}

TEST(HeadlessEventLoop, QuitReleasesWaitingWorker) {
  HeadlessEventLoop loop;
  bool ran = false;
  auto result = std::async(std::launch::async, [&] { return loop.InvokeAndWait([&] { ran = true; }, {}); });
  while (loop.PendingTaskCount() == 0) std::this_thread::yield();
  loop.Quit(0);
  EXPECT_FALSE(result.get());
  EXPECT_FALSE(ran);
}

TEST(HeadlessEventLoop, TimerMayOutliveItsLoop) {
  std::unique_ptr<platform::Timer> timer;
  {
    HeadlessEventLoop loop;
    timer = loop.CreateTimer();
    timer->SetEnabled(true);
  }
  timer->SetInterval(5);
  timer->SetEnabled(false);
  timer.reset();
}

}  // namespace
}  // namespace kpf::platform::headless
