#include "dialogs/TMyObject.hpp"

#include "project/Errors.hpp"

namespace kpf::dialogs {

TMyObject::TMyObject(ObjectType type, int32_t width, int32_t height) : Width(width), Height(height), type_(type) {
  Scripts.fill(-1);
}

TMyObject::~TMyObject() = default;

void TMyObject::ApplyProperties() {
  if (Control) Control->SetFont(Font.ToPlatform());
}

void TMyObject::SetValue(const std::string& value) {
  ApplyValue(value);
  Value = GetValue();
}

void TMyObject::SetEnabled(bool enabled) {
  Enabled = enabled;
  if (Control) Control->SetEnabled(enabled);
}

void TMyObject::ApplyBounds() {
  if (Control) Control->SetBounds({Left, Top, Left + Width, Top + Height});
}

void TMyObject::ApplyVisible() {
  if (Control) Control->SetVisible(Visible);
}

void TMyObject::ApplyCursor() {
  if (Control && Host) Control->SetCursor(Host->CursorFor(Cursor));
}

void TMyObject::MakeControl(platform::DialogWindow& window, platform::DialogControlKind kind,
                            const platform::DialogControlStyle& style) {
  Control.reset();
  Control = window.CreateControl(kind, style);
  if (!Control) return;
  Control->SetEvents(this);
  ApplyBounds();
  ApplyVisible();
  ApplyCursor();
  Control->SetEnabled(Enabled);
}

void TMyObject::FireScript(ScriptSlot slot) {
  if (Host) Host->RunObjectScript(*this, Scripts[slot]);
}

void TMyObject::ControlClicked() {
  if (!Host) return;
  const auto hold = Host->HoldWindow();
  TakeControlState();
  Host->NoteControlEvent(*this, "click");
  Clicked();
}

void TMyObject::ControlChanged() {
  if (!Host) return;
  const auto hold = Host->HoldWindow();
  TakeControlState();
  Host->NoteControlEvent(*this, "change");
  Changed();
}

void TMyObject::PointerEvent(PointerChange change, std::string_view event) {
  if (!Host) return;
  const auto hold = Host->HoldWindow();
  Host->NoteControlEvent(*this, event);
  PointerChanged(change);
}

void TMyObject::PointerEntered() { PointerEvent(PointerChange::Entered, "enter"); }
void TMyObject::PointerLeft() { PointerEvent(PointerChange::Left, "leave"); }
void TMyObject::ButtonPressed() { PointerEvent(PointerChange::Pressed, "down"); }
void TMyObject::ButtonReleased() { PointerEvent(PointerChange::Released, "up"); }

void TMyObject::ReadCommon(PayloadReader& reader, std::span<const uint8_t>& extension) {
  Name = reader.Text();
  Left = ClampCoordinate(reader.Int32());
  Top = ClampCoordinate(reader.Int32());
  Width = ClampExtent(reader.Int32());
  Height = ClampExtent(reader.Int32());
  Tag = reader.Int32();
  Visible = reader.Byte() != 0;
  Cursor = static_cast<int16_t>(reader.Int32());
  IncludeOnSubmit = reader.Byte() != 0;
  Enabled = reader.Byte() != 0;
  Showpopup = reader.Byte() != 0;
  const int32_t size = reader.Int32();
  if (size < 0 || static_cast<size_t>(size) > reader.Remaining())
    throw project::EStreamError("extension size outside its record");
  extension = reader.Take(static_cast<size_t>(size));
}

void TMyObject::WriteCommon(PayloadWriter& writer, std::span<const uint8_t> extension) const {
  writer.Text(Name);
  writer.Int32(Left);
  writer.Int32(Top);
  writer.Int32(Width);
  writer.Int32(Height);
  writer.Int32(Tag);
  writer.Byte(Visible ? 1 : 0);
  writer.Int32(Cursor);
  writer.Byte(IncludeOnSubmit ? 1 : 0);
  writer.Byte(Enabled ? 1 : 0);
  writer.Byte(Showpopup ? 1 : 0);
  writer.Int32(static_cast<int32_t>(extension.size()));
  writer.Bytes(extension);
}

}  // namespace kpf::dialogs
