// Cost of drawing on a surface and of showing it: a 256 × 256 filled rectangle, 1000 random
// lines, a flood fill of 512 × 512, a text of 20 characters, showing a 256 × 256 surface (its
// shape and the copy handed to the window), and a clock face redrawn as a script would do it
// once a second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "engine/SurfaceWindow.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "render/Canvas.hpp"

namespace {

using namespace kpf;

void BM_FillRectangle256(benchmark::State& state) {
  render::Canvas canvas(256, 256);
  int32_t colour = 0;
  for (auto _ : state) {
    canvas.SetBrush(colour++ & 0xFFFFFF, 0);
    canvas.FillRect(0, 0, 256, 256);
    benchmark::DoNotOptimize(canvas.Pixels().data());
  }
}
BENCHMARK(BM_FillRectangle256)->Unit(benchmark::kMicrosecond);

void BM_DrawLine1000(benchmark::State& state) {
  render::Canvas canvas(256, 256);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(0, 255);
  std::vector<int> ends(4000);
  for (int& end : ends) end = coordinate(random);
  for (auto _ : state) {
    for (size_t i = 0; i < ends.size(); i += 4) {
      canvas.MoveTo(ends[i], ends[i + 1]);
      canvas.LineTo(ends[i + 2], ends[i + 3]);
    }
    benchmark::DoNotOptimize(canvas.Pixels().data());
  }
}
BENCHMARK(BM_DrawLine1000)->Unit(benchmark::kMicrosecond);

void BM_FloodFill512(benchmark::State& state) {
  render::Canvas canvas(512, 512);
  int32_t colour = 1;
  for (auto _ : state) {
    canvas.SetBrush(colour++ & 0xFFFFFF, 0);
    canvas.FloodFill(256, 256);
  }
}
BENCHMARK(BM_FloodFill512)->Unit(benchmark::kMicrosecond);

void BM_DrawText20(benchmark::State& state) {
  render::Canvas canvas(256, 64);
  canvas.SetFont("Sans", 0, 10, 0);
  for (auto _ : state) {
    canvas.TextOut(4, 4, "Twenty characters ok");
    benchmark::DoNotOptimize(canvas.Pixels().data());
  }
}
BENCHMARK(BM_DrawText20)->Unit(benchmark::kMicrosecond);

// A clock face: a disc with a rim, twelve marks, three hands and the time as text.
void DrawClock(render::Canvas& canvas, int seconds) {
  canvas.SetBrush(0xFFFFFF, 0);
  canvas.FillRect(0, 0, 256, 256);
  canvas.SetPen(0x404040, 4, 0, 3);
  canvas.SetBrush(0xF0F0F0, 0);
  canvas.RoundRect(8, 8, 248, 248, 8, 4);
  canvas.SetBrush(0x00C0FF, 0);
  canvas.FloodFill(128, 128);
  for (int mark = 0; mark < 12; ++mark) {
    const double angle = mark * M_PI / 6;
    canvas.MoveTo(128 + static_cast<int>(100 * std::sin(angle)), 128 - static_cast<int>(100 * std::cos(angle)));
    canvas.LineTo(128 + static_cast<int>(115 * std::sin(angle)), 128 - static_cast<int>(115 * std::cos(angle)));
  }
  const double hands[3][2] = {{seconds / 3600.0 * M_PI / 6, 60}, {seconds / 60.0 * M_PI / 30, 90}, {seconds * M_PI / 30, 105}};
  for (const auto& [angle, length] : hands) {
    canvas.MoveTo(128, 128);
    canvas.LineTo(128 + static_cast<int>(length * std::sin(angle)), 128 - static_cast<int>(length * std::cos(angle)));
  }
  canvas.SetFont("Sans", 0, 10, 1);
  canvas.TextOut(100, 170, std::to_string(seconds / 3600 % 24) + ":" + std::to_string(seconds / 60 % 60) + ":" +
                               std::to_string(seconds % 60));
}

// Shape and upload of a surface showing a clock (the region path of the window).
void BM_ShowSurface256(benchmark::State& state) {
  platform::headless::HeadlessPlatform platform;
  engine::SurfaceWindow window(platform.CreateWindow(), 1, {});
  render::Canvas canvas(256, 256);
  DrawClock(canvas, 1000);
  for (auto _ : state) window.Show(canvas, 0xFFFFFF, 10, 10, -1);
}
BENCHMARK(BM_ShowSurface256)->Unit(benchmark::kMicrosecond);

// What a script redrawing a clock face once a second costs each time (drawing and showing);
// the share of one core is this time divided by one second.
void BM_ClockFaceEverySecond(benchmark::State& state) {
  platform::headless::HeadlessPlatform platform;
  engine::SurfaceWindow window(platform.CreateWindow(), 1, {});
  render::Canvas canvas(256, 256);
  int seconds = 0;
  for (auto _ : state) {
    DrawClock(canvas, ++seconds);
    window.Show(canvas, 0xFFFFFF, 10, 10, -1);
  }
  // Seconds per redraw × 100: the percentage of one core at one redraw a second.
  state.counters["core_percent"] = benchmark::Counter(static_cast<double>(state.iterations()) / 100.0,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ClockFaceEverySecond)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
