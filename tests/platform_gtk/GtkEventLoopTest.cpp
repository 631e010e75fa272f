// The GLib-based loop: its own source drains the task queue, wakes for hand-overs from worker
// threads, recurses into nested waits that Quit ends, and releases waiting workers when it goes.
// The queue's own rules (cancelled and abandoned hand-overs, calls after Quit) are tested with
// the POSIX loop, which shares it. Needs GLib only, no X server.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/gtk/GtkEventLoop.hpp"

namespace kpf::platform::gtk {
namespace {

TEST(GtkEventLoopTest, PostedTasksRunInOrderAndQuitEndsRunWithItsFirstCode) {
  GtkEventLoop loop;
  std::string order;
  loop.Post([&] { order += 'a'; });
  loop.Post([&] { throw std::runtime_error("a failing task does not end the loop"); });
  loop.Post([&] {
    order += 'b';
    loop.Quit(5);
    loop.Quit(9);
  });
  loop.Post([&] { order += 'x'; });  // dropped by Quit
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(order, "ab");
  EXPECT_EQ(loop.Run(), 5);  // after Quit, Run returns at once
}

TEST(GtkEventLoopTest, HandOverFromAWorkerWakesTheLoopAndRunsOnItsThread) {
  GtkEventLoop loop;
  std::thread::id ranOn;
  bool invoked = false;
  std::thread worker([&] {
    invoked = loop.InvokeAndWait([&] { ranOn = std::this_thread::get_id(); }, [] { return false; });
    loop.Quit(0);
  });
  EXPECT_EQ(loop.Run(), 0);
  worker.join();
  EXPECT_TRUE(invoked);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(GtkEventLoopTest, NestedWaitsRunLaterTasksAndHandOversAndEndOnQuit) {
  GtkEventLoop loop;
  std::vector<std::string> log;
  std::thread worker;
  loop.Post([&] {
    log.push_back("outer begins");
    loop.Post([&] { log.push_back("posted"); });
    worker = std::thread([&] { loop.InvokeAndWait([&] { log.push_back("invoked"); }, {}); });
    for (int i = 0; i < 1000 && log.size() < 3; ++i) loop.ProcessEventsFor(10);
    log.push_back("outer ends");
    loop.Post([&] { loop.Quit(4); });
    loop.ProcessEventsFor(3600 * 1000);  // would hang the test if Quit did not end it
    log.push_back("wait ended");
  });
  EXPECT_EQ(loop.Run(), 4);
  worker.join();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[3], "outer ends");
  EXPECT_EQ(log[4], "wait ended");
}

TEST(GtkEventLoopTest, WaitsLastTheirTimeAndDestroyingTheLoopReleasesWaitingWorkers) {
  std::atomic<bool> waiting{false};
  bool invoked = true;
  std::thread worker;
  {
    GtkEventLoop loop;
    const int64_t first = loop.NowMs();
    loop.ProcessEventsFor(2);
    EXPECT_GE(first, 0);
    EXPECT_GE(loop.NowMs(), first + 2);
    worker = std::thread([&] {
      invoked = loop.InvokeAndWait([] {},
                                   [&] {
                                     waiting = true;
                                     return false;
                                   });
    });
    while (!waiting) std::this_thread::yield();
  }
  worker.join();
  EXPECT_FALSE(invoked);
}

}  // namespace
}  // namespace kpf::platform::gtk
