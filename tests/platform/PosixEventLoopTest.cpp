#include "platform/posix/PosixEventLoop.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace kpf::platform::posix {
namespace {

TEST(PosixEventLoop, RunsPostedTasksInOrderUntilQuitPastFailingOnes) {
  PosixEventLoop loop;
  std::vector<int> order;
  std::thread poster([&] {
    for (int i = 0; i < 5; ++i) loop.Post([&order, i] { order.push_back(i); });
    loop.Post([] { throw std::runtime_error("boom"); });
    loop.Post([&] { loop.Quit(3); });
    loop.Post([&] { order.push_back(99); });  // after Quit: dropped
  });
  EXPECT_EQ(loop.Run(), 3);
  poster.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(loop.Terminating());
  EXPECT_EQ(loop.Run(), 3);  // a stopped loop stays stopped
}

TEST(PosixEventLoop, InvokeAndWaitRunsOnLoopThreadBeforeReturning) {
  PosixEventLoop loop;
  int runs = 0;
  EXPECT_TRUE(loop.InvokeAndWait([&] { ++runs; }, {}));  // on the loop thread: at once
  EXPECT_FALSE(loop.InvokeAndWait([&] { ++runs; }, [] { return true; }));
  EXPECT_EQ(runs, 1);
  const auto loopThread = std::this_thread::get_id();
  std::thread::id ranOn;
  std::thread worker([&] {
    EXPECT_TRUE(loop.InvokeAndWait([&] { ranOn = std::this_thread::get_id(); ++runs; }, {}));
    EXPECT_EQ(runs, 2);  // visible because the worker waited for it
    loop.Post([&] { loop.Quit(0); });
  });
  loop.Run();
  worker.join();
  EXPECT_EQ(ranOn, loopThread);
}

TEST(PosixEventLoop, CancelledInvocationNeverRuns) {
  PosixEventLoop loop;
  std::atomic<bool> cancel{false};
  bool ran = false;
  auto result = std::async(std::launch::async, [&] { return loop.InvokeAndWait([&] { ran = true; }, [&] { return cancel.load(); }); });
  cancel = true;
  EXPECT_FALSE(result.get());
  loop.Post([&] { loop.Quit(0); });
  loop.Run();  // the abandoned task is still queued and must be skipped
  EXPECT_FALSE(ran);
}

// A worker's InvokeAndWait whose task is known to be queued when this returns.
std::future<bool> QueuedInvocation(PosixEventLoop& loop, bool& ran) {
  auto entered = std::make_shared<std::promise<void>>();
  auto queued = entered->get_future();
  auto result = std::async(std::launch::async, [&loop, &ran, entered] {
    bool signalled = false;
    return loop.InvokeAndWait([&ran] { ran = true; }, [&] {
      if (!std::exchange(signalled, true)) entered->set_value();
      return false;
    });
  });
  queued.wait();
  return result;
}

TEST(PosixEventLoop, QuitOrDestructionReleasesWaitingWorkers) {
  bool ran = false;
  PosixEventLoop loop;
  auto result = QueuedInvocation(loop, ran);
  loop.Quit(1);
  EXPECT_FALSE(result.get());
  EXPECT_FALSE(loop.InvokeAndWait([&] { ran = true; }, {}));
  auto doomed = std::make_unique<PosixEventLoop>();
  auto released = QueuedInvocation(*doomed, ran);
  doomed.reset();
  EXPECT_FALSE(released.get());
  EXPECT_FALSE(ran);
}

TEST(PosixEventLoop, ProcessEventsForRunsTasksNestedOnTheMonotonicClockAndStopsOnQuit) {
  PosixEventLoop loop;
  std::vector<int> order;
  const int64_t before = loop.NowMs();
  EXPECT_GE(before, 0);
  loop.Post([&] {
    order.push_back(1);
    loop.Post([&] { order.push_back(3); });
    loop.ProcessEventsFor(20);  // runs the task posted above before returning
    EXPECT_GE(loop.NowMs(), before + 20);
    order.push_back(4);
    loop.Quit(0);
    loop.ProcessEventsFor(60000);  // returns at once: the loop is quitting
    order.push_back(5);
  });
  loop.Post([&] { order.push_back(2); });
  loop.Run();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace kpf::platform::posix
