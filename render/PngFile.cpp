#include "render/PngFile.hpp"

#include <png.h>

#include <memory>

#include "project/Errors.hpp"
#include "render/TVrFastRGB.hpp"

namespace kpf::render {

namespace {

// Frees libpng's reading state on every exit path.
struct ImageState {
  png_image image{};
  ImageState() { image.version = PNG_IMAGE_VERSION; }
  ~ImageState() { png_image_free(&image); }
};

[[noreturn]] void Fail(const std::string& what, const png_image& image) {
  throw project::KpfError(what + ": " + image.message);
}

bool SizeInRange(int64_t w, int64_t h) {
  return w >= 1 && h >= 1 && w <= TVrFastRGB::kMaxSide && h <= TVrFastRGB::kMaxSide && w * h <= TVrFastRGB::kMaxPixels;
}

// Finishes a read begun by one of libpng's begin-read calls.
PngImage FinishRead(ImageState& state, const std::string& what) {
  png_image& image = state.image;
  if (!SizeInRange(image.width, image.height)) throw project::KpfError(what + ": picture size out of range");
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) Fail(what, image);
  PngImage result{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  result.pixels.resize(bytes.size() / 4);
  for (size_t i = 0; i < result.pixels.size(); ++i) {
    const uint8_t* p = &bytes[i * 4];
    result.pixels[i] = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  return result;
}

}  // namespace

void WritePng(const std::string& path, int w, int h, std::span<const uint32_t> argbTopFirst) {
  if (!SizeInRange(w, h) || argbTopFirst.size() != static_cast<size_t>(w) * h)
    throw project::KpfError("Cannot write PNG file " + path + ": picture size does not match");
  std::vector<uint8_t> bytes;
  bytes.reserve(argbTopFirst.size() * 4);
  for (uint32_t argb : argbTopFirst)
    for (int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<uint8_t>(argb >> shift));  // B, G, R, A
  ImageState state;
  state.image.width = static_cast<png_uint_32>(w);
  state.image.height = static_cast<png_uint_32>(h);
  state.image.format = PNG_FORMAT_BGRA;
  if (!png_image_write_to_file(&state.image, path.c_str(), 0, bytes.data(), 0, nullptr))
    Fail("Cannot write PNG file " + path, state.image);
}

PngImage ReadPng(const std::string& path) {
  ImageState state;
  const std::string what = "Cannot read PNG file " + path;
  if (!png_image_begin_read_from_file(&state.image, path.c_str())) Fail(what, state.image);
  return FinishRead(state, what);
}

PngImage ReadPngFromMemory(std::span<const uint8_t> file) {
  ImageState state;
  const std::string what = "Cannot read PNG data";
  if (!png_image_begin_read_from_memory(&state.image, file.data(), file.size())) Fail(what, state.image);
  return FinishRead(state, what);
}

}  // namespace kpf::render
