#pragma once
// A label (type code 2): a static text whose caption is also its value. Its record stores the
// caption before the common part and its flags in a one-byte extension.
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyLabel : public TMyObject {
 public:
  TMyLabel() : TMyObject(ObjectType::Label, 65, 13) {}
  const char* ClassName() const override { return "TMyLabel"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  bool WordWrap = false;
  bool AutoSize = true;
  bool Transparent = true;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
  std::string GetValue() const override;

 protected:
  void ApplyValue(const std::string& value) override;
};

}  // namespace kpf::dialogs
