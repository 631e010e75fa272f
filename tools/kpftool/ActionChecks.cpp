// The checks of one action list: block structure, then each item's code, the names and IDs its
// parameters refer to, its variable tags and variable references, and the file names and
// addresses the policies will judge when it runs.
#include <algorithm>

#include "engine/ScriptRunner.hpp"
#include "engine/actions/ActionTable.hpp"
#include "project/ActionItems.hpp"
#include "sandbox/NameRules.hpp"
#include "sandbox/ProgramRules.hpp"
#include "sandbox/WebAddress.hpp"
#include "script/TextExpression.hpp"
#include "tools/kpftool/BlockChecks.hpp"
#include "tools/kpftool/CharacterChecks.hpp"

namespace kpf::tools {

namespace {

using project::ParamFormOfKind;
using project::ParamValueForm;
using project::TKPFExeAction;

constexpr ParamReference kReferences[] = {
    {0, 0, ParamRole::WebAddress, true},       {1, 0, ParamRole::PlayName, true},
    {14, 0, ParamRole::PlayList, false},       {15, 0, ParamRole::Program, true},
    {16, 0, ParamRole::Dialog, false},         {17, 0, ParamRole::Dialog, false},
    {19, 0, ParamRole::Sound, false},          {20, 0, ParamRole::Script, false},
    {23, 1, ParamRole::WebAddress, true},      {34, 0, ParamRole::TransferAddress, true},
    {34, 2, ParamRole::Script, false},         {48, 0, ParamRole::Dialog, false},
    {60, 0, ParamRole::Script, false},         {62, 2, ParamRole::Animation, true},
    {83, 0, ParamRole::File, true},            {100, 0, ParamRole::File, true},
    {103, 0, ParamRole::TransferAddress, true}, {103, 1, ParamRole::Script, false},
    {103, 2, ParamRole::Script, false},        {103, 3, ParamRole::File, true},
    {116, 1, ParamRole::Script, false},        {119, 1, ParamRole::Script, false},
    {147, 1, ParamRole::File, true},           {149, 1, ParamRole::File, true},
    {166, 0, ParamRole::TransferAddress, true}, {170, 0, ParamRole::Animation, false},
    {177, 1, ParamRole::Animation, false},     {178, 0, ParamRole::Animation, false},
    {190, 1, ParamRole::File, true},           {191, 1, ParamRole::File, true},
    {209, 1, ParamRole::File, true},           {218, 0, ParamRole::TransferAddress, true},
    {218, 1, ParamRole::Script, false},        {218, 2, ParamRole::Script, false},
    {221, 0, ParamRole::TransferAddress, true}, {221, 1, ParamRole::Script, false},
    {221, 2, ParamRole::Script, false},        {224, 0, ParamRole::TransferAddress, true},
    {224, 1, ParamRole::Script, false},        {224, 2, ParamRole::Script, false},
};

// ELSE and END IF are handled by the runner and have no entry of their own.
bool IsPerformed(int32_t code) {
  return code == engine::kActionElse || code == engine::kActionEndIf ||
         engine::actions::StandardActions().Find(code) != nullptr;
}

bool IsIdKind(int32_t kind) {
  const ParamValueForm form = ParamFormOfKind(kind);
  return form == ParamValueForm::Int32 || form == ParamValueForm::Byte;
}

// Why the file policy will not give a script this file, or empty. Path macros ("{temp}" and the
// like) lead into folders the policy allows, so names with them are not judged.
std::string FileNameProblem(std::string_view name) {
  if (name.empty() || name.find('{') != std::string_view::npos) return {};
  const std::vector<std::string> characterFolder = {"character"};
  const auto components = sandbox::AbsoluteComponents(name, characterFolder);
  if (!components)
    return "file name " + Quoted(name) + " is refused (drive letter, network name, control character or \"..\" above the top)";
  if (name.front() == '/' || name.front() == '\\')
    return "absolute file name " + Quoted(name) + " is reached only inside the character, temporary or documents folder";
  if (!sandbox::BelowRoot(*components, characterFolder))
    return "file name " + Quoted(name) + " climbs out of the character folder or names a hidden file";
  return {};
}

std::string ProgramProblem(std::string_view name) {
  if (!name.empty() && name.find('{') == std::string_view::npos && sandbox::IsWindowsProgramName(name))
    return "program " + Quoted(name) + " is a Windows program, which this player never starts";
  return FileNameProblem(name);
}

}  // namespace

std::vector<ParamReference> ReferencesOf(int32_t code) {
  std::vector<ParamReference> found;
  for (const auto& reference : kReferences)
    if (reference.code == code) found.push_back(reference);
  return found;
}

std::string LiteralText(std::string_view text, bool evaluated) {
  std::string literal = evaluated ? script::ParseTextExpression(text) : std::string();
  if (literal.empty()) literal = std::string(text);
  return literal.find("<%") == std::string::npos ? literal : std::string();
}

std::vector<int32_t> CharacterChecks::ScriptsStartedBy(const TKPFExeAction& item) {
  std::vector<int32_t> ids;
  for (const auto& reference : ReferencesOf(item.ActionType)) {
    if (reference.role != ParamRole::Script || reference.position >= item.ParamCount()) continue;
    if (IsIdKind(item.ParamKind[reference.position]) && item.ParamInt[reference.position] >= 0)
      ids.push_back(item.ParamInt[reference.position]);
  }
  return ids;
}

void CharacterChecks::CheckActions(const Actions& actions, const Place& place) {
  CheckBlocks(actions, place, findings_);
  for (size_t i = 0; i < actions.size(); ++i) CheckItem(actions[i], place.At("item", static_cast<int64_t>(i) + 1));
}

void CharacterChecks::CheckItem(const TKPFExeAction& item, const Place& place) {
  const int32_t code = item.ActionType;
  if (code == -1) return;  // an empty item
  if (!IsPerformed(code)) {
    const std::string why = code > engine::actions::kMaxActionCode ? " (above " + std::to_string(engine::actions::kMaxActionCode) + ")" : "";
    findings_.Warning(place, "action code " + std::to_string(code) + why + " is not performed by this player: the item does nothing");
    return;
  }
  for (const auto& reference : ReferencesOf(code))
    if (reference.position < item.ParamCount()) CheckParameter(item, reference, place);
  for (size_t i = 0; i < item.ParamCount(); ++i)
    if (ParamFormOfKind(item.ParamKind[i]) == ParamValueForm::Text) CheckTags(item.ParamText[i], place);
  CheckVariableReferences(item, place);
}

void CharacterChecks::CheckParameter(const TKPFExeAction& item, const ParamReference& reference, const Place& place) {
  const size_t n = reference.position;
  const std::string parameter = "parameter " + std::to_string(n + 1);
  if (reference.role == ParamRole::Script || reference.role == ParamRole::Dialog) {
    if (!IsIdKind(item.ParamKind[n]) || item.ParamInt[n] < 0) return;
    const int32_t id = item.ParamInt[n];
    if (reference.role == ParamRole::Script) CheckScriptId(id, place, parameter);
    else if (!HasDialog(id)) findings_.Error(place, parameter + " names dialog " + std::to_string(id) + ", which does not exist");
    return;
  }
  const std::string text = LiteralText(item.ParamText[n], reference.evaluated);
  if (item.ParamText[n].find("<%") != std::string::npos && text.empty()) return;  // depends on variables
  std::string problem;
  switch (reference.role) {
    case ParamRole::PlayName: problem = WhyNothingPlays(text); break;
    case ParamRole::Animation:
      if (model_.AnimationIndexByName(text) < 0) problem = "no animation is named " + Quoted(text);
      break;
    case ParamRole::PlayList:
      if (!HasPlayList(text)) problem = "no play list is named " + Quoted(text);
      break;
    case ParamRole::Sound:
      if (!HasSound(text)) problem = "no sound is named " + Quoted(text);
      break;
    case ParamRole::File:
      if (const std::string why = FileNameProblem(text); !why.empty()) findings_.Warning(place, why);
      return;
    case ParamRole::Program:
      if (const std::string why = ProgramProblem(text); !why.empty()) findings_.Warning(place, why);
      return;
    case ParamRole::WebAddress:
      if (!text.empty() && !sandbox::IsAllowedWebAddress(text))
        findings_.Warning(place, "address " + Quoted(text) + " is refused: only http, https and mailto addresses are opened");
      return;
    case ParamRole::TransferAddress:
      if (!text.empty() && !sandbox::IsAllowedTransferAddress(text))
        findings_.Warning(place, "address " + Quoted(text) + " is refused: transfers use only http and https addresses");
      return;
    default: return;
  }
  if (!problem.empty()) findings_.Error(place, problem);
}

void CharacterChecks::CheckScriptId(int32_t id, const Place& place, const std::string& what) {
  if (id >= 0 && !HasScript(id)) findings_.Error(place, what + " names script " + std::to_string(id) + ", which does not exist");
}

// Tags of names that match no variable stay in a text and count as 0 in a number.
void CharacterChecks::CheckTags(std::string_view text, const Place& place) {
  for (size_t open = text.find("<%"); open != std::string_view::npos; open = text.find("<%", open + 2)) {
    const size_t close = text.find("%>", open + 2);
    if (close == std::string_view::npos) return;
    const std::string_view name = text.substr(open + 2, close - open - 2);
    if (name.find("<%") != std::string_view::npos) continue;
    if (model_.VariableByName(name) == nullptr)
      findings_.Warning(place, "tag " + Quoted("<%" + std::string(name) + "%>") + " names no variable");
  }
}

void CharacterChecks::CheckVariableReferences(const TKPFExeAction& item, const Place& place) {
  for (size_t i = 0; i < item.ParamCount(); ++i) {
    const bool byPosition = ParamFormOfKind(item.ParamKind[i]) == ParamValueForm::VariablePosition;
    if ((byPosition && item.ParamInt[i] < 0) || item.ParamKind[i] == -1)
      findings_.Error(place, "parameter " + std::to_string(i + 1) + " names a variable that does not exist");
  }
}

}  // namespace kpf::tools
