#pragma once
// PNG files for exporting and importing frame pictures: 0xAARRGGBB pixels, top row first,
// straight (not premultiplied) alpha.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kpf::render {

struct PngImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
};

// Writes an 8-bit RGBA PNG. Throws KpfError when the pixel count is not w x h, the size is
// out of range (1..16384 per side) or the file cannot be written.
void WritePng(const std::string& path, int w, int h, std::span<const uint32_t> argbTopFirst);

// Reads any PNG (palette, grey, 16-bit, ... are converted). Throws KpfError for unreadable or
// invalid files and for pictures beyond 16384 per side or 64M pixels.
PngImage ReadPng(const std::string& path);
PngImage ReadPngFromMemory(std::span<const uint8_t> file);

}  // namespace kpf::render
