#pragma once
// Key presses, button presses and pointer motion anywhere on the screen, from the XInput 2 raw
// events of the master devices selected on the root window. Raw events reach a client whatever
// window has the focus and whatever grab is active, so nothing is grabbed; only the kind of event
// is passed on, never which key. The watch has an X connection of its own, served from the GLib
// main context, so GDK's event handling is left untouched.
#include <functional>
#include <memory>
#include <string>

#include "platform/ScreenSaverServices.hpp"

typedef struct _XDisplay Display;

namespace kpf::platform::gtk {

class X11InputWatch : public platform::InputWatch {
 public:
  using Handler = std::function<void(platform::ScreenInput)>;

  // Null when the display cannot be opened or has no XInput 2.1 (raw events without a grab).
  static std::unique_ptr<X11InputWatch> Open(const std::string& displayName, Handler onInput);
  ~X11InputWatch() override;
  X11InputWatch(const X11InputWatch&) = delete;
  X11InputWatch& operator=(const X11InputWatch&) = delete;

  // Reads every queued event (the connection became readable); false once the handler
  // destroyed the watch.
  bool Drain();

 private:
  X11InputWatch(Display* display, int opcode, Handler onInput);

  Display* display_;
  int opcode_;
  Handler onInput_;
  unsigned source_ = 0;
  // Cleared when the watch goes, which the handler may cause from inside Drain.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kpf::platform::gtk
