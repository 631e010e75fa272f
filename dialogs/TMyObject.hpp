#pragma once
// The base of every object of a dialog: the common fields (name, geometry, tag, colour, font,
// flags, value, caption, cursor, ten script slots), the common part of the stored record, the
// value rules and the event wiring. The real control is made by CreateControl on the dialog
// window; an object without a control (before the first show) changes only itself.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/DialogTypes.hpp"
#include "dialogs/PayloadIo.hpp"
#include "dialogs/TMyFont.hpp"
#include "platform/DialogWindow.hpp"

namespace kpf::dialogs {

class TMyObject;

// Type codes of the stored records.
enum class ObjectType : uint16_t {
  Form = 1, Label, Image, Edit, Button, ComboBox, RadioGroup, ListBox, CheckBox, Memo, HTML, Flash, Bevel, BitBtn
};

// Script slots in stored order; the fifth is published by no class.
enum ScriptSlot : size_t {
  kOnClick, kOnChange, kOnShow, kOnClose, kUnusedSlot, kOnDownloadError, kOnDownloadStart, kOnDownloadData,
  kOnDownloadEnd, kOnComplete
};
constexpr size_t kScriptSlotCount = 10;
// A picture button's picture change runs the second slot.
constexpr ScriptSlot kOnChangeBitmap = kOnChange;

// What the pointer did over a picture button.
enum class PointerChange { Entered, Left, Pressed, Released };

// The window an object lives on: it runs the object's scripts, submits and resets, and answers
// the property interface for its objects.
class ObjectHost {
 public:
  virtual ~ObjectHost() = default;
  virtual void RunObjectScript(TMyObject& sender, int32_t scriptIndex) = 0;
  // A user event on the object's control ("click", "change", "enter", "leave", "down", "up").
  virtual void NoteControlEvent(TMyObject& sender, std::string_view event) = 0;
  virtual void SubmitRequested() = 0;
  virtual void ResetRequested() = 0;
  virtual platform::DialogCursor CursorFor(int16_t cursor) const = 0;
  // Keeps the window, and so the object, alive while one of its events runs.
  virtual std::shared_ptr<const void> HoldWindow() = 0;
  // The property interface for one of the window's objects.
  virtual std::string GetProperty(TMyObject& object, int code) = 0;
  virtual bool SetProperty(TMyObject& object, int code, const std::string& value) = 0;
};

class TMyObject : public platform::DialogControlEvents {
 public:
  TMyObject(ObjectType type, int32_t width, int32_t height);
  ~TMyObject() override;
  TMyObject(const TMyObject&) = delete;
  TMyObject& operator=(const TMyObject&) = delete;

  ObjectType Type() const { return type_; }
  uint16_t TypeCode() const { return static_cast<uint16_t>(type_); }
  virtual const char* ClassName() const = 0;
  // The script slots the class reads from its record.
  virtual std::vector<ScriptSlot> StoredScriptSlots() const = 0;

  std::string Name;
  int32_t Tag = 0;
  TColor Color = kFaceColor;
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width;
  int32_t Height;
  TMyFont Font;
  bool Visible = true;
  std::string Value;
  std::string InitialValue;
  std::string Caption;
  int16_t Cursor = 0;
  bool IncludeOnSubmit = true;
  bool Enabled = true;
  bool Showpopup = false;
  std::array<int32_t, kScriptSlotCount> Scripts;
  std::unique_ptr<platform::DialogControl> Control;
  // The window the object lives on; null once it is gone.
  ObjectHost* Host = nullptr;

  // Stored form: the payload after the type code.
  virtual void Load(PayloadReader& reader) = 0;
  virtual void Save(PayloadWriter& writer) const = 0;

  // Copies lists, font and selection into the control.
  virtual void ApplyProperties();
  virtual std::string GetCaption() const { return Caption; }
  virtual void SetCaption(const std::string& caption) { Caption = caption; }
  // The caption into the control.
  virtual void ShowCaption() {
    if (Control) Control->SetText(Caption);
  }
  // Frees any control, makes this class's control on the window and copies the base fields.
  virtual void CreateControl(platform::DialogWindow& window) = 0;
  void FreeControl() { Control.reset(); }
  virtual std::string GetValue() const { return Value; }
  // Applies the value, then refreshes Value from GetValue.
  void SetValue(const std::string& value);
  void ResetValue() { SetValue(InitialValue); }
  virtual void SetEnabled(bool enabled);

  // Geometry, visibility, tag and cursor into the control (property writes).
  void ApplyBounds();
  void ApplyVisible();
  void ApplyCursor();

  // Control events: the window is held, the object takes the control's state, then the
  // class's reaction runs.
  void ControlClicked() override;
  void ControlChanged() override;
  void PointerEntered() override;
  void PointerLeft() override;
  void ButtonPressed() override;
  void ButtonReleased() override;

 protected:
  // What the class does with a new value (the base keeps it in Value).
  virtual void ApplyValue(const std::string& value) { Value = value; }
  // Reads the control's state into the object (text typed, selection, check mark).
  virtual void TakeControlState() {}
  virtual void Clicked() { FireScript(kOnClick); }
  virtual void Changed() { FireScript(kOnChange); }
  virtual void PointerChanged(PointerChange) {}

  // Common part of the record; `extension` receives the class extension bytes.
  void ReadCommon(PayloadReader& reader, std::span<const uint8_t>& extension);
  void WriteCommon(PayloadWriter& writer, std::span<const uint8_t> extension = {}) const;
  int32_t ReadScript(PayloadReader& reader) { return reader.Int32(); }
  void FireScript(ScriptSlot slot);
  void MakeControl(platform::DialogWindow& window, platform::DialogControlKind kind,
                   const platform::DialogControlStyle& style = {});

 private:
  void PointerEvent(PointerChange change, std::string_view event);
  ObjectType type_;
};

}  // namespace kpf::dialogs
