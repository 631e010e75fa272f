#include "dialogs/JpegPicture.hpp"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "project/Errors.hpp"

namespace kpf::dialogs {

namespace {

// Progressive files may hold any number of scans; each costs a pass over the picture.
constexpr int kMaxScans = 1000;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailDecode(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings (a truncated file, bad padding) keep the picture decoded so far; they print nothing.
void IgnoreMessage(j_common_ptr, int) {}

void LimitScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->is_decompressor && decompress->input_scan_number > kMaxScans) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(manager->message, sizeof manager->message, "more than %d scans", kMaxScans);
    std::longjmp(manager->jump, 1);
  }
}

bool SizeAllowed(JDIMENSION width, JDIMENSION height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         int64_t{width} * height <= kMaxPicturePixels;
}

// The decode proper. Only plain data lives in this frame between setjmp and a longjmp; the
// picture's buffer belongs to the caller.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, std::span<const uint8_t> file,
            platform::Picture& picture) {
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;
  if (setjmp(errors.jump) != 0) return false;
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = static_cast<long>(kMaxJpegWorkingBytes);
  info.progress = &progress;
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  if (!SizeAllowed(info.image_width, info.image_height)) {
    std::snprintf(errors.message, sizeof errors.message, "picture of %ux%u pixels is too large",
                  static_cast<unsigned>(info.image_width), static_cast<unsigned>(info.image_height));
    return false;
  }
  info.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  if (!SizeAllowed(info.output_width, info.output_height) || info.output_components != 4) return false;
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  picture.pixels.assign(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height), 0);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(picture.pixels.data() + size_t{info.output_scanline} * info.output_width);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

platform::Picture DecodeJpeg(std::span<const uint8_t> file) {
  if (file.empty()) throw project::KpfError("Invalid JPEG file: empty");
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = FailDecode;
  errors.base.emit_message = IgnoreMessage;
  errors.message[0] = '\0';
  platform::Picture picture;
  const bool decoded = Decode(info, errors, file, picture);
  jpeg_destroy_decompress(&info);
  if (!decoded) throw project::KpfError(std::string("Invalid JPEG file: ") + errors.message);
  // libjpeg writes 0xFF into the fourth byte; the pixels are opaque as they stand.
  return picture;
}

}  // namespace kpf::dialogs
