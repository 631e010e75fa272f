#include "dialogs/TMyEdit.hpp"

namespace kpf::dialogs {

void TMyEdit::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Caption = reader.Text();
  PasswordField = reader.Byte() != 0;
  Font.Load(reader);
  Scripts[kOnChange] = ReadScript(reader);
  Value = InitialValue = Caption;
}

void TMyEdit::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Text(Caption);
  writer.Byte(PasswordField ? 1 : 0);
  Font.Save(writer);
  writer.Int32(Scripts[kOnChange]);
}

void TMyEdit::CreateControl(platform::DialogWindow& window) {
  platform::DialogControlStyle style;
  style.password = PasswordField;
  MakeControl(window, platform::DialogControlKind::Edit, style);
  if (!Control) return;
  Control->SetText(Caption);
  ApplyProperties();
}

void TMyEdit::ApplyValue(const std::string& value) {
  Caption = value;
  if (Control) Control->SetText(value);
}

void TMyEdit::TakeControlState() {
  if (Control) Caption = Value = Control->Text();
}

}  // namespace kpf::dialogs
