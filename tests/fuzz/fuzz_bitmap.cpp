// Fuzzes the frame-image entry reader (with decoding and shape building) and the BMP loader.
// The first input byte picks the reader; the rest is the data.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>

#include "project/Shape.hpp"
#include "project/TVrBitmap.hpp"
#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace {

// Keeps each run fast: decoding allocates the full picture even when its data is short.
constexpr int64_t kMaxFuzzPixels = int64_t{1} << 20;

void FuzzFrameImages(std::span<const uint8_t> block) {
  size_t offset = 0;
  while (offset < block.size()) {
    kpf::project::TVrBitmap image;
    offset = image.LoadFromBuffer(block, offset);
    if (int64_t{image.Width()} * image.Height() > kMaxFuzzPixels) continue;
    try {
      auto pixels = image.Pixels();
      image.ComputeHasAlpha();
      auto shape = kpf::project::BuildShape(image, pixels.empty() ? 0 : pixels[0], false);
      if (!kpf::project::RunListFits(shape.runs, image.Width(), image.Height())) __builtin_trap();
      kpf::project::RunListToRegion(shape.runs);
      kpf::project::RunListFits(block.subspan(offset), image.Width(), image.Height());
    } catch (const std::exception&) {
    }
    image.MirrorHorizontal();
    image.FlipVertical();
    image.Transparent = true;
    image.FindTransparentPixel();
    kpf::render::TVrFastBMP target;
    kpf::render::DrawTo(image, target);
  }
}

void FuzzBmp(std::span<const uint8_t> file) {
  kpf::render::TVrFastBMP bmp;
  bmp.LoadFromMemory(file);
  if (int64_t{bmp.Width()} * bmp.Height() > kMaxFuzzPixels) return;
  kpf::render::TVrFastBMP half(bmp.Width() / 2 + 1, bmp.Height() / 2 + 1), twice(3, 5);
  bmp.Resize(half);
  bmp.SmoothResize(twice);
  kpf::render::TVrFast256 indexed;
  indexed.Convert(bmp, kpf::render::TConversionMode::cmDither);
  indexed.LoadFromMemory(file, kpf::render::TConversionMode::cmCut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::span<const uint8_t> input(data + 1, size - 1);
  try {
    if (data[0] % 2 == 0) {
      FuzzFrameImages(input);
    } else {
      FuzzBmp(input);
    }
  } catch (const std::exception&) {
    // Rejected input is the expected outcome for most of the corpus.
  }
  return 0;
}
