#include "dialogs/TMyFormBackground.hpp"

#include "dialogs/JpegPicture.hpp"
#include "project/Errors.hpp"
#include "project/SystemColors.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::dialogs {

namespace {

platform::Picture DecodeBitmap(std::span<const uint8_t> file) {
  render::TVrFastBMP bitmap;
  bitmap.LoadFromMemory(file);
  platform::Picture picture;
  picture.width = bitmap.Width();
  picture.height = bitmap.Height();
  picture.pixels = bitmap.ToArgb();
  for (uint32_t& pixel : picture.pixels) pixel |= 0xFF000000u;
  return picture;
}

}  // namespace

void TMyFormBackground::Load(PayloadReader& reader) {
  Data = reader.Block();
  TransparentColor = reader.Int32();
  Kind = reader.Byte();
  Decode();
}

void TMyFormBackground::Save(PayloadWriter& writer) const {
  writer.Block(Data);
  writer.Int32(TransparentColor);
  writer.Byte(Kind);
}

void TMyFormBackground::Assign(std::span<const uint8_t> data, uint8_t kind) {
  Data.assign(data.begin(), data.end());
  Kind = kind;
  Decode();
}

void TMyFormBackground::Decode() {
  if (Kind != kPictureBitmap && Kind != kPictureJpeg) return;  // other kinds keep the old picture
  Bitmap = {};
  if (Data.empty()) return;
  try {
    Bitmap = Kind == kPictureBitmap ? DecodeBitmap(Data) : DecodeJpeg(Data);
  } catch (const project::KpfError&) {
    Bitmap = {};
  }
}

platform::Picture TMyFormBackground::WithTransparency() const {
  platform::Picture shown = Bitmap;
  const uint32_t key = project::ColorToArgb(static_cast<uint32_t>(TransparentColor)) & 0xFFFFFF;
  for (uint32_t& pixel : shown.pixels) {
    if ((pixel & 0xFFFFFF) == key) pixel = 0;
  }
  return shown;
}

}  // namespace kpf::dialogs
