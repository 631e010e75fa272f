#include "platform/gtk/GtkTimer.hpp"

#include <glib.h>

namespace kpf::platform::gtk {

GtkTimer::~GtkTimer() { Stop(); }

void GtkTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Restart();
}

void GtkTimer::SetInterval(uint32_t milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Restart();
}

void GtkTimer::SetAllowZero(bool allow) {
  if (allow == allowZero_) return;
  allowZero_ = allow;
  if (interval_ == 0) Restart();
}

void GtkTimer::Restart() {
  Stop();
  if (!enabled_ || (interval_ == 0 && !allowZero_)) return;
  sourceId_ = g_timeout_add(interval_, &GtkTimer::OnTimeout, this);
}

void GtkTimer::Stop() {
  if (sourceId_ != 0) g_source_remove(sourceId_);
  sourceId_ = 0;
}

int GtkTimer::OnTimeout(void* self) {
  // The handler may disable, restart or destroy this timer: it runs from a copy, and nothing of
  // the timer is touched after it. Returning "continue" for a source removed meanwhile is harmless.
  const auto handler = static_cast<GtkTimer*>(self)->handler_;
  if (handler) {
    try {
      handler();
    } catch (...) {
      // Exceptions of a tick are dropped; the next tick comes as usual.
    }
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace kpf::platform::gtk
