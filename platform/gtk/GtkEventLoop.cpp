#include "platform/gtk/GtkEventLoop.hpp"

#include <glib.h>

#include <utility>

#include "platform/PendingInvocation.hpp"

namespace kpf::platform::gtk {

// The GLib source that drains the task queue. It is ready whenever the queue holds a task.
struct GtkEventLoop::TaskSource {
  GSource base;
  GtkEventLoop* loop;

  static gboolean Prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    return Of(source).loop->HasTasks();
  }
  static gboolean Check(GSource* source) { return Of(source).loop->HasTasks(); }
  static gboolean Dispatch(GSource* source, GSourceFunc, gpointer) {
    Of(source).loop->RunOneTask();
    return G_SOURCE_CONTINUE;
  }
  static TaskSource& Of(GSource* source) { return *reinterpret_cast<TaskSource*>(source); }

  static GSourceFuncs* Funcs() {
    static GSourceFuncs funcs = {&Prepare, &Check, &Dispatch, nullptr, nullptr, nullptr};
    return &funcs;
  }
};

GtkEventLoop::GtkEventLoop()
    : start_(Clock::now()), context_(g_main_context_ref(g_main_context_default())),
      loopThread_(std::this_thread::get_id()) {
  source_ = g_source_new(TaskSource::Funcs(), sizeof(TaskSource));
  TaskSource::Of(source_).loop = this;
  // Tasks may wait in nested loops that must still run later tasks.
  g_source_set_can_recurse(source_, TRUE);
  g_source_set_priority(source_, G_PRIORITY_DEFAULT);
  g_source_attach(source_, context_);
}

GtkEventLoop::~GtkEventLoop() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    terminating_ = true;
    dropped.swap(queue_);
  }
  g_source_destroy(source_);
  g_source_unref(source_);
  g_main_context_unref(context_);
  // `dropped` goes out of scope outside the lock: its closures may release waiting workers.
}

void GtkEventLoop::Post(std::function<void()> task) { Enqueue(std::move(task)); }

bool GtkEventLoop::Enqueue(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (!terminating_) {
      queue_.push_back(std::move(task));
      g_main_context_wakeup(context_);
      return true;
    }
  }
  return false;  // `task` is destroyed here, outside the lock
}

bool GtkEventLoop::HasTasks() const {
  std::lock_guard lock(mutex_);
  return !queue_.empty();
}

void GtkEventLoop::RunOneTask() {
  std::function<void()> task;
  {
    std::lock_guard lock(mutex_);
    if (terminating_ || queue_.empty()) return;
    task = std::move(queue_.front());
    queue_.pop_front();
  }
  RunGuarded(task);
}

bool GtkEventLoop::InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) {
  bool onLoopThread = false;
  {
    std::lock_guard lock(mutex_);
    if (terminating_) return false;
    onLoopThread = std::this_thread::get_id() == loopThread_;
  }
  if (onLoopThread) {
    if (cancelled && cancelled()) return false;
    RunGuarded(task);
    return true;
  }
  return InvokeThroughQueue(std::move(task), cancelled,
                            [this](std::function<void()> loopTask) { return Enqueue(std::move(loopTask)); });
}

int GtkEventLoop::Run() {
  {
    std::lock_guard lock(mutex_);
    loopThread_ = std::this_thread::get_id();
  }
  // Quit sets the flag before waking the context, so a blocking iteration always returns to see it.
  while (!Terminating()) g_main_context_iteration(context_, TRUE);
  std::lock_guard lock(mutex_);
  return exitCode_;
}

void GtkEventLoop::Quit(int exitCode) {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    if (!terminating_) exitCode_ = exitCode;
    terminating_ = true;
    dropped.swap(queue_);
  }
  g_main_context_wakeup(context_);
}

bool GtkEventLoop::Terminating() const {
  std::lock_guard lock(mutex_);
  return terminating_;
}

void GtkEventLoop::ProcessEventsFor(uint32_t milliseconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (!Terminating()) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) break;
    // A source that fires at the deadline, so the blocking iteration wakes up in time. It is made
    // anew for each iteration: GLib's clock may fire it a little before ours reaches the deadline.
    GSource* alarm = g_timeout_source_new(static_cast<guint>(remaining.count()));
    g_source_set_callback(alarm, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(alarm, context_);
    g_main_context_iteration(context_, TRUE);
    g_source_destroy(alarm);
    g_source_unref(alarm);
  }
}

int64_t GtkEventLoop::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
}

void GtkEventLoop::RunGuarded(const std::function<void()>& task) {
  // A failing task must not end the loop that every other part of the player depends on, and
  // there is nobody to report it to.
  try {
    task();
  } catch (...) {
  }
}

}  // namespace kpf::platform::gtk
