#pragma once
// A check box (type code 9): its value is CheckedValue while checked, else empty; a value equal
// to CheckedValue checks it.
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyCheckBox : public TMyObject {
 public:
  TMyCheckBox() : TMyObject(ObjectType::CheckBox, 97, 17) {}
  const char* ClassName() const override { return "TMyCheckBox"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  std::string CheckedValue;
  bool Checked = false;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
  std::string GetValue() const override;

 protected:
  void ApplyValue(const std::string& value) override;
  void TakeControlState() override;
};

}  // namespace kpf::dialogs
