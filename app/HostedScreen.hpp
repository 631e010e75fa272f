#pragma once
// The screen a character plays on when it runs inside another program's window (a screen-saver
// daemon's window): the window's size is the screen, its background is a copy of what the
// screen showed there at the start (black where nothing could be read), and the character
// windows are composited onto it. Changes are gathered and painted into the host window once
// per turn of the loop, only the area that changed.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/EventLoop.hpp"
#include "platform/ScreenSaverServices.hpp"

namespace kpf::app {

class HostedWindow;

// Rectangle helpers (right and bottom exclusive).
platform::Rect Intersection(const platform::Rect& a, const platform::Rect& b);
platform::Rect Enclosing(const platform::Rect& a, const platform::Rect& b);
inline bool IsEmpty(const platform::Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

class HostedScreen {
 public:
  HostedScreen(platform::EventLoop& loop, std::unique_ptr<platform::ForeignWindow> host);
  ~HostedScreen();
  HostedScreen(const HostedScreen&) = delete;
  HostedScreen& operator=(const HostedScreen&) = delete;

  int Width() const { return background_.width; }
  int Height() const { return background_.height; }
  platform::Point Origin() const { return host_->ScreenOrigin(); }
  const platform::Picture& Background() const { return background_; }
  std::unique_ptr<HostedWindow> CreateWindow();
  // Paints what changed into the host window; the loop runs it soon after a change.
  void Flush();
  // Runs once the host window has gone.
  std::function<void()> OnHostGone;

  // For the windows.
  void Invalidate(const platform::Rect& area);
  void Raise(const HostedWindow& window);
  void Remove(const HostedWindow& window);

 private:
  void Add(HostedWindow& window);
  void HostResized();

  platform::EventLoop& loop_;
  std::unique_ptr<platform::ForeignWindow> host_;
  platform::Picture background_;
  std::vector<HostedWindow*> stack_;  // bottom to top
  std::optional<platform::Rect> dirty_;
  bool flushQueued_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kpf::app
