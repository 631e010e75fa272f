#include "app/HostedScreen.hpp"

#include <algorithm>

#include "app/HostedWindow.hpp"

namespace kpf::app {

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

platform::Picture BlackPicture(int width, int height) {
  return {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), kBlack)};
}

}  // namespace

platform::Rect Intersection(const platform::Rect& a, const platform::Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

platform::Rect Enclosing(const platform::Rect& a, const platform::Rect& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

HostedScreen::HostedScreen(platform::EventLoop& loop, std::unique_ptr<platform::ForeignWindow> host)
    : loop_(loop), host_(std::move(host)) {
  const int width = std::max(host_->Width(), 0), height = std::max(host_->Height(), 0);
  background_ = host_->CopyScreenUnder();
  if (background_.width != width || background_.height != height || background_.empty()) {
    background_ = BlackPicture(width, height);
  }
  host_->OnResized = [this] { HostResized(); };
  host_->OnExposed = [this](const platform::Rect& area) { Invalidate(area); };
  host_->OnGone = [this] {
    if (OnHostGone) OnHostGone();
  };
  Invalidate({0, 0, width, height});
}

HostedScreen::~HostedScreen() {
  *alive_ = false;
  host_->OnResized = nullptr;
  host_->OnExposed = nullptr;
  host_->OnGone = nullptr;
}

std::unique_ptr<HostedWindow> HostedScreen::CreateWindow() {
  auto window = std::make_unique<HostedWindow>(*this);
  Add(*window);
  return window;
}

void HostedScreen::Add(HostedWindow& window) { stack_.push_back(&window); }

void HostedScreen::Remove(const HostedWindow& window) {
  std::erase(stack_, &window);
  Invalidate(window.Bounds());
}

void HostedScreen::Raise(const HostedWindow& window) {
  const auto found = std::find(stack_.begin(), stack_.end(), &window);
  if (found == stack_.end()) return;
  HostedWindow* raised = *found;
  stack_.erase(found);
  stack_.push_back(raised);
  Invalidate(window.Bounds());
}

void HostedScreen::Invalidate(const platform::Rect& area) {
  const platform::Rect clipped = Intersection(area, {0, 0, Width(), Height()});
  if (IsEmpty(clipped)) return;
  dirty_ = dirty_ ? Enclosing(*dirty_, clipped) : clipped;
  if (flushQueued_) return;
  flushQueued_ = true;
  std::weak_ptr<bool> alive = alive_;
  loop_.Post([this, alive] {
    if (alive.expired()) return;
    Flush();
  });
}

void HostedScreen::HostResized() {
  const int width = std::max(host_->Width(), 0), height = std::max(host_->Height(), 0);
  // What was copied at the start stays where it fits; a larger window is black around it.
  platform::Picture resized = BlackPicture(width, height);
  for (int y = 0; y < std::min(height, background_.height); ++y) {
    std::copy_n(background_.pixels.begin() + static_cast<std::ptrdiff_t>(y) * background_.width,
                std::min(width, background_.width),
                resized.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  background_ = std::move(resized);
  Invalidate({0, 0, width, height});
}

void HostedScreen::Flush() {
  flushQueued_ = false;
  if (!dirty_ || host_->Gone()) return;
  const platform::Rect area = *dirty_;
  dirty_.reset();
  const int width = area.width(), height = area.height();
  std::vector<uint32_t> canvas(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::copy_n(background_.pixels.begin() + static_cast<std::ptrdiff_t>(area.top + y) * background_.width + area.left,
                width, canvas.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  // Windows that stay on top are drawn after the others, each group in stacking order.
  for (const bool topmost : {false, true}) {
    for (const HostedWindow* window : stack_) {
      if (window->Topmost() == topmost) window->DrawOnto(canvas, area);
    }
  }
  host_->Paint(area.left, area.top, {width, height, canvas});
}

}  // namespace kpf::app
