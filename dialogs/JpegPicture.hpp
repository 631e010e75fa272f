#pragma once
// JPEG files of dialog pictures, decoded with libjpeg-turbo into opaque 0xAARRGGBB pixels.
// libjpeg's own error handler ends the process, so decoding runs under an error manager that
// returns to the caller; the declared size is checked right after the header is read, and
// libjpeg's working memory is capped.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/PopupMenu.hpp"

namespace kpf::dialogs {

// Largest side and pixel count of a decoded picture (the limits of frame images).
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t{64} << 20;
// libjpeg's working memory beyond the decoded picture.
constexpr size_t kMaxJpegWorkingBytes = size_t{128} << 20;

// Throws project::KpfError("Invalid JPEG file: ...") for anything that does not decode.
platform::Picture DecodeJpeg(std::span<const uint8_t> file);

}  // namespace kpf::dialogs
