#pragma once
// A character window inside a HostedScreen: it keeps its picture, shape, opacity and place, and
// draws itself onto the screen's canvas when the screen repaints. Pictures are composited, so
// per-pixel alpha always shows. It gets no input: the host window belongs to another program.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/NativeWindow.hpp"

namespace kpf::app {

class HostedScreen;

class HostedWindow : public platform::NativeWindow {
 public:
  explicit HostedWindow(HostedScreen& screen);
  ~HostedWindow() override;
  HostedWindow(const HostedWindow&) = delete;
  HostedWindow& operator=(const HostedWindow&) = delete;

  void SetInput(platform::WindowInput*) override {}
  void MoveResize(int x, int y, int width, int height) override;
  platform::Rect Bounds() const override { return bounds_; }
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }
  void SetTopmost(bool topmost) override;
  bool Topmost() const override { return topmost_; }
  void BringToFront() override;
  bool SupportsPerPixelAlpha() const override { return true; }
  void ShowImage(const platform::ImageView& image) override;
  void SetShape(const platform::Region* shape) override;
  void ShowLayered(const platform::ImageView& premultiplied, uint8_t constantAlpha) override;
  void SetOpacity(uint8_t alpha) override;
  void SetCursor(int) override {}

  // Draws its part of `area` onto `canvas`, which holds the area's pixels row by row.
  void DrawOnto(std::span<uint32_t> canvas, const platform::Rect& area) const;

 private:
  enum class Paint { Nothing, Opaque, PerPixel };

  void TakePicture(const platform::ImageView& image, Paint paint);
  // The shape as one byte per pixel of the window (1: shown).
  void BuildMask();
  void Changed(const platform::Rect& area);

  HostedScreen& screen_;
  platform::Rect bounds_{0, 0, 1, 1};
  bool visible_ = false;
  bool topmost_ = false;
  Paint paint_ = Paint::Nothing;
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  std::vector<uint32_t> picture_;
  bool shaped_ = false;
  platform::Region shape_;
  std::vector<uint8_t> mask_;
  uint8_t layeredAlpha_ = 255;
  uint8_t opacity_ = 255;
};

}  // namespace kpf::app
