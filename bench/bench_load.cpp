// Loading a large project: 2,000 frames of 256x256 packed true-colour images and 50 MB of
// sounds. Measures the time to a loaded model (with and without outlines built from a
// transparent colour) and the bare inflation of the same stream. The peak resident set size of
// one load is measured in a fresh child process (`bench_load --load-once FILE`), so the memory
// used to generate the project does not count; it is set against the inflated project size.
// `bench_load --write FILE [outlines]` writes the project file for profiling the load alone.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "project/ProjectLoader.hpp"
#include "project/ProjectWriter.hpp"
#include "project/Stream.hpp"

using namespace kpf::project;

namespace {

constexpr int kFrames = 2000;
constexpr int kSide = 256;
constexpr size_t kSoundBytes = 50u << 20;
std::string gSelf;

// A disc on a white background, shifted by `shift`.
std::vector<uint8_t> Picture(int shift) {
  ImageSource image{kSide, kSide, 0, {}, {}, {}};
  image.Pixels.resize(size_t{kSide} * kSide * 4, 255);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      int dx = x - 128 - shift, dy = y - 128;
      if (dx * dx + dy * dy >= 100 * 100) continue;
      uint8_t* p = &image.Pixels[(size_t(y) * kSide + x) * 4];
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>(shift * 30);
    }
  return WriteImageEntry(image);
}

std::vector<uint8_t> MakeFile(bool transparent) {
  ProjectSource source;
  std::vector<std::vector<uint8_t>> pictures;
  for (int i = 0; i < 8; ++i) pictures.push_back(Picture(i));
  AnimationSource animation;
  animation.Name = "Big";
  for (int i = 0; i < kFrames; ++i) {
    source.ImageEntries.push_back(pictures[i % 8]);
    FrameSource frame;
    frame.BitmapIndex = i;
    frame.UseTransparentColor = transparent;
    frame.TransparentColor = 0xFFFFFF;
    frame.Duration = 3;
    animation.Frames.push_back(frame);
  }
  source.Animations.push_back(animation);
  std::mt19937 random(7);
  for (int i = 0; i < 50; ++i) {
    SoundSource sound;
    sound.Name = "sound";
    sound.Name += std::to_string(i);
    sound.Data.resize(kSoundBytes / 50);
    for (auto& b : sound.Data) b = static_cast<uint8_t>(random() >> 24);
    source.Sounds.push_back(std::move(sound));
  }
  return BuildProjectFile(source);
}

const std::vector<uint8_t>& Compressed(bool transparent) {
  static std::vector<uint8_t> files[2];
  auto& file = files[transparent ? 1 : 0];
  if (file.empty()) file = MakeFile(transparent);
  return file;
}

// Peak RSS in MB of a child process that loads the file once.
double ChildPeakRssMb(const std::vector<uint8_t>& file) {
  auto path = std::filesystem::temp_directory_path() / ("bench_load_" + std::to_string(getpid()));
  {
    FileStream out(path.string(), FileStream::Mode::Create);
    out.Write(file.data(), file.size());
  }
  std::string command = gSelf + " --load-once " + path.string();
  double mb = -1;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    if (std::fscanf(pipe, "%lf", &mb) != 1) mb = -1;
    pclose(pipe);
  }
  std::filesystem::remove(path);
  return mb;
}

void BM_LoadProject(benchmark::State& state) {
  const auto& file = Compressed(state.range(0) != 0);
  for (auto _ : state) {
    ProjectModel model;
    LoadProjectStream(file, model);
    benchmark::DoNotOptimize(model.Bitmaps.size());
  }
  const double inflatedMb = static_cast<double>(DecompressBuf(file).size()) / (1 << 20);
  const double peakMb = ChildPeakRssMb(file);
  state.counters["compressedMB"] = static_cast<double>(file.size()) / (1 << 20);
  state.counters["inflatedMB"] = inflatedMb;
  state.counters["loadPeakRssMB"] = peakMb;
  state.counters["peakPerInflated"] = peakMb / inflatedMb;
}

// What showing every frame once adds: each picture's outline from the transparent colour.
void BM_OutlinesOfEveryFrame(benchmark::State& state) {
  const auto& file = Compressed(true);
  for (auto _ : state) {
    state.PauseTiming();
    ProjectModel model;
    LoadProjectStream(file, model);
    state.ResumeTiming();
    model.PrepareAllOutlines();
    benchmark::DoNotOptimize(model.Animations.size());
  }
}

void BM_InflateOnly(benchmark::State& state) {
  const auto& file = Compressed(false);
  for (auto _ : state) {
    auto stream = DecompressBuf(file);
    benchmark::DoNotOptimize(stream.data());
  }
}

int LoadOnce(const char* path) {
  std::vector<uint8_t> file = ReadWholeFile(path);
  ProjectModel model;
  LoadProjectStream(file, model);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.1f\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}

}  // namespace

BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadProject)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadProject)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OutlinesOfEveryFrame)->Unit(benchmark::kMillisecond)->Iterations(2);

int WriteProject(const char* path, bool transparent) {
  const auto& file = Compressed(transparent);
  FileStream out(path, FileStream::Mode::Create);
  out.Write(file.data(), file.size());
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--load-once") == 0) return LoadOnce(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "--write") == 0) return WriteProject(argv[2], argc > 3);
  gSelf = std::filesystem::canonical("/proc/self/exe").string();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
