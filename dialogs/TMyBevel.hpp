#pragma once
// A bevel (type code 13): a drawn box, frame or line, raised or lowered. It has no value and
// runs no scripts.
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyBevel : public TMyObject {
 public:
  TMyBevel() : TMyObject(ObjectType::Bevel, 300, 200) {}
  const char* ClassName() const override { return "TMyBevel"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {}; }

  TBevelShape Shape = TBevelShape::bsBox;
  TBevelStyle Style = TBevelStyle::bsRaised;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
};

}  // namespace kpf::dialogs
