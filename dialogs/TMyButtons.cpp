#include "dialogs/TMyButtons.hpp"

namespace kpf::dialogs {

namespace {

constexpr int kModeCount = 3;

}  // namespace

void TMyButtonBase::Clicked() {
  if (Host && Mode == TButtonMode::SubmitForm) Host->SubmitRequested();
  if (Host && Mode == TButtonMode::ResetForm) Host->ResetRequested();
  FireScript(kOnClick);
}

TButtonMode TMyButtonBase::ModeFromByte(uint8_t stored) {
  return EnumFromByte(stored, kModeCount, TButtonMode::Normal);
}

TMyButton::TMyButton() : TMyButtonBase(ObjectType::Button, 75, 25) { Caption = "Button"; }

void TMyButton::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Caption = reader.Text();
  SetValue(reader.Text());
  Mode = ModeFromByte(reader.Byte());
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
}

void TMyButton::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Text(Caption);
  writer.Text(SubmitValue);
  writer.Byte(static_cast<uint8_t>(Mode));
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyButton::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::Button);
  if (!Control) return;
  Control->SetText(Caption);
  ApplyProperties();
}

TMyBitBtn::TMyBitBtn() : TMyButtonBase(ObjectType::BitBtn, 75, 25) {}

void TMyBitBtn::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Mode = ModeFromByte(reader.Byte());
  IdleBitmap.Load(reader);
  HoverBitmap.Load(reader);
  ClickBitmap.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
  Scripts[kOnChangeBitmap] = ReadScript(reader);
}

void TMyBitBtn::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Byte(static_cast<uint8_t>(Mode));
  IdleBitmap.Save(writer);
  HoverBitmap.Save(writer);
  ClickBitmap.Save(writer);
  writer.Int32(Scripts[kOnClick]);
  writer.Int32(Scripts[kOnChangeBitmap]);
}

void TMyBitBtn::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::PictureButton);
  Button = TImgBtn{};
  Button.Pic = IdleBitmap.Bitmap;
  Button.PicUp = HoverBitmap.Bitmap;
  Button.PicDown = ClickBitmap.Bitmap;
  Button.OnChange = [this] { FireScript(kOnChangeBitmap); };
  Button.OnShow = [this](const platform::Picture& picture) {
    if (Control) Control->SetPicture(picture);
  };
  if (Control) Control->SetPicture(Button.Shown());
}

void TMyBitBtn::PointerChanged(PointerChange change) {
  switch (change) {
    case PointerChange::Entered: Button.MouseEnter(); break;
    case PointerChange::Left: Button.MouseLeave(); break;
    case PointerChange::Pressed: Button.MouseDown(); break;
    case PointerChange::Released: Button.MouseUp(); break;
  }
}

}  // namespace kpf::dialogs
