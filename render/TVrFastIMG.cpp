#include "render/TVrFastIMG.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace kpf::render {

namespace {

int Nearest(double value) { return static_cast<int>(std::nearbyint(value)); }

uint32_t OpaqueFromTColor(uint32_t color) {
  const uint32_t red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
  return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

bool Intersects(const platform::Rect& a, const platform::Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

std::vector<platform::Rect> SubtractRect(const platform::Rect& outer, const platform::Rect& inner) {
  if (!Intersects(outer, inner)) return {outer};
  std::vector<platform::Rect> parts;
  const int top = std::max(outer.top, inner.top), bottom = std::min(outer.bottom, inner.bottom);
  if (inner.top > outer.top) parts.push_back({outer.left, outer.top, outer.right, top});
  if (inner.bottom < outer.bottom) parts.push_back({outer.left, bottom, outer.right, outer.bottom});
  if (inner.left > outer.left) parts.push_back({outer.left, top, inner.left, bottom});
  if (inner.right < outer.right) parts.push_back({inner.right, top, outer.right, bottom});
  return parts;
}

void TVrFastIMG::SetSize(int width, int height) {
  width_ = std::max(0, width);
  height_ = std::max(0, height);
}

void TVrFastIMG::SizeToBitmap() {
  if (bitmap_ != nullptr) SetSize(bitmap_->Width(), bitmap_->Height());
}

void TVrFastIMG::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  if (autoSize_) SizeToBitmap();
}

void TVrFastIMG::SetBitmap(TVrFastRGB* bitmap) {
  bitmap_ = bitmap;
  if (bitmap_ != owned_.get()) owned_.reset();
  if (bitmap_ != nullptr) {
    dataType_ = dynamic_cast<TVrFast256*>(bitmap_) != nullptr ? TDataType::dtFast256 : TDataType::dtFastBMP;
  }
  if (autoSize_) SizeToBitmap();
}

void TVrFastIMG::LoadFile(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return;
  try {
    if (dataType_ == TDataType::dtFast256) {
      auto loaded = std::make_unique<TVrFast256>();
      loaded->LoadFromFile(fileName, convert256_);
      owned_ = std::move(loaded);
    } else {
      auto loaded = std::make_unique<TVrFastBMP>();
      loaded->LoadFromFile(fileName);
      owned_ = std::move(loaded);
    }
  } catch (const std::exception&) {
    return;  // an unreadable file leaves the picture as it was
  }
  bitmap_ = owned_.get();
  if (autoSize_) SizeToBitmap();
}

void TVrFastIMG::SetFileName(const std::string& fileName) {
  fileName_ = fileName;
  if (fileName_.empty()) {
    bitmap_ = nullptr;
    owned_.reset();
    return;
  }
  LoadFile(fileName_);
}

TPaintPlan TVrFastIMG::PlanPaint() const {
  TPaintPlan plan;
  const platform::Rect control{0, 0, width_, height_};
  if (bitmap_ == nullptr) {
    plan.fill.push_back(control);
    return plan;
  }
  const int bw = bitmap_->Width(), bh = bitmap_->Height();
  const bool smaller = bw < width_ || bh < height_;
  switch (drawStyle_) {
    case TDrawStyle::dsDraw:
      plan.picture = platform::Rect{0, 0, bw, bh};
      if (smaller) plan.fill = SubtractRect(control, *plan.picture);
      break;
    case TDrawStyle::dsStretch:
      plan.picture = control;
      plan.scaled = true;
      plan.smooth = bilinearResize_;
      break;
    case TDrawStyle::dsResize: {
      const double sx = static_cast<double>(width_) / (bw == 0 ? 1 : bw);
      const double sy = static_cast<double>(height_) / (bh == 0 ? 1 : bh);
      platform::Rect picture;
      if (sx <= sy) {
        const int height = Nearest(bh * sx);
        const int y = Nearest((height_ - height) / 2.0);
        picture = {0, y, width_, y + height};
      } else {
        const int width = Nearest(bw * sy);
        const int x = Nearest((width_ - width) / 2.0);
        picture = {x, 0, x + width, height_};
      }
      plan.picture = picture;
      plan.scaled = true;
      plan.smooth = bilinearResize_;
      if (picture.left != 0 || picture.top != 0) plan.fill = SubtractRect(control, picture);
      break;
    }
    case TDrawStyle::dsTile:
      plan.picture = control;
      plan.tiled = true;
      break;
    case TDrawStyle::dsCenter: {
      const int x = (width_ - bw) / 2, y = (height_ - bh) / 2;
      plan.picture = platform::Rect{x, y, x + bw, y + bh};
      if (smaller) plan.fill = SubtractRect(control, *plan.picture);
      break;
    }
  }
  return plan;
}

std::unique_ptr<TVrFastRGB> TVrFastIMG::Scaled(int width, int height, bool smooth) const {
  std::unique_ptr<TVrFastRGB> scaled;
  if (const auto* indexed = dynamic_cast<const TVrFast256*>(bitmap_)) {
    auto copy = std::make_unique<TVrFast256>();
    copy->Colors() = indexed->Colors();
    scaled = std::move(copy);
  } else {
    scaled = std::make_unique<TVrFastBMP>();
  }
  scaled->SetSize(width, height);
  if (smooth) {
    bitmap_->SmoothResize(*scaled);
  } else {
    bitmap_->Resize(*scaled);
  }
  return scaled;
}

std::vector<uint32_t> TVrFastIMG::Paint() const {
  std::vector<uint32_t> canvas(static_cast<size_t>(width_) * static_cast<size_t>(height_), OpaqueFromTColor(color_));
  const TPaintPlan plan = PlanPaint();
  if (!plan.picture || bitmap_ == nullptr || bitmap_->Empty()) return canvas;
  const platform::Rect at = *plan.picture;
  if (at.width() <= 0 || at.height() <= 0) return canvas;
  std::vector<uint32_t> pixels;
  if (plan.tiled) {
    std::unique_ptr<TVrFastRGB> tiled = Scaled(at.width(), at.height(), false);
    bitmap_->Tile(*tiled);
    pixels = tiled->ToArgb();
  } else if (plan.scaled) {
    pixels = Scaled(at.width(), at.height(), plan.smooth)->ToArgb();
  } else {
    pixels = bitmap_->ToArgb();
  }
  // Copy the picture's rows into the canvas, clipped to the control.
  for (int y = std::max(0, at.top); y < std::min(height_, at.bottom); ++y) {
    for (int x = std::max(0, at.left); x < std::min(width_, at.right); ++x) {
      const uint32_t pixel = pixels[static_cast<size_t>(y - at.top) * static_cast<size_t>(at.width()) +
                                    static_cast<size_t>(x - at.left)];
      canvas[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = 0xFF000000u | pixel;
    }
  }
  return canvas;
}

}  // namespace kpf::render
