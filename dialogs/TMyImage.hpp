#pragma once
// A picture object (type code 3): shows its stored picture with its transparent colour, unless
// the picture's kind is "2" (kept, not shown).
#include "dialogs/TMyFormBackground.hpp"
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyImage : public TMyObject {
 public:
  TMyImage() : TMyObject(ObjectType::Image, 100, 100) {}
  const char* ClassName() const override { return "TMyImage"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  TMyFormBackground Image;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
  // Replaces the picture (property codes 20 and 21) and shows it.
  void SetPicture(std::span<const uint8_t> data, uint8_t kind);
  void ShowPicture();
};

}  // namespace kpf::dialogs
