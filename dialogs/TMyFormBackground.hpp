#pragma once
// A stored picture of a dialog (the dialog's background, a picture object, the faces of a
// picture button): the file's bytes, a transparent colour and the kind, decoded whenever it is
// loaded or replaced. Kind "3" is a Windows bitmap, "4" a JPEG file; any other kind keeps the
// bytes and shows nothing, and a file that does not decode shows nothing either.
#include <cstdint>
#include <span>
#include <vector>

#include "dialogs/DialogTypes.hpp"
#include "dialogs/PayloadIo.hpp"
#include "platform/PopupMenu.hpp"

namespace kpf::dialogs {

constexpr uint8_t kPictureBitmap = '3';
constexpr uint8_t kPictureJpeg = '4';
constexpr uint8_t kPictureRaw = '2';

struct TMyFormBackground {
  std::vector<uint8_t> Data;
  int32_t TransparentColor = 0;
  uint8_t Kind = 0;
  // The decoded picture, opaque; empty when nothing decodes.
  platform::Picture Bitmap;

  void Load(PayloadReader& reader);
  void Save(PayloadWriter& writer) const;
  // Replaces the bytes and the kind and decodes them.
  void Assign(std::span<const uint8_t> data, uint8_t kind);
  void Decode();
  bool Empty() const { return Data.empty(); }
  // The picture with the pixels of TransparentColor made transparent (picture objects).
  platform::Picture WithTransparency() const;
};

}  // namespace kpf::dialogs
