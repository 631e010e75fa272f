#pragma once
// A multi-line edit (type code 10): its lines as one text (each line ended by CR LF) are its
// value.
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyMemo : public TMyObject {
 public:
  TMyMemo() : TMyObject(ObjectType::Memo, 185, 89) {}
  const char* ClassName() const override { return "TMyMemo"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick, kOnChange}; }

  std::vector<std::string> Lines;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
  std::string GetCaption() const override { return GetValue(); }
  void SetCaption(const std::string& caption) override { ApplyValue(caption); }
  void ShowCaption() override {}
  std::string GetValue() const override;

 protected:
  void ApplyValue(const std::string& value) override;
  void TakeControlState() override;
};

}  // namespace kpf::dialogs
