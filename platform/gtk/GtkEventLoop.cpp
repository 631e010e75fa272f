#include "platform/gtk/GtkEventLoop.hpp"

#include <glib.h>

#include <utility>


namespace kpf::platform::gtk {

// The GLib source that drains the task queue. It is ready whenever the queue holds a task.
struct GtkEventLoop::TaskSource {
  GSource base;
  GtkEventLoop* loop;

  static gboolean Prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    return Of(source).loop->tasks_.HasTasks();
  }
  static gboolean Check(GSource* source) { return Of(source).loop->tasks_.HasTasks(); }
  static gboolean Dispatch(GSource* source, GSourceFunc, gpointer) {
    Of(source).loop->tasks_.RunOne();
    return G_SOURCE_CONTINUE;
  }
  static TaskSource& Of(GSource* source) { return *reinterpret_cast<TaskSource*>(source); }

  static GSourceFuncs* Funcs() {
    static GSourceFuncs funcs = {&Prepare, &Check, &Dispatch, nullptr, nullptr, nullptr};
    return &funcs;
  }
};

GtkEventLoop::GtkEventLoop()
    : start_(Clock::now()),
      context_(g_main_context_ref(g_main_context_default())),
      tasks_([this] { g_main_context_wakeup(context_); }) {
  source_ = g_source_new(TaskSource::Funcs(), sizeof(TaskSource));
  TaskSource::Of(source_).loop = this;
  // Tasks may wait in nested loops that must still run later tasks.
  g_source_set_can_recurse(source_, TRUE);
  g_source_set_priority(source_, G_PRIORITY_DEFAULT);
  g_source_attach(source_, context_);
}

GtkEventLoop::~GtkEventLoop() {
  // Queued tasks go first (their closures may release waiting workers), then our source.
  tasks_.Quit(0);
  g_source_destroy(source_);
  g_source_unref(source_);
  g_main_context_unref(context_);
}

void GtkEventLoop::Post(std::function<void()> task) { tasks_.Enqueue(std::move(task)); }

bool GtkEventLoop::InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) {
  return tasks_.InvokeAndWait(std::move(task), cancelled);
}

int GtkEventLoop::Run() {
  tasks_.SetLoopThread();
  // Quit sets the flag before waking the context, so a blocking iteration always returns to see it.
  while (!Terminating()) g_main_context_iteration(context_, TRUE);
  return tasks_.ExitCode();
}

void GtkEventLoop::Quit(int exitCode) { tasks_.Quit(exitCode); }

bool GtkEventLoop::Terminating() const { return tasks_.Terminating(); }

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

}  // namespace kpf::platform::gtk
