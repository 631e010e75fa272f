#pragma once
// A window that only records what was asked of it, for tests and tools: bounds, visibility,
// stacking, shape, the last picture shown and how, opacity and cursor. Tests drive the owner's
// input through the Press/Move/Release... helpers.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/NativeWindow.hpp"
#include "platform/headless/HeadlessScreen.hpp"

namespace kpf::platform::headless {

class HeadlessWindow : public platform::NativeWindow {
 public:
  explicit HeadlessWindow(std::shared_ptr<HeadlessScreen> screen);
  ~HeadlessWindow() override;
  HeadlessWindow(const HeadlessWindow&) = delete;
  HeadlessWindow& operator=(const HeadlessWindow&) = delete;

  // NativeWindow.
  void SetInput(platform::WindowInput* input) override { input_ = input; }
  void MoveResize(int x, int y, int width, int height) override;
  platform::Rect Bounds() const override { return bounds_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetTopmost(bool topmost) override { topmost_ = topmost; }
  bool Topmost() const override { return topmost_; }
  void BringToFront() override { ++bringToFrontCount_; }
  void Activate() override { ++activateCount_; }
  bool PlaceBelow(uint64_t windowId) override {
    placedBelow_.push_back(windowId);
    return true;
  }
  bool SupportsPerPixelAlpha() const override { return screen_->perPixelAlpha; }
  void ShowImage(const platform::ImageView& image) override;
  void SetShape(const platform::Region* shape) override;
  void ShowLayered(const platform::ImageView& premultiplied, uint8_t constantAlpha) override;
  void SetOpacity(uint8_t alpha) override { opacity_ = alpha; }
  void SetCursor(int cursorNumber) override { cursor_ = cursorNumber; }

  // Inspection.
  uint64_t Id() const { return id_; }  // 1, 2, ... in creation order
  // Empty while rectangular; an empty region hides everything.
  const std::optional<platform::Region>& Shape() const { return shape_; }
  int ImageWidth() const { return imageWidth_; }
  int ImageHeight() const { return imageHeight_; }
  // Copy of the last picture shown (0xAARRGGBB, premultiplied when Layered()).
  const std::vector<uint32_t>& ImagePixels() const { return imagePixels_; }
  // True when the last picture came through ShowLayered (per-pixel alpha).
  bool Layered() const { return layered_; }
  uint8_t LayeredAlpha() const { return layeredAlpha_; }
  uint8_t Opacity() const { return opacity_; }
  int Cursor() const { return cursor_; }
  int ImageCount() const { return imageCount_; }  // pictures shown so far, both paths
  int BringToFrontCount() const { return bringToFrontCount_; }
  int ActivateCount() const { return activateCount_; }
  // The desktop windows it was restacked below, in order.
  const std::vector<uint64_t>& PlacedBelow() const { return placedBelow_; }
  platform::WindowInput* Input() const { return input_; }

  // Input injection: forwarded to the owner's WindowInput, ignored while none is set.
  void PressMouse(platform::MouseButton button, int x, int y);
  void MoveMouse(bool leftHeld, bool rightHeld, int screenX, int screenY);
  void ReleaseMouse(platform::MouseButton button);
  void DoubleClick();
  void PressKey(int keyCode);
  void ReleaseKey(int keyCode);
  void RequestClose();

 private:
  void Record(const platform::ImageView& image);

  std::shared_ptr<HeadlessScreen> screen_;
  uint64_t id_ = 0;
  platform::WindowInput* input_ = nullptr;
  platform::Rect bounds_;
  bool visible_ = false;
  bool topmost_ = false;
  std::optional<platform::Region> shape_;
  int imageWidth_ = 0;
  int imageHeight_ = 0;
  std::vector<uint32_t> imagePixels_;
  bool layered_ = false;
  uint8_t layeredAlpha_ = 255;
  uint8_t opacity_ = 255;
  int cursor_ = 0;
  int imageCount_ = 0;
  int bringToFrontCount_ = 0;
  int activateCount_ = 0;
  std::vector<uint64_t> placedBelow_;
};

}  // namespace kpf::platform::headless
