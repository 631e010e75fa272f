#include "platform/posix/PosixEventLoop.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kpf::platform::posix {
namespace {

TEST(PosixEventLoop, RunsPostedTasksInOrderUntilQuit) {
  PosixEventLoop loop;
  std::vector<int> order;
  std::thread poster([&] {
    for (int i = 0; i < 5; ++i) loop.Post([&order, i] { order.push_back(i); });
    loop.Post([&] { loop.Quit(3); });
    loop.Post([&] { order.push_back(99); });  // after Quit: dropped
  });
  EXPECT_EQ(loop.Run(), 3);
  poster.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(loop.Terminating());
  EXPECT_EQ(loop.Run(), 3);  // a stopped loop stays stopped
}

TEST(PosixEventLoop, FailingTaskDoesNotEndTheLoop) {
  PosixEventLoop loop;
  loop.Post([] { throw std::runtime_error("boom"); });
  loop.Post([&] { loop.Quit(0); });
  EXPECT_EQ(loop.Run(), 0);
}

TEST(PosixEventLoop, InvokeAndWaitRunsOnLoopThreadBeforeReturning) {
  PosixEventLoop loop;
  const auto loopThread = std::this_thread::get_id();
  std::thread::id ranOn;
  bool ran = false;
  std::thread worker([&] {
    const bool result = loop.InvokeAndWait([&] { ranOn = std::this_thread::get_id(); ran = true; }, {});
    EXPECT_TRUE(result);
    EXPECT_TRUE(ran);  // visible because the worker waited for it
    loop.Post([&] { loop.Quit(0); });
  });
  loop.Run();
  worker.join();
  EXPECT_EQ(ranOn, loopThread);
}

TEST(PosixEventLoop, InvokeAndWaitOnLoopThreadRunsAtOnce) {
  PosixEventLoop loop;
  int runs = 0;
  EXPECT_TRUE(loop.InvokeAndWait([&] { ++runs; }, {}));
  EXPECT_FALSE(loop.InvokeAndWait([&] { ++runs; }, [] { return true; }));
  EXPECT_EQ(runs, 1);
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

TEST(PosixEventLoop, QuitReleasesWaitingWorkers) {
  PosixEventLoop loop;
  std::promise<void> entered;
  std::atomic<bool> signalled{false};
  bool ran = false;
  auto result = std::async(std::launch::async, [&] {
    return loop.InvokeAndWait([&] { ran = true; }, [&] {
      if (!signalled.exchange(true)) entered.set_value();
      return false;
    });
  });
  entered.get_future().wait();  // the worker's task is queued by now
  loop.Quit(1);
  EXPECT_FALSE(result.get());
  EXPECT_FALSE(ran);
  EXPECT_FALSE(loop.InvokeAndWait([&] { ran = true; }, {}));
}

TEST(PosixEventLoop, DestructionReleasesWaitingWorkers) {
  auto loop = std::make_unique<PosixEventLoop>();
  std::promise<void> entered;
  std::atomic<bool> signalled{false};
  auto result = std::async(std::launch::async, [&] {
    return loop->InvokeAndWait([] {}, [&] {
      if (!signalled.exchange(true)) entered.set_value();
      return false;
    });
  });
  entered.get_future().wait();
  loop.reset();
  EXPECT_FALSE(result.get());
}

TEST(PosixEventLoop, ProcessEventsForRunsTasksNestedAndStopsOnQuit) {
  PosixEventLoop loop;
  std::vector<int> order;
  loop.Post([&] {
    order.push_back(1);
    loop.Post([&] { order.push_back(3); });
    loop.ProcessEventsFor(20);  // runs the task posted above before returning
    order.push_back(4);
    loop.Quit(0);
    loop.ProcessEventsFor(60000);  // returns at once: the loop is quitting
    order.push_back(5);
  });
  loop.Post([&] { order.push_back(2); });
  loop.Run();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(PosixEventLoop, ClockIsMonotonic) {
  PosixEventLoop loop;
  const int64_t before = loop.NowMs();
  loop.ProcessEventsFor(5);
  EXPECT_GE(before, 0);
  EXPECT_GE(loop.NowMs(), before + 5);
}

}  // namespace
}  // namespace kpf::platform::posix
