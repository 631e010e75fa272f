#pragma once
// The image control: paints one fast bitmap into a control of its own size in one of five
// styles (as it is, stretched, fitted keeping the aspect ratio, tiled, centred), filling the
// area the picture leaves free with the control's colour. Painting produces the composed
// picture for the window backend; PlanPaint tells where the picture and the fill go.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.hpp"
#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::render {

enum class TDrawStyle : uint8_t { dsDraw = 0, dsStretch, dsResize, dsTile, dsCenter };
enum class TDataType : uint8_t { dtFastBMP = 0, dtFast256 };

// Where one paint puts things, in control coordinates.
struct TPaintPlan {
  std::optional<platform::Rect> picture;  // the bitmap's rectangle; none without a bitmap
  std::vector<platform::Rect> fill;       // filled with the control's colour
  bool scaled = false;                    // the picture is resized to its rectangle
  bool smooth = false;                    // ... through SmoothResize of a temporary bitmap
  bool tiled = false;
};

class TVrFastIMG {
 public:
  static constexpr int kDefaultSize = 100;

  TVrFastIMG() = default;

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);

  bool AutoSize() const { return autoSize_; }
  // Switched on with a bitmap present: the control takes the bitmap's size.
  void SetAutoSize(bool autoSize);
  bool BilinearResize() const { return bilinearResize_; }
  void SetBilinearResize(bool bilinear) { bilinearResize_ = bilinear; }
  TDrawStyle DrawStyle() const { return drawStyle_; }
  void SetDrawStyle(TDrawStyle style) { drawStyle_ = style; }
  TDataType DataType() const { return dataType_; }
  void SetDataType(TDataType type) { dataType_ = type; }
  TConversionMode Convert_256() const { return convert256_; }
  void SetConvert_256(TConversionMode mode) { convert256_ = mode; }
  // The control's colour (TColor: red + green × 256 + blue × 65536).
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t color) { color_ = color; }
  const std::string& FileName() const { return fileName_; }
  // An empty name drops the bitmap; otherwise the file is loaded (LoadFile).
  void SetFileName(const std::string& fileName);

  // Shows `bitmap` (not owned: it must outlive its use here, or be replaced first).
  void SetBitmap(TVrFastRGB* bitmap);
  TVrFastRGB* Bitmap() const { return bitmap_; }
  // Loads a BMP file into the control's bitmap (made of the current DataType when there is
  // none). A file that does not exist, or cannot be read, leaves the picture as it was.
  void LoadFile(const std::string& fileName);

  TPaintPlan PlanPaint() const;
  // The control's pixels after a paint: Width() × Height(), 0xFFRRGGBB, top row first.
  std::vector<uint32_t> Paint() const;

 private:
  void SizeToBitmap();
  // The bitmap resized to `width` × `height` in a temporary bitmap of its own class.
  std::unique_ptr<TVrFastRGB> Scaled(int width, int height, bool smooth) const;

  int width_ = kDefaultSize;
  int height_ = kDefaultSize;
  bool autoSize_ = false;
  bool bilinearResize_ = false;
  TDrawStyle drawStyle_ = TDrawStyle::dsDraw;
  TDataType dataType_ = TDataType::dtFastBMP;
  TConversionMode convert256_ = TConversionMode::cmCut;
  uint32_t color_ = 0xFFFFFF;
  std::string fileName_;
  TVrFastRGB* bitmap_ = nullptr;
  std::unique_ptr<TVrFastRGB> owned_;  // a bitmap LoadFile made
};

// `outer` minus `inner`: at most four rectangles (above, below, left, right).
std::vector<platform::Rect> SubtractRect(const platform::Rect& outer, const platform::Rect& inner);

}  // namespace kpf::render
