#include "render/Canvas.hpp"

#include <algorithm>

#include "desktop/PictureTransparency.hpp"
#include "project/Errors.hpp"
#include "render/SpanFill.hpp"

namespace kpf::render {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

uint32_t RgbOf(int32_t color) { return desktop::TColorToRgb(color); }

// The part of [from, to) inside [0, limit).
std::pair<int64_t, int64_t> Clip(int64_t from, int64_t to, int64_t limit) {
  return {std::clamp<int64_t>(from, 0, limit), std::clamp<int64_t>(to, 0, limit)};
}

}  // namespace

Canvas::Canvas(int width, int height) { SetSize(width, height); }
Canvas::~Canvas() = default;
Canvas::Canvas(Canvas&&) noexcept = default;
Canvas& Canvas::operator=(Canvas&&) noexcept = default;

bool Canvas::SizeAllowed(int64_t width, int64_t height) {
  return width >= 0 && height >= 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

void Canvas::SetSize(int width, int height) {
  if (!SizeAllowed(width, height)) throw project::KpfError("picture size out of range");
  if (width == width_ && height == height_) return;
  const uint32_t fill = brush_.style == BrushStyle::Solid ? brush_.rgb : kWhite;
  std::vector<uint32_t> resized(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
  const int keepWidth = std::min(width, width_);
  for (int y = 0; y < std::min(height, height_); ++y) {
    const auto from = pixels_.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * width_);
    std::copy(from, from + keepWidth, resized.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * width));
  }
  pixels_ = std::move(resized);
  width_ = width;
  height_ = height;
}

void Canvas::SetPen(int32_t color, int64_t mode, int64_t style, int64_t width) {
  pen_.rgb = RgbOf(color);
  pen_.mode = mode >= 0 && mode < kPenModeCount ? static_cast<PenMode>(mode) : PenMode::Copy;
  pen_.style = style >= 0 && style < kPenStyleCount ? static_cast<PenStyle>(style) : PenStyle::Solid;
  pen_.width = static_cast<int>(std::clamp<int64_t>(width, 0, kMaxPenWidth));
}

void Canvas::SetBrush(int32_t color, int64_t style) {
  brush_.rgb = RgbOf(color);
  brush_.style = style >= 0 && style < kBrushStyleCount ? static_cast<BrushStyle>(style) : BrushStyle::Solid;
}

void Canvas::SetFont(std::string_view face, int32_t color, int64_t size, int64_t styleBits) {
  face = face.substr(0, std::min(face.find(','), kMaxFaceBytes));
  font_.face = std::string(face);
  font_.rgb = RgbOf(color);
  font_.size = static_cast<int>(std::clamp<int64_t>(size < 0 ? -size : size, 1, kMaxFontSize));
  font_.styleBits = static_cast<uint8_t>(styleBits & 0x0F);
}

void Canvas::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (brush_.style == BrushStyle::Clear) return;
  const auto [left, right] = Clip(std::min(x1, x2), std::max(x1, x2), width_);
  const auto [top, bottom] = Clip(std::min(y1, y2), std::max(y1, y2), height_);
  for (int64_t y = top; y < bottom && left < right; ++y) PaintRun(y, left, right);
}

void Canvas::PaintRun(int64_t y, int64_t begin, int64_t end) {
  if (brush_.style == BrushStyle::Solid) {
    std::fill(&At(begin, y), &At(begin, y) + (end - begin), brush_.rgb);
    return;
  }
  for (int64_t x = begin; x < end; ++x) {
    if (BrushPaints(brush_.style, x, y)) At(x, y) = brush_.rgb;
  }
}

void Canvas::SetPixel(int32_t x, int32_t y, int32_t color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  At(x, y) = RgbOf(color);
}

int32_t Canvas::GetPixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  return desktop::RgbToTColor(pixels_[static_cast<size_t>(y) * width_ + static_cast<size_t>(x)]);
}

void Canvas::FloodFill(int32_t x, int32_t y) {
  if (brush_.style == BrushStyle::Clear || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  if (At(x, y) == brush_.rgb) return;
  ForEachFillRun(pixels_, width_, height_, x, y, [this](int row, int begin, int end) { PaintRun(row, begin, end); });
}

TextLayout& Canvas::Text() {
  if (!text_) text_ = std::make_unique<TextLayout>();
  return *text_;
}

TextFont Canvas::LayoutFont() const {
  TextFont font;
  font.face = font_.face;
  font.pixelSize = FontPixelsFromPoints(font_.size);
  font.bold = (font_.styleBits & 1) != 0;
  font.italic = (font_.styleBits & 2) != 0;
  font.underline = (font_.styleBits & 4) != 0;
  font.strikeOut = (font_.styleBits & 8) != 0;
  return font;
}

TextSize Canvas::TextExtent(std::string_view text) { return Text().Measure(LayoutFont(), text); }

void Canvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  if (Empty() || text.empty() || x >= width_ || y >= height_) return;
  const TextFont font = LayoutFont();
  const TextSize size = Text().Measure(font, text);
  // Far to the left or above: nothing shows, and cairo is never given a far-away position.
  if (int64_t{x} + size.width + font.pixelSize <= 0 || int64_t{y} + size.height + font.pixelSize <= 0) return;
  Text().Draw(pixels_, width_, height_, x, y, font_.rgb, font, text);
}

void Canvas::DrawImage(int32_t x, int32_t y, const platform::ImageView& image, bool blendAlpha,
                       std::optional<uint32_t> keyRgb) {
  if (image.width <= 0 || image.height <= 0) return;
  if (image.pixels.size() / static_cast<size_t>(image.width) < static_cast<size_t>(image.height)) return;
  const auto [left, right] = Clip(x, int64_t{x} + image.width, width_);
  const auto [top, bottom] = Clip(y, int64_t{y} + image.height, height_);
  for (int64_t row = top; row < bottom; ++row) {
    const size_t sourceRow = static_cast<size_t>(row - y) * static_cast<size_t>(image.width);
    for (int64_t column = left; column < right; ++column) {
      const uint32_t source = image.pixels[sourceRow + static_cast<size_t>(column - x)];
      uint32_t& target = At(column, row);
      if (!blendAlpha) {
        if (!keyRgb || (source & kRgbBits) != *keyRgb) target = source & kRgbBits;
        continue;
      }
      const uint32_t alpha = source >> 24;
      uint32_t blended = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t over = (source >> shift) & 0xFF, under = (target >> shift) & 0xFF;
        blended |= ((over * alpha + under * (255 - alpha) + 127) / 255) << shift;
      }
      target = blended;
    }
  }
}

}  // namespace kpf::render
