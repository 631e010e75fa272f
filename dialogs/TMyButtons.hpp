#pragma once
// Push buttons (type code 5) and picture buttons (type code 14). A click first submits or
// resets the dialog when the button's mode asks for it, then runs the click script. The value of
// both is their SubmitValue.
#include "dialogs/TImgBtn.hpp"
#include "dialogs/TMyFormBackground.hpp"
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

// What both kinds of button share: the mode, the submit value and the click rule.
class TMyButtonBase : public TMyObject {
 public:
  using TMyObject::TMyObject;
  TButtonMode Mode = TButtonMode::Normal;
  std::string SubmitValue;
  std::string GetValue() const override { return SubmitValue; }

 protected:
  void ApplyValue(const std::string& value) override { SubmitValue = value; }
  void Clicked() override;
  static TButtonMode ModeFromByte(uint8_t stored);
};

class TMyButton : public TMyButtonBase {
 public:
  TMyButton();
  const char* ClassName() const override { return "TMyButton"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
};

class TMyBitBtn : public TMyButtonBase {
 public:
  TMyBitBtn();
  const char* ClassName() const override { return "TMyBitBtn"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick, kOnChangeBitmap}; }

  TMyFormBackground IdleBitmap;
  TMyFormBackground HoverBitmap;
  TMyFormBackground ClickBitmap;
  TImgBtn Button;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;

 protected:
  void PointerChanged(PointerChange change) override;
};

}  // namespace kpf::dialogs
