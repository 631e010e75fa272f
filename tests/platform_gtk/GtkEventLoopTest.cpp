// The GLib-based loop: order of posted tasks, hand-over from worker threads, nested waits, and
// quitting while workers wait. Needs GLib only, no X server.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/gtk/GtkEventLoop.hpp"

namespace kpf::platform::gtk {
namespace {

// Waits on the loop thread (not running the loop) until another thread sets `flag`.
void SpinUntil(const std::atomic<bool>& flag) {
  while (!flag.load()) std::this_thread::yield();
}

TEST(GtkEventLoopTest, PostedTasksRunInOrderAndQuitEndsRunWithItsCode) {
  GtkEventLoop loop;
  std::string order;
  loop.Post([&] { order += 'a'; });
  loop.Post([&] { throw std::runtime_error("a failing task does not end the loop"); });
  loop.Post([&] { order += 'b'; });
  loop.Post([&] {
    order += 'c';
    loop.Quit(5);
    loop.Quit(9);  // the first code stays
  });
  loop.Post([&] { order += 'x'; });  // dropped by Quit
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(order, "abc");
  EXPECT_TRUE(loop.Terminating());
}

TEST(GtkEventLoopTest, RunAfterQuitReturnsAtOnceAndLaterTasksAreDropped) {
  GtkEventLoop loop;
  loop.Quit(2);
  bool ran = false;
  loop.Post([&] { ran = true; });
  EXPECT_EQ(loop.Run(), 2);
  EXPECT_FALSE(ran);
  EXPECT_FALSE(loop.InvokeAndWait([&] { ran = true; }, {}));
  EXPECT_FALSE(ran);
}

TEST(GtkEventLoopTest, InvokeAndWaitFromWorkerRunsOnTheLoopThread) {
  GtkEventLoop loop;
  const auto loopThread = std::this_thread::get_id();
  std::thread::id ranOn;
  bool invoked = false;
  std::thread worker([&] {
    invoked = loop.InvokeAndWait([&] { ranOn = std::this_thread::get_id(); }, [] { return false; });
    loop.Quit(0);
  });
  EXPECT_EQ(loop.Run(), 0);
  worker.join();
  EXPECT_TRUE(invoked);
  EXPECT_EQ(ranOn, loopThread);
}

TEST(GtkEventLoopTest, InvokeAndWaitOnTheLoopThreadRunsAtOnce) {
  GtkEventLoop loop;
  int runs = 0;
  EXPECT_TRUE(loop.InvokeAndWait([&] { ++runs; }, {}));
  EXPECT_FALSE(loop.InvokeAndWait([&] { ++runs; }, [] { return true; }));
  EXPECT_EQ(runs, 1);
}

// A worker thread that hands a task to the loop and waits for it; Start returns once it waits.
struct WaitingWorker {
  void Start(GtkEventLoop& loop) {
    thread = std::thread([this, &loop] {
      invoked = loop.InvokeAndWait([this] { ran = true; }, [this] {
        waiting = true;
        return cancel.load();
      });
      returned = true;
    });
    SpinUntil(waiting);
  }

  std::atomic<bool> waiting{false}, cancel{false}, returned{false}, ran{false};
  bool invoked = true;
  std::thread thread;
};

TEST(GtkEventLoopTest, QuitWhileAWorkerWaitsReleasesIt) {
  GtkEventLoop loop;
  WaitingWorker worker;
  loop.Post([&] {
    // The loop thread is busy here, so the worker's task stays queued while it waits.
    worker.Start(loop);
    loop.Quit(3);
  });
  EXPECT_EQ(loop.Run(), 3);
  worker.thread.join();
  EXPECT_FALSE(worker.invoked);
  EXPECT_FALSE(worker.ran);
}

TEST(GtkEventLoopTest, CancelledWorkerGivesUpAndItsTaskNeverRuns) {
  GtkEventLoop loop;
  WaitingWorker worker;
  loop.Post([&] {
    worker.Start(loop);
    worker.cancel = true;
    SpinUntil(worker.returned);
    // The abandoned task is still queued; running it now must do nothing.
    loop.Post([&] { loop.Quit(0); });
  });
  EXPECT_EQ(loop.Run(), 0);
  worker.thread.join();
  EXPECT_FALSE(worker.invoked);
  EXPECT_FALSE(worker.ran);
}

TEST(GtkEventLoopTest, NestedWaitRunsLaterTasksAndWorkerHandOvers) {
  GtkEventLoop loop;
  std::vector<std::string> log;
  std::thread worker;
  loop.Post([&] {
    log.push_back("outer begins");
    loop.Post([&] { log.push_back("posted"); });
    worker = std::thread([&] { loop.InvokeAndWait([&] { log.push_back("invoked"); }, {}); });
    for (int i = 0; i < 1000 && log.size() < 3; ++i) loop.ProcessEventsFor(10);
    log.push_back("outer ends");
    loop.Quit(0);
  });
  loop.Run();
  worker.join();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], "outer begins");
  EXPECT_EQ(log[3], "outer ends");
}

TEST(GtkEventLoopTest, NestedWaitEndsWhenQuitIsAskedFor) {
  GtkEventLoop loop;
  bool waitEnded = false;
  loop.Post([&] {
    loop.Post([&] { loop.Quit(4); });
    loop.ProcessEventsFor(3600 * 1000);  // would hang the test if Quit did not end it
    waitEnded = true;
  });
  EXPECT_EQ(loop.Run(), 4);
  EXPECT_TRUE(waitEnded);
}

TEST(GtkEventLoopTest, DestroyingTheLoopReleasesQueuedWorkers) {
  WaitingWorker worker;
  {
    GtkEventLoop loop;
    worker.Start(loop);
  }
  worker.thread.join();
  EXPECT_FALSE(worker.invoked);
}

TEST(GtkEventLoopTest, ClockIsMonotonic) {
  GtkEventLoop loop;
  const int64_t first = loop.NowMs();
  loop.ProcessEventsFor(2);
  EXPECT_GE(first, 0);
  EXPECT_GE(loop.NowMs(), first + 2);
}

}  // namespace
}  // namespace kpf::platform::gtk
