#pragma once
// The player's 32 drawing surfaces: off-screen 24-bit pictures with a transparent colour, each
// of which can be shown as a window of its own that runs a script when clicked.
//
// Sizes are bounded before anything is made or released: a side 0..16384, a picture at most
// 16 M pixels, all 32 surfaces together at most 64 M pixels; a request beyond changes nothing.
// An empty picture is never shown (showing it hides its window). A surface replaced by a new
// one loses its window at once from the screen, but the window object is freed only from the
// event loop, once no event of its own is running (its click script may be waiting in a nested
// loop); a trigger sender naming it is forgotten.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <vector>

#include "engine/SurfaceWindow.hpp"
#include "render/Canvas.hpp"

namespace kpf::engine {

class TCustomKPFPlayer;

struct DrawingSurface {
  render::Canvas Picture;
  int32_t TransparentColour = 0xFFFFFF;  // TColor, top byte 0
  int32_t ClickScript = -1;
  std::unique_ptr<SurfaceWindow> Window;  // none until first shown
  uint8_t UseTransparency = 1;
  bool Visible = false;
};

class DrawingSurfaces {
 public:
  static constexpr int kSlotCount = 32;
  static constexpr int64_t kMaxTotalPixels = int64_t{64} << 20;
  // The size of a surface's picture before NewSurface sizes it.
  static constexpr int kInitialSide = 50;

  explicit DrawingSurfaces(TCustomKPFPlayer& player) : player_(player) {}
  ~DrawingSurfaces();
  DrawingSurfaces(const DrawingSurfaces&) = delete;
  DrawingSurfaces& operator=(const DrawingSurfaces&) = delete;

  // Slot `index` when 0 <= index < 32, else slot 0.
  void Select(int64_t index);
  int CurrentIndex() const { return current_; }
  // The current slot's surface; null while the slot is empty.
  DrawingSurface* Current() { return slots_[static_cast<size_t>(current_)].get(); }
  const DrawingSurface* At(int slot) const;

  // NewSurface: a new surface of width × height in the current slot (the old one released);
  // false, changing nothing, when the size is out of bounds.
  bool Create(int64_t width, int64_t height);
  // ResizeSurface: new area in the transparent colour; false when out of bounds or empty slot.
  bool Resize(int64_t width, int64_t height);
  // ClearSurface: the whole picture in the transparent colour.
  void Clear();
  // ShowSurface / HideSurface on the current surface; false when there was nothing to do.
  bool Show(int x, int y);
  bool Hide();

  // The player closes: every window is hidden.
  void HideAll();
  // The windows step aside for a full-screen program (hidden, their surfaces still shown as
  // far as the scripts know) or come back.
  void SetAside(bool aside);
  // Moves every shown window to where `placed` sends it (none: it stays).
  void MoveWindows(const std::function<std::optional<platform::Point>(const platform::Rect&)>& placed);
  // The player has closed: every surface is released (windows freed from the event loop).
  void ReleaseAll();

  int64_t TotalPixels() const;

 private:
  void Retire(DrawingSurface& surface, int slot);
  void PostRelease();
  void HideWindow(DrawingSurface& surface, int slot);
  std::unique_ptr<SurfaceWindow> MakeWindow(int slot);
  // Runs `paint` on the picture with the brush, for the moment, solid in the transparent colour.
  template <typename Paint>
  static void WithTransparentBrush(DrawingSurface& surface, Paint paint);
  bool FitsBudget(int64_t width, int64_t height) const;

  TCustomKPFPlayer& player_;
  std::array<std::unique_ptr<DrawingSurface>, kSlotCount> slots_;
  int current_ = 0;
  int32_t nextWindowId_ = 1;
  std::vector<std::unique_ptr<SurfaceWindow>> retired_;
  bool releasePosted_ = false;
  bool aside_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kpf::engine
