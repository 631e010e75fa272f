// GetControlProperty and SetControlProperty: dialog objects by name, project menu entries, the
// temporary file of sounds, and the object that fired the running script (its sender).
#include "dialogs/TMyObject.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::engine::actions {

namespace {

enum Target { kDialogObject = 0, kMenuEntry = 1, kSoundFile = 2, kSender = 3 };

// Menu-entry sender properties.
enum MenuSenderProperty { kMenuCaption = 0, kMenuVisible = 8, kMenuValue = 10 };
enum MenuSenderChange { kSetCaption = 0, kSetVisible = 9, kSetValue = 11 };

// The live project menu entry that fired the script (its record and its menu item), or none
// once its entry was deleted.
struct MenuSender {
  project::TTaviMenu* entry = nullptr;
  MenuItem* item = nullptr;
};

MenuSender MenuSenderOf(TCustomKPFPlayer& player) {
  const TriggerContext& context = player.Context();
  if (context.sender != TriggerContext::SenderKind::MenuEntry || context.menuTag < 1 ||
      static_cast<size_t>(context.menuTag) > player.Model.MenuEntries.size())
    return {};
  MenuItem* item = player.Menu().ProjectItem(context.menuTag);
  if (item == nullptr) return {};
  return {&player.Model.MenuEntries[static_cast<size_t>(context.menuTag - 1)], item};
}

// The dialog object that fired the script while its window lives; null otherwise.
std::shared_ptr<dialogs::TMyObject> DialogSenderOf(TCustomKPFPlayer& player) {
  const TriggerContext& context = player.Context();
  if (context.sender != TriggerContext::SenderKind::Dialog) return nullptr;
  std::shared_ptr<dialogs::TMyObject> object = context.dialogObject.lock();
  return object && object->Host ? object : nullptr;
}

project::VariantValue GetSenderProperty(TCustomKPFPlayer& player, int code) {
  if (auto object = DialogSenderOf(player)) return object->Host->GetProperty(*object, code);
  if (MenuSender menu = MenuSenderOf(player); menu.entry != nullptr) {
    switch (code) {
      case kMenuCaption: return menu.entry->Caption;
      case kMenuVisible: return menu.item->visible ? 1 : 0;
      case kMenuValue: return menu.entry->Value2;
      default: break;
    }
  }
  return std::string();
}

void SetSenderProperty(TCustomKPFPlayer& player, int code, const std::string& value) {
  if (auto object = DialogSenderOf(player)) {
    object->Host->SetProperty(*object, code, value);
    return;
  }
  MenuSender menu = MenuSenderOf(player);
  if (menu.entry == nullptr) return;
  switch (code) {
    case kSetCaption: menu.entry->Caption = menu.item->caption = player.Evaluation().EvaluateText(value); break;
    case kSetVisible: menu.item->visible = project::ConvertToInteger(value) >= 1; break;
    case kSetValue: menu.entry->Value2 = project::ConvertToInteger(value); break;
    default: break;
  }
}

// Only a name the file-access policy lets the player read, as the path it stands for: the
// sound player is never handed a device, a folder outside the roots or an address.
void SetSoundFile(TCustomKPFPlayer& player, const std::string& soundName, const std::string& fileName) {
  const std::optional<std::string> path = player.Files().Readable(fileName);
  if (!path) return;
  for (auto& sound : player.Model.Sounds) {
    if (project::SameText(sound.Name, soundName)) sound.TempFileName = *path;
  }
}

int GetControlProperty(ActionCall& call) {
  switch (call.N[0]) {
    case kDialogObject: call.Set(3, call.player.Dialogs().GetProperty(call.T[1], call.N[2])); break;
    case kSender: call.Set(3, GetSenderProperty(call.player, call.N[2])); break;
    default: call.Set(3, 0); break;
  }
  return kResultNext;
}

int SetControlProperty(ActionCall& call) {
  switch (call.N[0]) {
    case kDialogObject: call.player.Dialogs().SetProperty(call.T[1], call.N[2], call.T[3]); break;
    case kMenuEntry: call.player.SetMenuProperty(call.T[1], call.N[2], call.T[3]); break;
    case kSoundFile: SetSoundFile(call.player, call.T[1], call.T[3]); break;
    case kSender: SetSenderProperty(call.player, call.N[2], call.T[3]); break;
    default: break;
  }
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {32, "ITII", GetControlProperty},
    {33, "ITIT", SetControlProperty},
};

}  // namespace

std::span<const ActionEntry> ControlActions() { return kEntries; }

}  // namespace kpf::engine::actions
