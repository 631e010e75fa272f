#include "platform/headless/HeadlessDialogWindow.hpp"

#include <algorithm>

namespace kpf::platform::headless {

namespace {

template <typename T>
void Forget(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

// ---- controls ------------------------------------------------------------------------------

HeadlessDialogControl::HeadlessDialogControl(platform::DialogControlKind kind,
                                             const platform::DialogControlStyle& style,
                                             std::shared_ptr<DialogControlList> siblings)
    : kind_(kind), style_(style), siblings_(std::move(siblings)) {
  siblings_->push_back(this);
}

HeadlessDialogControl::~HeadlessDialogControl() {
  *alive_ = false;
  Forget(*siblings_, this);
}

void HeadlessDialogControl::SetSelection(int index) {
  selection_ = index >= 0 && static_cast<size_t>(index) < items_.size() ? index : -1;
  if (kind_ == platform::DialogControlKind::ComboBox) text_ = selection_ >= 0 ? items_[static_cast<size_t>(selection_)] : text_;
}

void HeadlessDialogControl::UserType(const std::string& text) {
  if (!enabled_) return;
  text_ = text;
  if (events_) events_->ControlChanged();
}

void HeadlessDialogControl::UserClick() {
  if (!enabled_) return;
  if (kind_ == platform::DialogControlKind::CheckBox) checked_ = !checked_;
  if (events_) events_->ControlClicked();
}

void HeadlessDialogControl::UserSelect(int index) {
  if (!enabled_) return;
  SetSelection(index);
  if (events_) events_->ControlClicked();
}

void HeadlessDialogControl::UserPressPicture() {
  if (!enabled_ || events_ == nullptr) return;
  // Each step may run a script that closes the dialog and frees this control (and its object).
  const std::weak_ptr<bool> alive = alive_;
  platform::DialogControlEvents* events = events_;
  for (auto step : {&platform::DialogControlEvents::PointerEntered, &platform::DialogControlEvents::ButtonPressed,
                    &platform::DialogControlEvents::ButtonReleased, &platform::DialogControlEvents::ControlClicked}) {
    if (alive.expired()) return;
    (events->*step)();
  }
}

// ---- window --------------------------------------------------------------------------------

HeadlessDialogWindow::HeadlessDialogWindow(std::shared_ptr<HeadlessDesktop> desktop) : desktop_(std::move(desktop)) {
  desktop_->dialogs.push_back(this);
}

HeadlessDialogWindow::~HeadlessDialogWindow() { Forget(desktop_->dialogs, this); }

void HeadlessDialogWindow::SetClientSize(int width, int height) {
  clientWidth_ = std::max(1, width);
  clientHeight_ = std::max(1, height);
}

void HeadlessDialogWindow::MoveTo(int left, int top) {
  left_ = left;
  top_ = top;
  placedByDesktop_ = false;
}

platform::FrameExtents HeadlessDialogWindow::Frame() const {
  return border_ == platform::DialogBorder::None || fullScreen_ ? platform::FrameExtents{} : kFrame;
}

platform::Rect HeadlessDialogWindow::Bounds() const {
  const platform::FrameExtents frame = Frame();
  return {left_, top_, left_ + frame.left + clientWidth_ + frame.right, top_ + frame.top + clientHeight_ + frame.bottom};
}

void HeadlessDialogWindow::SetShape(const platform::Region* shape) {
  if (shape) {
    shape_ = *shape;
  } else {
    shape_.reset();
  }
}

void HeadlessDialogWindow::Show(bool activate) {
  visible_ = true;
  ++showCount_;
  if (activate) ++bringToFrontCount_;
}

std::unique_ptr<platform::DialogControl> HeadlessDialogWindow::CreateControl(platform::DialogControlKind kind,
                                                                             const platform::DialogControlStyle& style) {
  return std::make_unique<HeadlessDialogControl>(kind, style, controls_);
}

void HeadlessDialogWindow::UserClose() {
  if (events_) events_->WindowCloseRequested();
}

void HeadlessDialogWindow::UserPressBackground(platform::MouseButton button, int x, int y) {
  if (events_) events_->BackgroundMouseDown(button, x, y);
}

void HeadlessDialogWindow::UserDragBackground(int screenX, int screenY) {
  if (events_) events_->BackgroundMouseMove(true, screenX, screenY);
}

void HeadlessDialogWindow::UserReleaseBackground() {
  if (!events_) return;
  platform::DialogWindowEvents* events = events_;
  events->BackgroundMouseMove(false, left_, top_);
  events->BackgroundClicked();
}

}  // namespace kpf::platform::headless
