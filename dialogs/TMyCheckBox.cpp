#include "dialogs/TMyCheckBox.hpp"

namespace kpf::dialogs {

void TMyCheckBox::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Caption = reader.Text();
  CheckedValue = reader.Text();
  Checked = reader.Byte() == 1;
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
  Value = GetValue();
}

void TMyCheckBox::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Text(Caption);
  writer.Text(CheckedValue);
  writer.Byte(Checked ? 1 : 0);
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyCheckBox::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::CheckBox);
  if (!Control) return;
  Control->SetText(Caption);
  Control->SetChecked(Checked);
  ApplyProperties();
}

std::string TMyCheckBox::GetValue() const {
  const bool checked = Control ? Control->Checked() : Checked;
  return checked ? CheckedValue : std::string();
}

void TMyCheckBox::ApplyValue(const std::string& value) {
  Checked = value == CheckedValue;
  if (Control) Control->SetChecked(Checked);
}

void TMyCheckBox::TakeControlState() {
  if (Control) Checked = Control->Checked();
  Value = GetValue();
}

}  // namespace kpf::dialogs
