#include "dialogs/TMyLabel.hpp"

#include "project/SystemColors.hpp"

namespace kpf::dialogs {

namespace {

constexpr uint8_t kWordWrapBit = 1;
constexpr uint8_t kAutoSizeBit = 2;
constexpr uint8_t kTransparentBit = 4;
constexpr uint8_t kDefaultFlags = kAutoSizeBit | kTransparentBit;

}  // namespace

void TMyLabel::Load(PayloadReader& reader) {
  Caption = reader.Text();
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  const uint8_t flags = extension.empty() ? kDefaultFlags : extension[0];
  WordWrap = (flags & kWordWrapBit) != 0;
  AutoSize = (flags & kAutoSizeBit) != 0;
  Transparent = (flags & kTransparentBit) != 0;
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
  Value = InitialValue = Caption;
}

void TMyLabel::Save(PayloadWriter& writer) const {
  writer.Text(Caption);
  const uint8_t flags = static_cast<uint8_t>((WordWrap ? kWordWrapBit : 0) | (AutoSize ? kAutoSizeBit : 0) |
                                             (Transparent ? kTransparentBit : 0));
  WriteCommon(writer, std::span<const uint8_t>(&flags, 1));
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyLabel::CreateControl(platform::DialogWindow& window) {
  platform::DialogControlStyle style;
  style.wordWrap = WordWrap;
  style.autoSize = AutoSize;
  style.transparent = Transparent;
  MakeControl(window, platform::DialogControlKind::Label, style);
  if (!Control) return;
  Control->SetText(Caption);
  Control->SetColor(project::ColorToArgb(Color) & 0xFFFFFF);
  ApplyProperties();
}

std::string TMyLabel::GetValue() const { return Control ? Control->Text() : Caption; }

void TMyLabel::ApplyValue(const std::string& value) {
  Caption = value;
  if (Control) Control->SetText(value);
}

}  // namespace kpf::dialogs
