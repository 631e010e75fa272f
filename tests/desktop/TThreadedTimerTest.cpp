#include "desktop/TThreadedTimer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/posix/PosixEventLoop.hpp"

namespace kpf::desktop {
namespace {

using platform::posix::PosixEventLoop;

// Runs the loop until `done` holds. The generous cap only turns a hang into a failure.
template <typename Predicate>
bool PumpUntil(PosixEventLoop& loop, Predicate done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    loop.ProcessEventsFor(1);
  }
  return true;
}

// Notes when the timer thread hands in a tick, so a test can act while that tick is still queued.
struct WatchedLoop : PosixEventLoop {
  void Post(std::function<void()> task) override {
    PosixEventLoop::Post(std::move(task));
    posted = true;
  }
  std::atomic<bool> posted{false};
};

// One timer on a real loop, counting its ticks.
class TickingTimer : public ::testing::Test {
 protected:
  // Ticks every `interval` ms, running `extra` after each count.
  void Start(uint32_t interval, std::function<void()> extra = {}) {
    timer_.SetInterval(interval);
    timer_.SetOnTimer([this, extra] {
      ++ticks_;
      if (extra) extra();
    });
    timer_.SetEnabled(true);
  }
  // Runs the loop a while and reports whether no tick came meanwhile.
  bool Quiet() {
    const int before = ticks_;
    loop_.ProcessEventsFor(30);
    return ticks_ == before;
  }

  TTimerThread thread_;
  PosixEventLoop loop_;
  TThreadedTimer timer_{thread_, loop_};
  int ticks_ = 0;
};

TEST_F(TickingTimer, FailingHandlerKeepsTickingUntilDisabledAndResumesWhenEnabled) {
  Start(1, [] { throw std::runtime_error("handler failure"); });
  ASSERT_TRUE(PumpUntil(loop_, [&] { return ticks_ >= 3; }));
  timer_.SetEnabled(false);
  EXPECT_TRUE(Quiet());
  const int atStop = ticks_;
  timer_.SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop_, [&] { return ticks_ > atStop; }));
}

TEST_F(TickingTimer, DisablingInsideHandlerStopsTicks) {
  Start(1, [&] { timer_.SetEnabled(false); });
  ASSERT_TRUE(PumpUntil(loop_, [&] { return ticks_ == 1; }));
  EXPECT_TRUE(Quiet());
  EXPECT_FALSE(timer_.Enabled());
}

TEST_F(TickingTimer, IntervalChangeRestartsTheWait) {
  // An hour: only a restart with the new value makes it tick; after two ticks back to an hour.
  Start(3'600'000, [&] {
    if (ticks_ == 2) timer_.SetInterval(3'600'000);
  });
  timer_.SetInterval(1);
  ASSERT_TRUE(PumpUntil(loop_, [&] { return ticks_ == 2; }));
  EXPECT_TRUE(Quiet());
  EXPECT_TRUE(timer_.Enabled());
}

TEST_F(TickingTimer, ZeroIntervalTicksOnlyWhenAllowed) {
  Start(0);
  EXPECT_TRUE(Quiet());
  timer_.SetAllowZero(true);
  ASSERT_TRUE(PumpUntil(loop_, [&] { return ticks_ >= 50; }));
  timer_.SetAllowZero(false);
  EXPECT_TRUE(Quiet());
}

TEST_F(TickingTimer, StoppedLoopEndsDelivery) {
  timer_.SetAllowZero(true);
  Start(0, [&] {
    if (ticks_ == 5) loop_.Quit(0);
  });
  loop_.Run();
  EXPECT_EQ(ticks_, 5);
  EXPECT_TRUE(Quiet());
}  // the destructor ends a worker that no longer delivers

TEST(TThreadedTimer, DestructionWhileTickPendingDropsTheTick) {
  TTimerThread thread;
  WatchedLoop loop;
  int ticks = 0;
  auto timer = std::make_unique<TThreadedTimer>(thread, loop);
  timer->SetInterval(1);
  timer->SetOnTimer([&] { ++ticks; });
  timer->SetEnabled(true);
  while (!loop.posted) std::this_thread::yield();  // a tick is queued; the loop has not run it
  timer.reset();
  loop.ProcessEventsFor(20);
  EXPECT_EQ(ticks, 0);
}

TEST(TThreadedTimer, DestructionInsideOwnTick) {
  TTimerThread thread;
  PosixEventLoop loop;
  auto timer = std::make_unique<TThreadedTimer>(thread, loop);
  int ticks = 0;
  timer->SetInterval(1);
  timer->SetOnTimer([&] {
    ++ticks;
    timer.reset();
  });
  timer->SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return timer == nullptr; }));
  loop.ProcessEventsFor(20);
  EXPECT_EQ(ticks, 1);
}

TEST(TThreadedTimer, DestructionByAnotherTimerNestedInsideOwnTick) {
  TTimerThread thread;
  PosixEventLoop loop;
  auto outer = std::make_unique<TThreadedTimer>(thread, loop);
  TThreadedTimer killer(thread, loop);
  int outerTicks = 0;
  bool outerHandlerFinished = false;
  killer.SetInterval(1);
  killer.SetOnTimer([&] {
    killer.SetEnabled(false);
    outer.reset();
  });
  outer->SetInterval(1);
  outer->SetOnTimer([&] {
    ++outerTicks;
    killer.SetEnabled(true);
    // Waits with the loop running, so the other timer's tick runs nested in this one.
    while (outer != nullptr) loop.ProcessEventsFor(1);
    outerHandlerFinished = true;
  });
  outer->SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return outerHandlerFinished; }));
  loop.ProcessEventsFor(20);
  EXPECT_EQ(outerTicks, 1);
}

TEST(TTimerThread, TicksOfSeveralTimersReachTheLoopInTheOrderOfTheirDeadlines) {
  TTimerThread thread;
  PosixEventLoop loop;
  std::vector<std::unique_ptr<TThreadedTimer>> timers;
  std::vector<int> order;
  // Started longest first; the loop runs only once all of them are due, so every tick is queued
  // before the first one runs.
  for (int i = 0; i < 3; ++i) {
    timers.push_back(std::make_unique<TThreadedTimer>(thread, loop));
    TThreadedTimer& timer = *timers.back();
    timer.SetInterval(static_cast<uint32_t>(150 - 50 * i));
    timer.SetOnTimer([&order, &timer, i] {
      order.push_back(i);
      timer.SetEnabled(false);
    });
    timer.SetEnabled(true);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(PumpUntil(loop, [&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
}

TEST(TTimerThread, TickWaitingInANestedLoopDoesNotHoldBackOtherTimers) {
  // Like a modal dialog inside a tick: the other timer keeps ticking, this one does not overlap.
  TTimerThread thread;
  PosixEventLoop loop;
  TThreadedTimer modal(thread, loop);
  TThreadedTimer other(thread, loop);
  int modalTicks = 0;
  int otherTicks = 0;
  bool released = false;
  other.SetInterval(1);
  other.SetOnTimer([&] { ++otherTicks; });
  modal.SetInterval(1);
  modal.SetOnTimer([&] {
    if (++modalTicks > 1) return;
    other.SetEnabled(true);
    released = PumpUntil(loop, [&] { return otherTicks >= 5; });
    modal.SetEnabled(false);
  });
  modal.SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return !modal.Enabled(); }));
  EXPECT_TRUE(released);
  EXPECT_EQ(modalTicks, 1);
}

TEST(TTimerThread, RemovedTimersLeaveTheThreadAndItsEndStopsTheRest) {
  auto thread = std::make_unique<TTimerThread>();
  WatchedLoop loop;
  int ticks = 0;
  auto first = std::make_unique<TThreadedTimer>(*thread, loop);
  TThreadedTimer second(*thread, loop);
  EXPECT_EQ(thread->SlotCount(), 2);
  first.reset();
  EXPECT_EQ(thread->SlotCount(), 1);

  second.SetInterval(1);
  second.SetOnTimer([&] { ++ticks; });
  second.SetEnabled(true);
  while (!loop.posted) std::this_thread::yield();
  thread.reset();  // joins although a tick is queued and the timer is still enabled
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks == 1; }));  // the queued tick still runs
  loop.ProcessEventsFor(20);
  EXPECT_EQ(ticks, 1);
  second.SetInterval(2);  // a timer that outlives its thread stays usable, without ticks
  loop.ProcessEventsFor(20);
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace kpf::desktop
