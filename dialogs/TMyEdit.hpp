#pragma once
// A one-line edit field (type code 4), optionally a password field; its text is its value.
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyEdit : public TMyObject {
 public:
  TMyEdit() : TMyObject(ObjectType::Edit, 121, 21) {}
  const char* ClassName() const override { return "TMyEdit"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnChange}; }

  bool PasswordField = false;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
  std::string GetCaption() const override { return GetValue(); }
  std::string GetValue() const override { return Control ? Control->Text() : Caption; }

 protected:
  void ApplyValue(const std::string& value) override;
  void TakeControlState() override;
};

}  // namespace kpf::dialogs
