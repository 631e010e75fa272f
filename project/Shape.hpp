#pragma once
// Window outlines of frame images as run lists: 6 bytes per run, u16 x start, u16 row,
// u16 x end (exclusive), little-endian; row by row from the top, left to right within a row.
// Run lists are built from the image at load time or come stored with the project.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/NativeWindow.hpp"
#include "platform/Types.hpp"
#include "project/TVrBitmap.hpp"

namespace kpf::project {

constexpr size_t kShapeRunBytes = 6;

struct ShapeRun {
  uint16_t xStart = 0;
  uint16_t row = 0;
  uint16_t xEnd = 0;  // exclusive
  bool operator==(const ShapeRun&) const = default;
};

struct ShapeData {
  std::vector<uint8_t> runs;                 // encoded run list
  platform::Rect bounds;                     // all zero when there is no run
  platform::Point firstOpaque{-1, -1};       // start of the first run; (-1,-1) when none
};

// Scans the image for stretches of pixels that differ from `transparentArgb` (compared as
// full 0xAARRGGBB values). With `firstPointOnly` the scan stops at the first run and only
// firstOpaque (plus that run) is filled in. Throws what image.Pixels() throws.
ShapeData BuildShape(TVrBitmap& image, uint32_t transparentArgb, bool firstPointOnly);

// True when `runs` is a whole number of runs, each non-empty and inside a width x height
// picture. A stored run list that does not fit is rebuilt from the image by the caller.
bool RunListFits(std::span<const uint8_t> runs, int width, int height);

// Decodes a run list; throws KpfError when it is not a whole number of runs.
std::vector<ShapeRun> DecodeRuns(std::span<const uint8_t> runs);
void AppendRun(std::vector<uint8_t>& runs, const ShapeRun& run);

// One rectangle (x start, row, x end, row + 1) per run, in window coordinates.
platform::Region RunListToRegion(std::span<const uint8_t> runs);

// One rectangle per run of pixels whose alpha is above 0, row by row: the outline of an alpha
// picture shown without compositing. Empty for a picture with fewer pixels than its size needs.
platform::Region AlphaOutline(const platform::ImageView& image);

// Equal outlines: same length and same bytes.
bool SameShape(std::span<const uint8_t> a, std::span<const uint8_t> b);

}  // namespace kpf::project
