#include "render/SpanFill.hpp"

#include <algorithm>
#include <vector>

namespace kpf::render {

namespace {

struct Seed {
  int x;
  int y;
};

}  // namespace

void ForEachFillRun(std::span<const uint32_t> pixels, int width, int height, int64_t seedX, int64_t seedY,
                    const std::function<void(int y, int begin, int end)>& run) {
  if (width <= 0 || height <= 0 || seedX < 0 || seedY < 0 || seedX >= width || seedY >= height) return;
  const auto stride = static_cast<size_t>(width);
  if (pixels.size() < stride * static_cast<size_t>(height)) return;
  const uint32_t target = pixels[static_cast<size_t>(seedY) * stride + static_cast<size_t>(seedX)];
  // Reported pixels are marked, so `run` may repaint them and none is reported twice.
  std::vector<uint8_t> done(stride * static_cast<size_t>(height), 0);
  const auto matches = [&](int x, int y) {
    const size_t at = static_cast<size_t>(y) * stride + static_cast<size_t>(x);
    return done[at] == 0 && pixels[at] == target;
  };
  // Each pixel is pushed at most once from the row above and once from the row below.
  std::vector<Seed> work{{static_cast<int>(seedX), static_cast<int>(seedY)}};
  while (!work.empty()) {
    const Seed seed = work.back();
    work.pop_back();
    if (!matches(seed.x, seed.y)) continue;
    const int y = seed.y;
    int begin = seed.x;
    while (begin > 0 && matches(begin - 1, y)) --begin;
    int end = seed.x + 1;
    while (end < width && matches(end, y)) ++end;
    std::fill(done.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * stride + static_cast<size_t>(begin)),
              done.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * stride + static_cast<size_t>(end)), 1);
    run(y, begin, end);
    for (const int row : {y - 1, y + 1}) {
      if (row < 0 || row >= height) continue;
      for (int x = begin; x < end;) {
        if (!matches(x, row)) {
          ++x;
          continue;
        }
        work.push_back({x, row});
        while (x < end && matches(x, row)) ++x;
      }
    }
  }
}

}  // namespace kpf::render
