#pragma once
// The mapping between character pixels (what the engine and scripts work in) and the pixels of
// the platform below: a whole or fractional factor `numerator / denominator`. Character pixel c
// covers the platform pixels [c × factor, (c + 1) × factor); a platform pixel maps back to the
// character pixel that covers it (division rounding towards minus infinity).
#include <cstdint>
#include <vector>

#include "platform/DialogWindow.hpp"
#include "platform/NativeWindow.hpp"
#include "platform/PopupMenu.hpp"
#include "platform/Types.hpp"

namespace kpf::platform::scaled {

// Largest factor a picture is enlarged by.
inline constexpr int kMaxScale = 4;

class PixelScale {
 public:
  // Factors are limited to 1/kMaxScale .. kMaxScale; both parts at least 1.
  explicit PixelScale(int numerator, int denominator = 1);

  int Numerator() const { return numerator_; }
  int Denominator() const { return denominator_; }
  bool Identity() const { return numerator_ == denominator_; }

  // Character pixels to platform pixels, and back.
  int Up(int value) const;
  int Down(int value) const;
  Point Up(Point point) const { return {Up(point.x), Up(point.y)}; }
  Point Down(Point point) const { return {Down(point.x), Down(point.y)}; }
  Rect Up(const Rect& rect) const { return {Up(rect.left), Up(rect.top), Up(rect.right), Up(rect.bottom)}; }
  Rect Down(const Rect& rect) const { return {Down(rect.left), Down(rect.top), Down(rect.right), Down(rect.bottom)}; }
  // A window's bounds: the corner and the size are divided on their own, so a window keeps the
  // size it was given wherever it lies.
  Rect DownWindowBounds(const Rect& bounds) const {
    const Point topLeft = Down(Point{bounds.left, bounds.top});
    return {topLeft.x, topLeft.y, topLeft.x + Down(bounds.width()), topLeft.y + Down(bounds.height())};
  }
  // A size in character pixels as platform pixels: never 0 where the size was not.
  int UpSize(int size) const;

  // Shapes and pictures enlarged pixel by pixel (nearest neighbour, so edges stay hard).
  Region Up(const Region& region) const;
  ShapeMask Up(const ShapeMask& mask) const;
  Picture Up(const Picture& picture) const;
  // The picture of `image` enlarged into `pixels`; the view of them.
  ImageView Up(const ImageView& image, std::vector<uint32_t>& pixels) const;

 private:
  int numerator_;
  int denominator_;
};

}  // namespace kpf::platform::scaled
