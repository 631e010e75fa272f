#pragma once
// The dialog object (type code 1): what the dialog window itself takes from the definition —
// caption, colour, border, placement, background picture, border icons, submit address, the
// window flags and the show, close and click scripts. Its control is the dialog window.
#include <string>

#include "dialogs/TMyFormBackground.hpp"
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyForm : public TMyObject {
 public:
  TMyForm();
  const char* ClassName() const override { return "TMyForm"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnShow, kOnClose, kOnClick}; }

  std::string ActionURL;
  TFormBorder BorderStyle = TFormBorder::fbsSizeable;
  TFormPosition Position = TFormPosition::fpoDesigned;
  TMyFormBackground Background;
  bool Borderless = false;
  uint8_t BorderIcons = kBiSystemMenu | kBiMinimize | kBiMaximize;
  bool AlwaysOnTop = false;
  bool FullScreen = false;
  bool Dragable = false;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  // The window builds itself from this object.
  void CreateControl(platform::DialogWindow&) override {}
};

}  // namespace kpf::dialogs
