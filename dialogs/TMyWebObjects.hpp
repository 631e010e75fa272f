#pragma once
// The HTML object (type code 11) and the Flash object (type code 12). The player has no browser
// and no Flash: the HTML object is an empty panel at its place that keeps the browser texts and
// flags the property interface writes, and the Flash object makes no control.
#include <string>

#include "dialogs/TMyContentFiles.hpp"
#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyHTML : public TMyObject {
 public:
  TMyHTML() : TMyObject(ObjectType::HTML, 185, 41) {}
  const char* ClassName() const override { return "TMyHTML"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnComplete, kOnClick}; }

  TMyHTMLFile HTML;
  std::string NavigateURL;
  std::string LocationURL;
  bool Busy = false;
  bool Complete = false;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
};

class TMyFlash : public TMyObject {
 public:
  TMyFlash() : TMyObject(ObjectType::Flash, 160, 100) {}
  const char* ClassName() const override { return "TMyFlash"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override {
    return {kOnDownloadError, kOnDownloadStart, kOnDownloadData, kOnDownloadEnd};
  }

  TMyFlashFile FlashFile;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow&) override { FreeControl(); }
};

}  // namespace kpf::dialogs
