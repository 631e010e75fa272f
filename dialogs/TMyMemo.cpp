#include "dialogs/TMyMemo.hpp"

#include "dialogs/PropertyText.hpp"

namespace kpf::dialogs {

void TMyMemo::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Lines = reader.Strings();
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
  Scripts[kOnChange] = ReadScript(reader);
  Value = InitialValue = JoinLines(Lines);
}

void TMyMemo::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Strings(Lines);
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
  writer.Int32(Scripts[kOnChange]);
}

void TMyMemo::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::Memo);
  if (!Control) return;
  Control->SetText(JoinLines(Lines));
  ApplyProperties();
}

std::string TMyMemo::GetValue() const { return JoinLines(Control ? SplitLines(Control->Text()) : Lines); }

void TMyMemo::ApplyValue(const std::string& value) {
  Lines = SplitLines(value);
  if (Control) Control->SetText(JoinLines(Lines));
}

void TMyMemo::TakeControlState() {
  if (Control) Lines = SplitLines(Control->Text());
}

}  // namespace kpf::dialogs
