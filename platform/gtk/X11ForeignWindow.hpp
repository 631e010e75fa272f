#pragma once
// A window of another program on GDK's X connection: its size, position and contents on the
// screen, painting into it with cairo, and the structure and exposure events it gets. Every
// request naming it runs inside a GDK error trap, so a window its owner destroys meanwhile ends
// as Gone() instead of an X error, which GDK's default handler would turn into the end of the
// process.
#include <cstdint>
#include <memory>

#include "platform/EventLoop.hpp"
#include "platform/ScreenSaverServices.hpp"

typedef struct _XDisplay Display;
typedef struct _cairo_surface cairo_surface_t;
typedef union _XEvent XEvent;

namespace kpf::platform::gtk {

class X11ForeignWindow : public platform::ForeignWindow {
 public:
  // The window once it is viewable, waiting at most `waitMs` with the loop's events processed;
  // null when the id names no window, the window goes, or it is not shown in time.
  static std::unique_ptr<X11ForeignWindow> Open(Display* display, platform::EventLoop& loop, uint64_t id,
                                                int waitMs);
  ~X11ForeignWindow() override;
  X11ForeignWindow(const X11ForeignWindow&) = delete;
  X11ForeignWindow& operator=(const X11ForeignWindow&) = delete;

  int Width() const override { return gone_ ? 0 : width_; }
  int Height() const override { return gone_ ? 0 : height_; }
  platform::Point ScreenOrigin() const override { return origin_; }
  bool Gone() const override { return gone_; }
  platform::Picture CopyScreenUnder() override;
  bool Paint(int x, int y, const platform::ImageView& image) override;
  // An event of GDK's connection (the event filter passes every one); others' are ignored.
  void Handle(const XEvent& event);

 private:
  X11ForeignWindow(Display* display, unsigned long id);
  // Reads the size, position and visual; false when the window has gone.
  bool Describe();
  void Watch();

  Display* display_;
  unsigned long id_;
  unsigned long root_ = 0;
  void* visual_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  platform::Point origin_;
  bool gone_ = false;
  cairo_surface_t* target_ = nullptr;
};

}  // namespace kpf::platform::gtk
