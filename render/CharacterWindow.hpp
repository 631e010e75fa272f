#pragma once
// Shows character frames in a platform window and decides, frame by frame, how the window gets
// its outline: per-pixel alpha (premultiplied picture) when the frame has partial alpha and the
// screen composites, otherwise a shape region (from the frame's run list, or from its visible
// pixels when an alpha frame cannot be shown with its alpha). Also keeps the whole-window
// opacity and suspends window updates between BeginUpdate and EndUpdate, where only the last
// picture, shape and position are applied, once.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/NativeWindow.hpp"

namespace kpf::render {

// One frame as the window needs it.
struct CharacterFrame {
  platform::ImageView image;       // 0xAARRGGBB, not premultiplied
  bool hasAlpha = false;           // some pixel is partly transparent
  bool useTransparentColor = false;
  std::span<const uint8_t> runs;   // outline run list (6-byte runs), empty when none
  bool sameShape = false;          // the outline equals the previous frame's
  // The picture's pixels already premultiplied (kept by the picture, so they are made once per
  // picture, not per shown frame); null: the window premultiplies them itself.
  std::shared_ptr<const std::vector<uint32_t>> premultiplied;
  // AlphaOutline of the picture, kept by the picture; null: the window computes it when needed.
  std::shared_ptr<const platform::Region> alphaOutline;
};

class CharacterWindow {
 public:
  explicit CharacterWindow(platform::NativeWindow& window) : window_(window) {}

  void DrawFrame(const CharacterFrame& frame);
  // Whole-window opacity (the animation's alpha value).
  void SetAlpha(uint8_t alpha);
  // Places the window, or keeps the rectangle pending while updates are suspended.
  void SetBounds(const platform::Rect& bounds);
  void BeginUpdate() { ++updateLock_; }
  // Ends one suspension; the last one applies the pending position, picture and shape once.
  void EndUpdate();

  int UpdateLock() const { return updateLock_; }
  bool PerPixelActive() const { return perPixelActive_; }
  uint8_t WindowAlpha() const { return windowAlpha_; }
  // The shape last handed to the window on the region path; empty while rectangular.
  const std::optional<platform::Region>& CurrentShape() const { return currentShape_; }

  // table[c * 256 + a] = c × a / 255 to the nearest integer.
  static const std::array<uint8_t, 256 * 256>& MultiplyTable();
  static void Premultiply(std::span<const uint32_t> argb, std::vector<uint32_t>& out);
  // One rectangle per run of pixels whose alpha is above 0, row by row.
  static platform::Region AlphaOutline(const platform::ImageView& image);

 private:
  enum class ShapeChange { Keep, Rectangular, Set };
  struct Pending {
    std::vector<uint32_t> pixels;  // a copy, made only for a frame kept while updates are suspended
    int width = 0;
    int height = 0;
    bool perPixel = false;
    std::shared_ptr<const std::vector<uint32_t>> premultiplied;
    ShapeChange change = ShapeChange::Keep;
    platform::Region shape;
  };

  // How the frame is to be shown (its pixels are not copied here).
  Pending Prepare(const CharacterFrame& frame) const;
  void Show(const Pending& frame, std::span<const uint32_t> pixels);
  void ShowLayered();
  void ApplyOpacity(uint8_t alpha);

  platform::NativeWindow& window_;
  // The premultiplied picture on screen (per-pixel path); never null.
  std::shared_ptr<const std::vector<uint32_t>> work_ = std::make_shared<const std::vector<uint32_t>>();
  int workWidth_ = 0;
  int workHeight_ = 0;
  bool perPixelActive_ = false;
  uint8_t windowAlpha_ = 255;
  uint8_t layeredAlpha_ = 255;
  std::optional<uint8_t> appliedOpacity_;
  std::optional<platform::Region> currentShape_;
  int updateLock_ = 0;
  std::optional<Pending> pendingFrame_;
  std::optional<platform::Rect> pendingBounds_;
};

}  // namespace kpf::render
