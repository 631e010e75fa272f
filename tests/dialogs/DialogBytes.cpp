#include "DialogBytes.hpp"

#include <cstdio>

#include <jpeglib.h>

namespace kpf::test {

std::vector<uint8_t> SolidBmp(int width, int height, uint32_t colour) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const int pixelBytes = rowBytes * height;
  ByteBuilder b;
  b.text("BM").i32(54 + pixelBytes).i32(0).i32(54);
  b.i32(40).i32(width).i32(height).u16(1).u16(24).i32(0).i32(pixelBytes).i32(2835).i32(2835).i32(0).i32(0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) b.u8(colour & 0xFF).u8((colour >> 8) & 0xFF).u8((colour >> 16) & 0xFF);
    for (int pad = width * 3; pad < rowBytes; ++pad) b.u8(0);
  }
  return b.bytes();
}

std::vector<uint8_t> SolidJpeg(int width, int height, uint32_t colour) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(colour >> 16);
    row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(colour >> 8);
    row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(colour);
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&info, &line, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> file(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return file;
}

}  // namespace kpf::test
