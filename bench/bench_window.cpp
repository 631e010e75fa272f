// Per-frame cost of showing character frames through render::CharacterWindow on the headless
// window: a 256 × 256 alpha frame (premultiplied and handed over as a per-pixel picture, or
// outlined from its alpha on a screen without compositing) and a 512 × 512 colour-key frame
// (its run list turned into the window region). The picture frame goes the engine's way: a
// stored picture whose alpha test and premultiplied pixels are kept by the picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/headless/HeadlessPlatform.hpp"
#include "project/ProjectWriter.hpp"
#include "project/Shape.hpp"
#include "project/TVrBitmap.hpp"
#include "render/CharacterWindow.hpp"

namespace {

using namespace kpf;

// A soft disc: alpha falls off over the last pixels of its radius.
std::vector<uint32_t> SoftDisc(int side) {
  std::vector<uint32_t> pixels(static_cast<size_t>(side) * side);
  const double centre = side / 2.0, radius = side * 0.45;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double distance = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
      const double alpha = std::clamp((radius - distance) / 3.0, 0.0, 1.0);
      pixels[static_cast<size_t>(y) * side + x] =
          (static_cast<uint32_t>(alpha * 255) << 24) | (static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) << 8) | 0x40;
    }
  }
  return pixels;
}

// The run list of a ring-and-stripes outline: several runs on most rows.
std::vector<uint8_t> KeyedRuns(int side) {
  std::vector<uint8_t> runs;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; x += 64) {
      const int width = 20 + (y % 30);
      project::AppendRun(runs, {static_cast<uint16_t>(x), static_cast<uint16_t>(y), static_cast<uint16_t>(std::min(side, x + width))});
    }
  }
  return runs;
}

void ShowAlphaFrame(benchmark::State& state, bool composited) {
  platform::headless::HeadlessPlatform platform;
  platform.SetPerPixelAlpha(composited);
  auto window = platform.CreateWindow();
  render::CharacterWindow character(*window);
  const std::vector<uint32_t> pixels = SoftDisc(256);
  render::CharacterFrame frame;
  frame.image = {256, 256, pixels};
  frame.hasAlpha = true;
  for (auto _ : state) character.DrawFrame(frame);
  state.SetItemsProcessed(state.iterations());
}

void BM_AlphaFrame256PerPixel(benchmark::State& state) { ShowAlphaFrame(state, true); }
void BM_AlphaFrame256Outline(benchmark::State& state) { ShowAlphaFrame(state, false); }

// The engine's draw of one stored picture: alpha test, premultiplied pixels, window update.
void BM_PictureFrame256PerPixel(benchmark::State& state) {
  platform::headless::HeadlessPlatform platform;
  platform.SetPerPixelAlpha(true);
  auto window = platform.CreateWindow();
  render::CharacterWindow character(*window);
  project::ImageSource source{256, 256, project::TVrBitmap::kFormPacked, {}, {}, {}};
  for (const uint32_t pixel : SoftDisc(256)) {
    for (const int shift : {0, 8, 16, 24}) source.Pixels.push_back(static_cast<uint8_t>(pixel >> shift));
  }
  const std::vector<uint8_t> stored = project::WriteImageEntry(source);
  project::TVrBitmap image;
  image.LoadFromBuffer(stored, 0);
  for (auto _ : state) {
    image.ComputeHasAlpha();
    render::CharacterFrame frame;
    frame.image = {image.Width(), image.Height(), image.Pixels()};
    frame.hasAlpha = image.HasAlpha();
    if (frame.hasAlpha) frame.premultiplied = image.Premultiplied();
    character.DrawFrame(frame);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ColourKeyFrame512(benchmark::State& state) {
  platform::headless::HeadlessPlatform platform;
  auto window = platform.CreateWindow();
  render::CharacterWindow character(*window);
  const std::vector<uint32_t> pixels(512 * 512, 0xFF336699);
  const std::vector<uint8_t> runs = KeyedRuns(512);
  render::CharacterFrame frame;
  frame.image = {512, 512, pixels};
  frame.useTransparentColor = true;
  frame.runs = runs;
  for (auto _ : state) character.DrawFrame(frame);
  state.counters["runs"] = static_cast<double>(runs.size() / project::kShapeRunBytes);
}

void BM_Premultiply256(benchmark::State& state) {
  const std::vector<uint32_t> pixels = SoftDisc(256);
  std::vector<uint32_t> out;
  for (auto _ : state) {
    render::CharacterWindow::Premultiply(pixels, out);
    benchmark::DoNotOptimize(out.data());
  }
}

}  // namespace

BENCHMARK(BM_AlphaFrame256PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AlphaFrame256Outline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PictureFrame256PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColourKeyFrame512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Premultiply256)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
