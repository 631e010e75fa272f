// The lookups of names and IDs the player makes when an action runs, for the reference checks.
#include <algorithm>
#include <cctype>

#include "sandbox/NameRules.hpp"
#include "tools/kpftool/CharacterChecks.hpp"

namespace kpf::tools {

namespace {

constexpr std::string_view kRandomFromList = "<<RANDOM:";

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

bool CharacterChecks::HasDialog(int32_t id) const {
  return std::any_of(model_.Dialogs.begin(), model_.Dialogs.end(), [id](const auto& d) { return d.ID == id; });
}

bool CharacterChecks::HasPlayList(std::string_view name) const {
  return std::any_of(model_.PlayLists.begin(), model_.PlayLists.end(),
                     [name](const auto& list) { return sandbox::SameNameIgnoringCase(list.Name, name); });
}

bool CharacterChecks::HasSound(std::string_view name) const {
  return std::any_of(model_.Sounds.begin(), model_.Sounds.end(),
                     [name](const auto& sound) { return sandbox::SameNameIgnoringCase(sound.Name, name); });
}

// An animation name, a "<<RANDOM:LIST>>" reference (matched against the play lists' names in
// upper case, so only an upper-case reference matches) or one of the two random choices.
std::string CharacterChecks::WhyNothingPlays(std::string_view name) const {
  if (model_.AnimationIndexByName(name) >= 0) return {};
  if (name == "<RANDOM FROM ALL EVENT>" || sandbox::SameNameIgnoringCase(name, "<RANDOM FROM SAME EVENT>")) return {};
  if (name.size() >= kRandomFromList.size() + 2 && name.substr(0, kRandomFromList.size()) == kRandomFromList) {
    const std::string_view list = name.substr(kRandomFromList.size(), name.size() - kRandomFromList.size() - 2);
    const bool matches = std::any_of(model_.PlayLists.begin(), model_.PlayLists.end(),
                                     [list](const auto& playList) { return Upper(playList.Name) == list; });
    if (matches) return {};
    if (HasPlayList(list)) return "play-list reference " + Quoted(name) + " matches only when written in upper case";
    return "no play list is named " + Quoted(list);
  }
  return "no animation is named " + Quoted(name);
}

}  // namespace kpf::tools
