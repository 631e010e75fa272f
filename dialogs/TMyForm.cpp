#include "dialogs/TMyForm.hpp"

namespace kpf::dialogs {

namespace {

constexpr int kPositionCount = 17;

// fbsHint, and any value above fbsSizeToolWin, give the balloon.
TFormBorder BorderFromByte(uint8_t stored) {
  return stored > static_cast<uint8_t>(TFormBorder::fbsSizeToolWin) ? TFormBorder::fbsHint
                                                                     : static_cast<TFormBorder>(stored);
}

}  // namespace

TMyForm::TMyForm() : TMyObject(ObjectType::Form, 423, 309) {}

void TMyForm::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Caption = reader.Text();
  Color = static_cast<TColor>(reader.Int32());
  BorderStyle = BorderFromByte(reader.Byte());
  Position = EnumFromByte(reader.Byte(), kPositionCount, TFormPosition::fpoDesigned);
  Background.Load(reader);
  Borderless = reader.Byte() != 0;
  BorderIcons = reader.Byte();
  ActionURL = reader.Text();
  AlwaysOnTop = reader.Byte() == 1;
  FullScreen = reader.Byte() == 1;
  Dragable = reader.Byte() == 1;
  Scripts[kOnShow] = ReadScript(reader);
  Scripts[kOnClose] = ReadScript(reader);
  Scripts[kOnClick] = ReadScript(reader);
}

void TMyForm::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Text(Caption);
  writer.Int32(static_cast<int32_t>(Color));
  writer.Byte(static_cast<uint8_t>(BorderStyle));
  writer.Byte(static_cast<uint8_t>(Position));
  Background.Save(writer);
  writer.Byte(Borderless ? 1 : 0);
  writer.Byte(BorderIcons);
  writer.Text(ActionURL);
  writer.Byte(AlwaysOnTop ? 1 : 0);
  writer.Byte(FullScreen ? 1 : 0);
  writer.Byte(Dragable ? 1 : 0);
  writer.Int32(Scripts[kOnShow]);
  writer.Int32(Scripts[kOnClose]);
  writer.Int32(Scripts[kOnClick]);
}

}  // namespace kpf::dialogs
