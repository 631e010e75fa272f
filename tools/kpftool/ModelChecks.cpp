// The checks of the parts of a model around the scripts: what menu entries, animations, play
// lists and dialogs refer to, and which scripts nothing ever starts.
#include <deque>
#include <map>

#include "dialogs/DialogDefinition.hpp"
#include "tools/kpftool/CharacterChecks.hpp"

namespace kpf::tools {

namespace {

// Names of the dialog objects' script slots, in stored order.
constexpr const char* kObjectSlotNames[dialogs::kScriptSlotCount] = {
    "OnClick", "OnChange", "OnShow", "OnClose", "slot 5", "OnDownloadError", "OnDownloadStart", "OnDownloadData",
    "OnDownloadEnd", "OnComplete"};

// A trigger kind of 0 or -1 means the engine never runs the script by itself.
bool HasGlobalTrigger(const project::TTaviScript& script) { return script.Trigger != 0 && script.Trigger != -1; }

}  // namespace

void CharacterChecks::Run() {
  for (const auto& script : model_.Scripts) CheckActions(script.Actions, Place::Of("script", script.Name));
  CheckMenus();
  CheckAnimations();
  CheckPlayLists();
  CheckDialogs();
  CheckReach();
}

void CharacterChecks::CheckStartedScript(int32_t id, const Place& place, const std::string& what) {
  CheckScriptId(id, place, what);
  if (id >= 0) started_.insert(id);
}

void CharacterChecks::CheckMenus() {
  for (const auto& entry : model_.MenuEntries) {
    const Place place = Place::Of("menu", entry.Caption);
    // An entry's own actions were made into a script the entry starts; they are checked there.
    CheckStartedScript(entry.ScriptId, place, "the entry");
  }
}

void CharacterChecks::CheckAnimations() {
  for (const auto& animation : model_.Animations) {
    const Place place = Place::Of("animation", animation.Name);
    for (size_t slot = 0; slot < animation.EventScripts.size(); ++slot)
      CheckStartedScript(animation.EventScripts[slot], place, "trigger slot " + std::to_string(slot));
    CheckTags(animation.PosX, place);
    CheckTags(animation.PosY, place);
    for (size_t f = 0; f < animation.Frames.size(); ++f)
      CheckStartedScript(animation.Frames[f].ScriptId, place.At("frame", static_cast<int64_t>(f) + 1), "the frame");
  }
}

void CharacterChecks::CheckPlayLists() {
  for (const auto& list : model_.PlayLists) {
    const Place place = Place::Of("playList", list.Name);
    for (size_t i = 0; i < list.Items.size(); ++i) {
      const std::string why = WhyNothingPlays(list.Items[i]);
      if (!why.empty()) findings_.Error(place.At("entry", static_cast<int64_t>(i) + 1), why);
    }
  }
}

void CharacterChecks::CheckDialogs() {
  for (const auto& dialog : model_.Dialogs) {
    const Place place = Place::Of("dialog", dialog.Name);
    const dialogs::DialogDefinition definition = dialogs::ReadDefinition(dialog.Definition);
    if (!definition.Error.empty())
      findings_.Warning(place, "the definition stops early (" + definition.Error + "): the objects after it are missing");
    for (const auto& object : definition.Objects) {
      const Place at = place.At("object", object->Name);
      for (const dialogs::ScriptSlot slot : object->StoredScriptSlots())
        CheckStartedScript(object->Scripts[slot], at, kObjectSlotNames[slot]);
    }
  }
}

// From the scripts with a global trigger and what menus, animations and dialogs start, along the
// script IDs of the actions (calls, timers, surfaces, transfers).
void CharacterChecks::CheckReach() {
  std::map<int32_t, const project::TTaviScript*> firstWithId;
  for (const auto& script : model_.Scripts) {
    if (firstWithId.emplace(script.Id, &script).second) continue;
    findings_.Warning(Place::Of("script", script.Name),
                      "another script has the ID " + std::to_string(script.Id) + " before it: this one never runs");
  }
  std::set<int32_t> reached;
  std::deque<int32_t> pending(started_.begin(), started_.end());
  for (const auto& script : model_.Scripts)
    if (HasGlobalTrigger(script)) pending.push_back(script.Id);
  while (!pending.empty()) {
    const int32_t id = pending.front();
    pending.pop_front();
    const auto found = firstWithId.find(id);
    if (found == firstWithId.end() || !reached.insert(id).second) continue;
    for (const auto& item : found->second->Actions)
      for (int32_t next : ScriptsStartedBy(item)) pending.push_back(next);
  }
  for (const auto& script : model_.Scripts)
    if (firstWithId[script.Id] == &script && !reached.count(script.Id))
      findings_.Note(Place::Of("script", script.Name), "no trigger, menu entry, dialog, timer or call starts this script");
}

}  // namespace kpf::tools
