#pragma once
// The JSON keys of dialog script slots: the slot names without their underscore.
#include <string>

#include "dialogs/TMyObject.hpp"

namespace kpf::tools {

// "OnClick", "OnChange", ...; a picture button's second slot is "OnChangeBitmap".
inline std::string ScriptSlotKey(const dialogs::TMyObject& object, dialogs::ScriptSlot slot) {
  using namespace dialogs;
  if (object.Type() == ObjectType::BitBtn && slot == kOnChangeBitmap) return "OnChangeBitmap";
  switch (slot) {
    case kOnClick: return "OnClick";
    case kOnChange: return "OnChange";
    case kOnShow: return "OnShow";
    case kOnClose: return "OnClose";
    case kOnDownloadError: return "OnDownloadError";
    case kOnDownloadStart: return "OnDownloadStart";
    case kOnDownloadData: return "OnDownloadData";
    case kOnDownloadEnd: return "OnDownloadEnd";
    case kOnComplete: return "OnComplete";
    case kUnusedSlot: break;
  }
  return "Slot" + std::to_string(static_cast<int>(slot));
}

}  // namespace kpf::tools
