#include "desktop/TThreadedTimer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
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

// Forwards to a real loop and lets the test wait until a worker has handed in a tick.
class WatchedLoop : public platform::EventLoop {
 public:
  explicit WatchedLoop(PosixEventLoop& inner) : inner_(inner) {}
  void Post(std::function<void()> task) override { inner_.Post(std::move(task)); }
  bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) override {
    {
      std::lock_guard lock(mutex_);
      ++invocations_;
      changed_.notify_all();
    }
    return inner_.InvokeAndWait(std::move(task), cancelled);
  }
  int Run() override { return inner_.Run(); }
  void Quit(int exitCode) override { inner_.Quit(exitCode); }
  bool Terminating() const override { return inner_.Terminating(); }
  void ProcessEventsFor(uint32_t milliseconds) override { inner_.ProcessEventsFor(milliseconds); }
  int64_t NowMs() const override { return inner_.NowMs(); }

  void WaitForInvocation() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return invocations_ > 0; });
  }

 private:
  PosixEventLoop& inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int invocations_ = 0;
};

TEST(TThreadedTimer, DefaultsAndProperties) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_FALSE(timer.AllowZero());
  EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpNormal);
  timer.SetInterval(25);
  timer.SetAllowZero(true);
  timer.SetThreadPriority(TThreadPriority::tpHigher);
  EXPECT_EQ(timer.Interval(), 25u);
  EXPECT_TRUE(timer.AllowZero());
  EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpHigher);
}

TEST(TThreadedTimer, TicksWhileEnabledAndStopsWhenDisabled) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&] { ++ticks; });
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  const int atStop = ticks;
  loop.ProcessEventsFor(30);
  EXPECT_EQ(ticks, atStop);
  timer.SetEnabled(true);  // resumes
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks > atStop; }));
}

TEST(TThreadedTimer, DisablingInsideHandlerStopsTicks) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&] {
    ++ticks;
    timer.SetEnabled(false);
  });
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks == 1; }));
  loop.ProcessEventsFor(30);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer.Enabled());
}

TEST(TThreadedTimer, IntervalChangeRestartsTheWait) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  int ticks = 0;
  timer.SetInterval(3'600'000);  // an hour: only a restart with the new value makes it tick
  timer.SetOnTimer([&] {
    ++ticks;
    if (ticks == 2) timer.SetInterval(3'600'000);  // and back: no further tick
  });
  timer.SetEnabled(true);
  timer.SetInterval(1);
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks == 2; }));
  loop.ProcessEventsFor(30);
  EXPECT_EQ(ticks, 2);
  EXPECT_TRUE(timer.Enabled());
}

TEST(TThreadedTimer, ZeroIntervalTicksOnlyWhenAllowed) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  int ticks = 0;
  timer.SetInterval(0);
  timer.SetOnTimer([&] { ++ticks; });
  timer.SetEnabled(true);
  loop.ProcessEventsFor(30);
  EXPECT_EQ(ticks, 0);
  timer.SetAllowZero(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks >= 50; }));
  timer.SetAllowZero(false);
  const int atStop = ticks;
  loop.ProcessEventsFor(30);
  EXPECT_EQ(ticks, atStop);
}

TEST(TThreadedTimer, HandlerExceptionDoesNotStopLaterTicks) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&] {
    ++ticks;
    throw std::runtime_error("handler failure");
  });
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil(loop, [&] { return ticks >= 3; }));
}

TEST(TThreadedTimer, DestructionWhileTickPendingDropsTheTick) {
  PosixEventLoop inner;
  WatchedLoop loop(inner);
  int ticks = 0;
  auto timer = std::make_unique<TThreadedTimer>(loop);
  timer->SetInterval(1);
  timer->SetOnTimer([&] { ++ticks; });
  timer->SetEnabled(true);
  loop.WaitForInvocation();  // a tick is queued; the loop has not run it
  timer.reset();              // must return although the worker waits for that tick
  inner.ProcessEventsFor(20);
  EXPECT_EQ(ticks, 0);
}

TEST(TThreadedTimer, DestructionInsideOwnTick) {
  PosixEventLoop loop;
  auto timer = std::make_unique<TThreadedTimer>(loop);
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
  PosixEventLoop loop;
  auto outer = std::make_unique<TThreadedTimer>(loop);
  TThreadedTimer killer(loop);
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

TEST(TThreadedTimer, ManyTimersTickIndependently) {
  PosixEventLoop loop;
  std::vector<std::unique_ptr<TThreadedTimer>> timers;
  std::vector<int> ticks(4, 0);
  for (size_t i = 0; i < ticks.size(); ++i) {
    timers.push_back(std::make_unique<TThreadedTimer>(loop));
    timers.back()->SetInterval(static_cast<uint32_t>(1 + i));
    timers.back()->SetOnTimer([&ticks, i] { ++ticks[i]; });
    timers.back()->SetEnabled(true);
  }
  ASSERT_TRUE(PumpUntil(loop, [&] {
    return std::all_of(ticks.begin(), ticks.end(), [](int count) { return count >= 2; });
  }));
  timers.clear();
}

TEST(TThreadedTimer, StoppedLoopEndsDelivery) {
  PosixEventLoop loop;
  TThreadedTimer timer(loop);
  int ticks = 0;
  timer.SetInterval(0);
  timer.SetAllowZero(true);
  timer.SetOnTimer([&] {
    if (++ticks == 5) loop.Quit(0);
  });
  timer.SetEnabled(true);
  loop.Run();
  EXPECT_EQ(ticks, 5);
  loop.ProcessEventsFor(10);
  EXPECT_EQ(ticks, 5);
}  // the destructor ends a worker that no longer delivers

}  // namespace
}  // namespace kpf::desktop
