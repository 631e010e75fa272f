// Inflating a 50 MB project block with DecompressBuf (unknown output size, growing buffer)
// against zlib's one-shot uncompress into a buffer of known size, the physical limit here.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <memory>
#include <vector>

#include "project/ZLib.hpp"

namespace {

struct Block {
  std::vector<uint8_t> plain;
  std::vector<uint8_t> packed;
};

// Pixel-like data: runs and noise, compressing about 3:1 like real frame images.
const Block& FiftyMegabytes() {
  static const Block block = [] {
    Block b;
    b.plain.resize(50u << 20);
    uint32_t x = 1;
    for (size_t i = 0; i < b.plain.size(); ++i) {
      if (i % 64 == 0) x = x * 1664525 + 1013904223;
      b.plain[i] = static_cast<uint8_t>((x >> ((i % 4) * 8)) & 0x3F);
    }
    uLongf size = compressBound(b.plain.size());
    b.packed.resize(size);
    compress2(b.packed.data(), &size, b.plain.data(), b.plain.size(), 6);
    b.packed.resize(size);
    return b;
  }();
  return block;
}

void BM_DecompressBuf(benchmark::State& state) {
  const auto& block = FiftyMegabytes();
  for (auto _ : state) {
    auto out = kpf::project::DecompressBuf(block.packed);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.plain.size()));
}

void BM_ZlibUncompressKnownSize(benchmark::State& state) {
  const auto& block = FiftyMegabytes();
  for (auto _ : state) {
    // A fresh, uninitialised buffer each time: the limit includes faulting in the output pages.
    std::unique_ptr<uint8_t[]> out(new uint8_t[block.plain.size()]);
    uLongf size = block.plain.size();
    uncompress(out.get(), &size, block.packed.data(), block.packed.size());
    benchmark::DoNotOptimize(out.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * block.plain.size()));
}

BENCHMARK(BM_DecompressBuf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibUncompressKnownSize)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
