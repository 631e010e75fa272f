#pragma once
// The checks of `kpftool check` over a loaded model: references that lead nowhere, block
// structure, actions this player does not perform or that the file and program policies refuse,
// variable tags that name no variable, and scripts nothing starts.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "project/ProjectModel.hpp"
#include "tools/kpftool/Findings.hpp"

namespace kpf::tools {

// The parameters of one action item that name something: the parameter position and its role.
enum class ParamRole { Script, Dialog, PlayName, Animation, PlayList, Sound, File, Program, WebAddress, TransferAddress };
struct ParamReference {
  int32_t code;
  size_t position;
  ParamRole role;
  bool evaluated;  // a text parameter (EvaluateText) rather than a stored one
};
std::vector<ParamReference> ReferencesOf(int32_t code);

class CharacterChecks {
 public:
  CharacterChecks(const project::ProjectModel& model, Findings& findings) : model_(model), findings_(findings) {}

  // Every check, in the order scripts, menu entries, animations, play lists, dialogs, reach.
  void Run();

 private:
  using Actions = std::vector<project::TKPFExeAction>;

  // Action lists (ActionChecks.cpp).
  void CheckActions(const Actions& actions, const Place& place);
  void CheckItem(const project::TKPFExeAction& item, const Place& place);
  void CheckParameter(const project::TKPFExeAction& item, const ParamReference& reference, const Place& place);
  void CheckTags(std::string_view text, const Place& place);
  void CheckVariableReferences(const project::TKPFExeAction& item, const Place& place);

  // The other parts of the model (ModelChecks.cpp).
  void CheckMenus();
  void CheckAnimations();
  void CheckPlayLists();
  void CheckDialogs();
  void CheckReach();
  void CheckScriptId(int32_t id, const Place& place, const std::string& what);
  // The check of a script ID that something other than a script starts.
  void CheckStartedScript(int32_t id, const Place& place, const std::string& what);

  // Lookups as the player makes them (NameLookups.cpp).
  bool HasScript(int32_t id) const { return model_.ScriptById(id) != nullptr; }
  bool HasDialog(int32_t id) const;
  bool HasPlayList(std::string_view name) const;
  bool HasSound(std::string_view name) const;
  // Why PlayAnimationByName with `name` plays nothing, or empty when it plays something.
  std::string WhyNothingPlays(std::string_view name) const;
  // The script IDs an action starts (CallScript, timers, surface and transfer scripts).
  static std::vector<int32_t> ScriptsStartedBy(const project::TKPFExeAction& item);

  const project::ProjectModel& model_;
  Findings& findings_;
  std::set<int32_t> started_;  // script IDs started by menus, animations and dialogs
};

// The literal text a parameter stands for: the text expression's result, or the text as written
// when it is none. Empty when the text depends on variables (it holds a "<%...%>" tag).
std::string LiteralText(std::string_view text, bool evaluated);

}  // namespace kpf::tools
