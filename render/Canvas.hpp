#pragma once
// A 24-bit picture with its drawing state (pen, brush, font and pen position), drawn pixel for
// pixel by the rules below, without any window system. Scripts were written against these
// rules, so they are exact; the tests check each of them pixel by pixel.
//
// Picture and colours
// - Pixels are 0x00RRGGBB, top row first. Colours given and returned are TColor values (red +
//   green × 256 + blue × 65536); a system colour (top byte 0xFF) resolves to its classic
//   default, other top bytes are dropped. (0, 0) is the top-left pixel.
// - A side is 0..16384 and a picture at most 16 M pixels. A new picture is white. SetSize keeps
//   the overlapping part; new area takes the brush colour when the brush is solid, else white.
// - Coordinates are 32-bit and every computation 64-bit; whatever falls outside the picture is
//   clipped, so far-away coordinates cost no more than near ones.
//
// State (defaults): pen black, mode copy, style solid, width 1; brush white, solid; font "Sans",
// black, size 8, no style bits; pen position (0, 0).
// - Pen mode: the 16 raster operations of RasterOp.hpp; a value above 15 gives copy. Pen style:
//   solid, dash, dot, dash-dot, dash-dot-dot, clear, inside-frame; above 6 gives solid. Width
//   is clamped to 0..1000; 0 draws like 1.
// - Brush style: solid, clear, horizontal, vertical, forward diagonal, backward diagonal,
//   cross, diagonal cross (the 8 × 8 hatches of Patterns.hpp); above 7 gives solid.
// - Font: a family name (only the part before a comma; at most 255 bytes), colour, size in
//   points (absolute value clamped to 1..1000; drawn at the pixel size and with the stand-in
//   face of FontMapping.hpp, as dialogs are) and style bits 1 bold, 2 italic, 4 underline,
//   8 strike-out.
//
// Lines (LineTo from the pen position, which then moves to the end point)
// - The points of LineSteps.hpp: the start point is drawn, the end point is not, so a line of
//   length 0 draws nothing and lines joined end to start draw every corner once.
// - Thin pens (width 0 or 1) draw the points their style lets through (PenDraws, the pattern
//   restarting with each line). Wider pens draw solid (dashes are for thin pens): each point
//   covers the w × w square from (x - (w-1)/2, y - (w-1)/2), and the pixels of the union are
//   combined once each. A clear pen draws nothing. Every pixel combines by the pen mode.
//
// Filled rectangles (FillRect): x1 <= x < x2, y1 <= y < y2 (corners given the other way round
// are swapped), painted where the brush paints, in its colour, always by copy.
//
// Round rectangles (RoundRect, corners swapped as above): the RoundedBox of the rectangle with
// the given corner ellipse. For a pen of width w its outer box is the rectangle grown by
// (w-1)/2 to the left and top and by w-1-(w-1)/2 to the right and bottom (the pen is centred on
// the one-pixel outline), except for inside-frame, which keeps the rectangle. The outline is
// every pixel of the outer shape that has a pixel outside the shape w pixels to its left,
// right, top or bottom; the rest of the shape is the inside. The outline takes the pen colour
// (solid for every style but clear, which leaves the outline untouched), the inside is painted
// where the brush paints; both combine by the pen mode.
//
// Pixels: SetPixel copies the colour, ignoring the pen; outside the picture it does nothing.
// GetPixel gives the TColor of a pixel, -1 outside the picture.
//
// FloodFill: the 4-connected area of the colour found at the seed is painted where the brush
// paints, in the brush colour, by copy. A seed outside the picture, a brush colour equal to the
// colour found, or a clear brush change nothing. Iterative span filling: no recursion, the
// work list holds row runs and is bounded by the picture's pixels.
//
// Text: one line with the top-left corner of its box at (x, y); only the glyphs are painted
// (anti-aliased) in the font colour, the background stays, the pen mode does not apply, and
// nothing is drawn outside the picture. TextExtent gives the box (advance width, line height)
// from the same layout.
//
// Images (DrawImage): an 0xAARRGGBB picture at (x, y), clipped. With `blendAlpha` each pixel
// is blended by its alpha (0 keeps the pixel below, 255 replaces it); otherwise pixels are
// copied opaque, except those whose colour equals `keyRgb` when one is given.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/NativeWindow.hpp"
#include "render/FontMapping.hpp"
#include "render/Patterns.hpp"
#include "render/RasterOp.hpp"
#include "render/TextLayout.hpp"

namespace kpf::render {

struct CanvasPen {
  uint32_t rgb = 0;  // 0x00RRGGBB
  PenMode mode = PenMode::Copy;
  PenStyle style = PenStyle::Solid;
  int width = 1;
  bool operator==(const CanvasPen&) const = default;
};

struct CanvasBrush {
  uint32_t rgb = 0xFFFFFF;
  BrushStyle style = BrushStyle::Solid;
  bool operator==(const CanvasBrush&) const = default;
};

struct CanvasFont {
  std::string face = "Sans";
  uint32_t rgb = 0;
  int size = 8;  // points
  uint8_t styleBits = 0;
  bool operator==(const CanvasFont&) const = default;
};

class Canvas {
 public:
  static constexpr int kMaxSide = 16384;
  static constexpr int64_t kMaxPixels = int64_t{16} << 20;
  static constexpr int kMaxPenWidth = 1000;
  static constexpr int kMaxFontSize = kMaxFontPoints;
  static constexpr size_t kMaxFaceBytes = 255;

  Canvas() = default;
  // Throws KpfError when the size is not allowed.
  Canvas(int width, int height);
  ~Canvas();
  Canvas(Canvas&&) noexcept;
  Canvas& operator=(Canvas&&) noexcept;

  static bool SizeAllowed(int64_t width, int64_t height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::span<const uint32_t> Pixels() const { return pixels_; }
  // Throws KpfError when the size is not allowed (the picture is unchanged then).
  void SetSize(int width, int height);

  // State from script values (normalised as described above).
  void SetPen(int32_t color, int64_t mode, int64_t style, int64_t width);
  void SetBrush(int32_t color, int64_t style);
  void SetFont(std::string_view face, int32_t color, int64_t size, int64_t styleBits);
  const CanvasPen& Pen() const { return pen_; }
  const CanvasBrush& Brush() const { return brush_; }
  void SetBrushState(const CanvasBrush& brush) { brush_ = brush; }
  const CanvasFont& Font() const { return font_; }

  // Drawing.
  void MoveTo(int32_t x, int32_t y) { penX_ = x, penY_ = y; }
  void LineTo(int32_t x, int32_t y);
  void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int ellipseWidth, int ellipseHeight);
  void SetPixel(int32_t x, int32_t y, int32_t color);
  int32_t GetPixel(int32_t x, int32_t y) const;
  void FloodFill(int32_t x, int32_t y);
  void TextOut(int32_t x, int32_t y, std::string_view text);
  TextSize TextExtent(std::string_view text);
  void DrawImage(int32_t x, int32_t y, const platform::ImageView& image, bool blendAlpha,
                 std::optional<uint32_t> keyRgb);

 private:
  uint32_t& At(int64_t x, int64_t y) { return pixels_[static_cast<size_t>(y) * width_ + static_cast<size_t>(x)]; }
  void Plot(int64_t x, int64_t y, uint32_t rgb) { At(x, y) = Combine(pen_.mode, rgb, At(x, y)); }
  // Pixels [begin, end) of row y where the brush paints, in its colour, by copy.
  void PaintRun(int64_t y, int64_t begin, int64_t end);
  void ThinLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  void WideLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  TextFont LayoutFont() const;
  TextLayout& Text();

  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
  CanvasPen pen_;
  CanvasBrush brush_;
  CanvasFont font_;
  int32_t penX_ = 0;
  int32_t penY_ = 0;
  std::unique_ptr<TextLayout> text_;  // made on first use
};

}  // namespace kpf::render
