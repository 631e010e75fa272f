// Actions that reach other characters: a copy of the player started as its own process with a
// project file, further characters in this process, variables sent to them and close requests.
#include <limits>

#include "engine/TCustomKPFPlayer.hpp"
#include "project/Errors.hpp"

namespace kpf::engine {

namespace {

// A project path the child must not take for a switch.
std::string AsArgument(const std::string& path) { return path.starts_with("-") ? "./" + path : path; }

}  // namespace

std::vector<std::string> ProjectInstanceArguments(const std::string& projectFile, int32_t childNumber,
                                                  const std::string& parentTitle) {
  return {AsArgument(projectFile), "-ve" + std::to_string(childNumber), "-vh" + parentTitle};
}

int32_t TCustomKPFPlayer::OwnHandle() const {
  const project::TTaviVariable* own = Model.VariableByName("CURRENT_INSTANCE");
  return own != nullptr ? static_cast<int32_t>(own->Value.ToInteger()) : 0;
}

void TCustomKPFPlayer::CountChildInstance() {
  // Wraps to 0 instead of overflowing; child processes make their titles unique themselves.
  childInstances_ = childInstances_ == std::numeric_limits<int32_t>::max() ? 0 : childInstances_ + 1;
}

void TCustomKPFPlayer::RunProjectInstance(const std::string& name) {
  // Empty when no candidate is an existing file.
  const std::string file = evaluation_.ResolveFileName(name);
  if (file.empty()) return;
  const std::string title = ApplicationTitle();
  const std::vector<std::string> arguments = ProjectInstanceArguments(file, childInstances_, title);
  // Without a bound a start script that calls this multiplies without end.
  const bool started = launcher_.StartPlayerCopy(options_.executablePath, arguments);
  Trace(Line("instance").Text("file", file).Int("number", childInstances_).Int("started", started ? 1 : 0));
  CountChildInstance();
}

std::optional<int32_t> TCustomKPFPlayer::LoadCharacter(const std::string& name) {
  if (!mainForm_.createPlayer) return std::nullopt;
  // A name that resolves to nothing loads nothing (an empty name would mean the player's own
  // package: a copy of this character, whose start script could repeat this).
  const std::string file = evaluation_.ResolveFileName(name);
  if (file.empty()) {
    Trace(Line("character").Text("file", name).Int("handle", 0));
    return std::nullopt;
  }
  const int32_t handle = mainForm_.createPlayer(OwnHandle(), file);
  Trace(Line("character").Text("file", file).Int("handle", handle));
  CountChildInstance();
  return handle;
}

void TCustomKPFPlayer::SendVariable(int32_t target, const project::TTaviVariable& variable) {
  if (mainForm_.sendToPlayers) mainForm_.sendToPlayers(target, variable);
}

void TCustomKPFPlayer::CloseCharacters(int32_t parentHandle, int32_t handle) {
  if (mainForm_.closeChildren) mainForm_.closeChildren(parentHandle, handle);
}

}  // namespace kpf::engine
