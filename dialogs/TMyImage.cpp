#include "dialogs/TMyImage.hpp"

namespace kpf::dialogs {

void TMyImage::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Image.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
}

void TMyImage::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  Image.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyImage::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::Picture);
  ShowPicture();
}

void TMyImage::SetPicture(std::span<const uint8_t> data, uint8_t kind) {
  Image.Assign(data, kind);
  ShowPicture();
}

// A raw picture is kept for the character's own use; the control keeps showing what it showed.
void TMyImage::ShowPicture() {
  if (Control && Image.Kind != kPictureRaw) Control->SetPicture(Image.WithTransparency());
}

}  // namespace kpf::dialogs
