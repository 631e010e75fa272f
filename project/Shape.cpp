#include "project/Shape.hpp"

#include <algorithm>

#include "project/ByteReader.hpp"
#include "project/Errors.hpp"

namespace kpf::project {

namespace {

void WidenBounds(platform::Rect& bounds, bool first, const ShapeRun& run) {
  if (first) {
    bounds = {run.xStart, run.row, run.xEnd, run.row + 1};
    return;
  }
  bounds.left = std::min<int>(bounds.left, run.xStart);
  bounds.right = std::max<int>(bounds.right, run.xEnd);
  bounds.bottom = run.row + 1;  // rows are scanned from the top, so the last one is the lowest
}

ShapeRun ReadRun(ByteReader& reader) {
  ShapeRun run;
  run.xStart = reader.readWord();
  run.row = reader.readWord();
  run.xEnd = reader.readWord();
  return run;
}

}  // namespace

void AppendRun(std::vector<uint8_t>& runs, const ShapeRun& run) {
  for (uint16_t value : {run.xStart, run.row, run.xEnd}) {
    runs.push_back(static_cast<uint8_t>(value & 0xFF));
    runs.push_back(static_cast<uint8_t>(value >> 8));
  }
}

ShapeData BuildShape(TVrBitmap& image, uint32_t transparentArgb, bool firstPointOnly) {
  ShapeData shape;
  auto pixels = image.Pixels();
  const int width = image.Width();
  const int height = image.Height();
  bool any = false;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels.data() + static_cast<size_t>(y) * width;
    int x = 0;
    while (x < width) {
      while (x < width && row[x] == transparentArgb) ++x;
      if (x >= width) break;
      int start = x;
      while (x < width && row[x] != transparentArgb) ++x;
      ShapeRun run{static_cast<uint16_t>(start), static_cast<uint16_t>(y), static_cast<uint16_t>(x)};
      AppendRun(shape.runs, run);
      WidenBounds(shape.bounds, !any, run);
      if (!any) shape.firstOpaque = {start, y};
      any = true;
      if (firstPointOnly) return shape;
    }
  }
  return shape;
}

bool RunListFits(std::span<const uint8_t> runs, int width, int height) {
  if (runs.size() % kShapeRunBytes != 0) return false;
  ByteReader reader(runs);
  while (!reader.atEnd()) {
    ShapeRun run = ReadRun(reader);
    if (run.xStart >= run.xEnd || run.xEnd > width || run.row >= height) return false;
  }
  return true;
}

std::vector<ShapeRun> DecodeRuns(std::span<const uint8_t> runs) {
  if (runs.size() % kShapeRunBytes != 0) throw KpfError("Run list has a partial run");
  std::vector<ShapeRun> decoded;
  decoded.reserve(runs.size() / kShapeRunBytes);
  ByteReader reader(runs);
  while (!reader.atEnd()) decoded.push_back(ReadRun(reader));
  return decoded;
}

platform::Region RunListToRegion(std::span<const uint8_t> runs) {
  platform::Region region;
  for (const ShapeRun& run : DecodeRuns(runs)) region.push_back({run.xStart, run.row, run.xEnd, run.row + 1});
  return region;
}

bool SameShape(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return std::ranges::equal(a, b);
}

platform::Region AlphaOutline(const platform::ImageView& image) {
  platform::Region region;
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    return region;
  }
  for (int y = 0; y < image.height; ++y) {
    const uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    int x = 0;
    while (x < image.width) {
      while (x < image.width && (row[x] >> 24) == 0) ++x;
      const int start = x;
      while (x < image.width && (row[x] >> 24) != 0) ++x;
      if (x > start) region.push_back({start, y, x, y + 1});
    }
  }
  return region;
}

}  // namespace kpf::project
