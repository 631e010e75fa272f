#include "project/ProjectModel.hpp"

#include <utility>

#include "project/SystemVariables.hpp"

namespace kpf::project {

bool ProjectModel::OptionFlag(int index) const {
  if (index >= 0 && static_cast<size_t>(index) < OptionFlags.size()) return OptionFlags[index] == 1;
  return index == 1 || index == 2 || index == 10;
}

void ProjectModel::Clear() {
  // Images and sounds borrow from FrameData: drop them before the block goes.
  Animations.clear();
  Bitmaps.clear();
  Sounds.clear();
  Scripts.clear();
  NextScriptId = 0;
  MenuEntries.clear();
  PlayLists.clear();
  Dialogs.clear();
  NextDialogId = 0;
  Variables.clear();
  NextVariableId = 0;
  OptionFlags.clear();
  MenuCaptions.clear();
  Cursors.clear();
  outlines_.clear();
  FrameData = desktop::TVrMemoryFile();
}

const TTaviScript* ProjectModel::ScriptById(int32_t id) const {
  if (id < 0) return nullptr;
  for (const auto& script : Scripts)
    if (script.Id == id) return &script;
  return nullptr;
}

TTaviScript* ProjectModel::ScriptById(int32_t id) {
  return const_cast<TTaviScript*>(std::as_const(*this).ScriptById(id));
}

const TTaviVariable* ProjectModel::VariableById(int32_t id) const {
  return FindVariableById(Variables, id);
}

TTaviVariable* ProjectModel::VariableById(int32_t id) { return FindVariableById(Variables, id); }

int32_t ProjectModel::VariablePosition(int32_t id) const {
  return VariablePositionOfId(Variables, id);
}

TTaviVariable* ProjectModel::VariableByName(std::string_view name) {
  return FindVariableByName(Variables, name);
}

const TTaviVariable* ProjectModel::VariableByName(std::string_view name) const {
  return FindVariableByName(Variables, name);
}

int32_t ProjectModel::AnimationIndexByName(std::string_view name) const {
  for (size_t i = Animations.size(); i-- > 0;)
    if (SameText(Animations[i].Name, name)) return static_cast<int32_t>(i);
  return -1;
}

TVrBitmap* ProjectModel::FrameImage(const TTaviFrame& frame, int variant) {
  if (variant < 0 || variant > 2) return nullptr;
  int32_t index = frame.Variants[static_cast<size_t>(variant)].Image;
  if (index < 0 || static_cast<size_t>(index) >= Bitmaps.size()) return nullptr;
  return &Bitmaps[static_cast<size_t>(index)];
}

}  // namespace kpf::project
