#include "platform/gtk/X11InputWatch.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <glib-unix.h>

#include <array>

namespace kpf::platform::gtk {

namespace {

constexpr int kMiddleButton = 2;

// The kind of a raw event; false for events the watch does not report.
bool Classify(const XGenericEventCookie& cookie, platform::ScreenInput& input) {
  switch (cookie.evtype) {
    case XI_RawKeyPress: input = platform::ScreenInput::KeyDown; return true;
    case XI_RawMotion: input = platform::ScreenInput::PointerMotion; return true;
    case XI_RawButtonPress: {
      const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
      input = raw->detail == kMiddleButton ? platform::ScreenInput::MiddleButtonDown
                                           : platform::ScreenInput::OtherButtonDown;
      return true;
    }
    default: return false;
  }
}

gboolean OnReadable(gint, GIOCondition, gpointer watch) {
  // A watch destroyed by its handler has already removed this source.
  static_cast<X11InputWatch*>(watch)->Drain();
  return G_SOURCE_CONTINUE;
}

}  // namespace

std::unique_ptr<X11InputWatch> X11InputWatch::Open(const std::string& displayName, Handler onInput) {
  Display* display = XOpenDisplay(displayName.c_str());
  if (display == nullptr) return nullptr;
  int opcode = 0, firstEvent = 0, firstError = 0;
  int major = 2, minor = 1;
  if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) ||
      XIQueryVersion(display, &major, &minor) != Success || (major == 2 && minor < 1)) {
    XCloseDisplay(display);
    return nullptr;
  }
  std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
  XISetMask(bits.data(), XI_RawKeyPress);
  XISetMask(bits.data(), XI_RawButtonPress);
  XISetMask(bits.data(), XI_RawMotion);
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
  XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
  XFlush(display);
  return std::unique_ptr<X11InputWatch>(new X11InputWatch(display, opcode, std::move(onInput)));
}

X11InputWatch::X11InputWatch(Display* display, int opcode, Handler onInput)
    : display_(display), opcode_(opcode), onInput_(std::move(onInput)) {
  source_ = g_unix_fd_add(ConnectionNumber(display_), G_IO_IN, &OnReadable, this);
}

X11InputWatch::~X11InputWatch() {
  *alive_ = false;
  if (source_ != 0) g_source_remove(source_);
  XCloseDisplay(display_);
}

bool X11InputWatch::Drain() {
  const std::weak_ptr<bool> alive = alive_;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    XGenericEventCookie& cookie = event.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != opcode_ || !XGetEventData(display_, &cookie)) continue;
    platform::ScreenInput input{};
    const bool reported = Classify(cookie, input);
    XFreeEventData(display_, &cookie);
    if (!reported) continue;
    onInput_(input);
    if (alive.expired()) return false;
  }
  return true;
}

}  // namespace kpf::platform::gtk
