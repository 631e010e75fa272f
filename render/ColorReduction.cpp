#include "render/ColorReduction.hpp"

#include <algorithm>
#include <array>
#include <vector>

namespace kpf::render {

namespace {

constexpr int kGridSide = 32;
constexpr int kCells = kGridSide * kGridSide * kGridSide;
constexpr uint8_t kUnresolved = 255;

// A small open-addressing set of at most 257 colours. It replaces a 32 MiB table with one
// entry per 24-bit colour: the conversion stops at the 257th colour, so 1024 slots keep the
// probe chains short while the memory stays tiny.
class ColorNumbers {
 public:
  // Number of `color`, adding it when new; -1 once more than 256 colours were seen.
  int NumberOf(uint32_t color) {
    size_t slot = (color * 2654435761u) >> 22;
    for (;; slot = (slot + 1) % kSlots) {
      if (keys_[slot] == kEmpty) break;
      if (keys_[slot] == color) return numbers_[slot];
    }
    if (count_ == 256) return -1;
    keys_[slot] = color;
    numbers_[slot] = static_cast<uint8_t>(count_);
    colors_[count_] = color;
    return count_++;
  }
  const std::array<uint32_t, 256>& Colors() const { return colors_; }

 private:
  static constexpr size_t kSlots = 1024;
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;  // never a 24-bit colour
  std::array<uint32_t, kSlots> keys_ = MakeEmptyKeys();
  std::array<uint8_t, kSlots> numbers_{};
  std::array<uint32_t, 256> colors_{};
  int count_ = 0;

  static std::array<uint32_t, kSlots> MakeEmptyKeys() {
    std::array<uint32_t, kSlots> keys;
    keys.fill(kEmpty);
    return keys;
  }
};

struct Rgb {
  int red, green, blue;
};

Rgb Channels(uint32_t color) {
  return {static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF), static_cast<int>(color & 0xFF)};
}

int CellOf(const Rgb& c) { return (c.red / 8) * 1024 + (c.green / 8) * 32 + c.blue / 8; }

// Axis-aligned box of grid cells, bounds inclusive; axes are red, green, blue.
struct Box {
  std::array<int, 3> min{0, 0, 0};
  std::array<int, 3> max{kGridSide - 1, kGridSide - 1, kGridSide - 1};
};

class BoxSplitter {
 public:
  explicit BoxSplitter(const TVrFastBMP& src) : marked_(kCells, 0) {
    for (int y = 0; y < src.Height(); ++y)
      for (int x = 0; x < src.Width(); ++x) marked_[CellOf(Channels(src.Pixel(x, y)))] = 1;
    boxes_.push_back(Box{});
    Shrink(boxes_[0]);
    while (boxes_.size() < 256 && SplitLargest()) {
    }
  }

  // Entry k: each channel (min + max) x 4 of box k; entries without a box stay black.
  TVrFast256::Palette Palette() const {
    TVrFast256::Palette palette{};
    for (size_t k = 0; k < boxes_.size(); ++k) {
      const Box& b = boxes_[k];
      uint32_t red = (b.min[0] + b.max[0]) * 4, green = (b.min[1] + b.max[1]) * 4, blue = (b.min[2] + b.max[2]) * 4;
      palette[k] = (red << 16) | (green << 8) | blue;
    }
    return palette;
  }

  int BoxCount() const { return static_cast<int>(boxes_.size()); }

  // Index of every cell: its box, or kUnresolved outside all boxes.
  std::vector<uint8_t> CellIndices() const {
    std::vector<uint8_t> cells(kCells, kUnresolved);
    for (size_t k = 0; k < boxes_.size(); ++k)
      ForEachCell(boxes_[k], [&](int cell) { cells[cell] = static_cast<uint8_t>(k); });
    return cells;
  }

 private:
  template <typename F>
  static void ForEachCell(const Box& b, F&& f) {
    for (int r = b.min[0]; r <= b.max[0]; ++r)
      for (int g = b.min[1]; g <= b.max[1]; ++g)
        for (int bl = b.min[2]; bl <= b.max[2]; ++bl) f(r * 1024 + g * 32 + bl);
  }

  void Shrink(Box& box) const {
    Box found{{kGridSide, kGridSide, kGridSide}, {-1, -1, -1}};
    ForEachCell(box, [&](int cell) {
      if (!marked_[cell]) return;
      const std::array<int, 3> at{cell / 1024, (cell / 32) % 32, cell % 32};
      for (int axis = 0; axis < 3; ++axis) {
        found.min[axis] = std::min(found.min[axis], at[axis]);
        found.max[axis] = std::max(found.max[axis], at[axis]);
      }
    });
    if (found.max[0] >= 0) box = found;  // a box without marked cells (empty picture) stays
  }

  // Splits the box with the largest extent above 1 (boxes in creation order, then axes red,
  // green, blue; the first of equal extents wins). False when no box can be split.
  bool SplitLargest() {
    int best = -1, bestAxis = 0, bestExtent = 1;
    for (size_t k = 0; k < boxes_.size(); ++k) {
      for (int axis = 0; axis < 3; ++axis) {
        int extent = boxes_[k].max[axis] - boxes_[k].min[axis];
        if (extent > bestExtent) {
          best = static_cast<int>(k);
          bestAxis = axis;
          bestExtent = extent;
        }
      }
    }
    if (best < 0) return false;
    Box upper = boxes_[best];
    int mid = (boxes_[best].min[bestAxis] + boxes_[best].max[bestAxis]) / 2;
    boxes_[best].max[bestAxis] = mid;
    upper.min[bestAxis] = mid + 1;
    Shrink(boxes_[best]);
    Shrink(upper);
    boxes_.push_back(upper);
    return true;
  }

  std::vector<uint8_t> marked_;
  std::vector<Box> boxes_;
};

// Nearest of the first `count` palette entries (those that have a box) by squared RGB
// distance, searching from the last entry down; the first entry found among equals wins.
// Entries without a box are left out so that every index names a colour of the picture.
uint8_t NearestEntry(const TVrFast256::Palette& palette, int count, const Rgb& c) {
  int best = count - 1;
  int bestDistance = -1;
  for (int i = count - 1; i >= 0; --i) {
    Rgb p = Channels(palette[i]);
    int distance = (c.red - p.red) * (c.red - p.red) + (c.green - p.green) * (c.green - p.green) +
                   (c.blue - p.blue) * (c.blue - p.blue);
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return static_cast<uint8_t>(best);
}

// Serpentine Floyd-Steinberg. Errors are accumulated x16 in two row buffers with a spare
// entry at each end, so the weights 7, 3, 5, 1 are the usual sixteenths.
void Dither(const TVrFastBMP& src, TVrFast256& dst, std::vector<uint8_t>& cells, int boxCount) {
  const int width = src.Width();
  const auto& palette = dst.Colors();
  std::vector<std::array<int, 3>> current(width + 2), next(width + 2);
  for (int y = 0; y < src.Height(); ++y) {
    const int dir = y % 2 == 0 ? 1 : -1;
    uint8_t* out = dst.Row(y);
    for (int step = 0; step < width; ++step) {
      const int x = dir > 0 ? step : width - 1 - step;
      const Rgb pixel = Channels(src.Pixel(x, y));
      const std::array<int, 3> source{pixel.red, pixel.green, pixel.blue};
      std::array<int, 3> value;
      for (int c = 0; c < 3; ++c) value[c] = std::clamp((source[c] * 16 + current[x + 1][c]) / 16, 0, 255);
      const Rgb rgb{value[0], value[1], value[2]};
      uint8_t& cell = cells[CellOf(rgb)];
      // 255 marks an unresolved cell; a cell of box 255 is resolved again each time.
      if (cell == kUnresolved) cell = NearestEntry(palette, boxCount, rgb);
      out[x] = cell;
      const Rgb chosen = Channels(palette[cell]);
      const std::array<int, 3> error{value[0] - chosen.red, value[1] - chosen.green, value[2] - chosen.blue};
      for (int c = 0; c < 3; ++c) {
        current[x + 1 + dir][c] += error[c] * 7;
        next[x + 1 - dir][c] += error[c] * 3;
        next[x + 1][c] += error[c] * 5;
        next[x + 1 + dir][c] += error[c] * 1;
      }
    }
    std::swap(current, next);
    std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
  }
}

}  // namespace

bool ConvertExact(const TVrFastBMP& src, TVrFast256& dst) {
  ColorNumbers numbers;
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x)
      if (numbers.NumberOf(src.Pixel(x, y) & 0xFFFFFF) < 0) return false;
  for (int y = 0; y < src.Height(); ++y) {
    uint8_t* out = dst.Row(y);
    for (int x = 0; x < src.Width(); ++x) out[x] = static_cast<uint8_t>(numbers.NumberOf(src.Pixel(x, y) & 0xFFFFFF));
  }
  dst.Colors() = numbers.Colors();
  return true;
}

void ConvertBoxSplit(const TVrFastBMP& src, TVrFast256& dst, bool dither) {
  BoxSplitter splitter(src);
  dst.Colors() = splitter.Palette();
  std::vector<uint8_t> cells = splitter.CellIndices();
  if (dither) return Dither(src, dst, cells, splitter.BoxCount());
  for (int y = 0; y < src.Height(); ++y) {
    uint8_t* out = dst.Row(y);
    for (int x = 0; x < src.Width(); ++x) out[x] = cells[CellOf(Channels(src.Pixel(x, y)))];
  }
}

}  // namespace kpf::render
