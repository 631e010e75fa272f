#pragma once
// Variables a character saves between runs (SaveVariable, LoadVariable, DeleteSavedVariable): one
// value per variable, named by its upper-case name, in a key of the per-user settings store named
// by the application title. Titles and names come from untrusted characters, so both are escaped
// into one key and one value name each (a title can never reach another key, such as the
// temporary-file lists); an over-long value or title is refused. Failures show "Error writing
// registry" or "Error reading registry", each at most once per run.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "project/TTaviVariable.hpp"

namespace kpf::engine {

constexpr size_t kMaxSavedValueBytes = size_t{64} << 10;
constexpr size_t kMaxSavedTitleBytes = size_t{1} << 20;

class SavedVariables {
 public:
  using MessageSink = std::function<void(const std::string& message)>;

  // `settingsFolder` "" = the store's default folder.
  SavedVariables(std::string settingsFolder, MessageSink showMessage);

  void Save(std::string_view title, const project::TTaviVariable& variable);
  // The saved value of the variable: integer default 0, text default empty.
  project::VariantValue Load(std::string_view title, const project::TTaviVariable& variable);
  void Delete(std::string_view title, const project::TTaviVariable& variable);
  // Every value saved under the title (the character is being uninstalled).
  void DeleteAll(std::string_view title);

  // The per-user switch "Offline" (1: every internet transfer fails at once).
  bool OfflineByUser() const;

  // "<title>\<NAME>" with "%" and "\" escaped in both parts.
  static std::string SettingPath(std::string_view title, std::string_view name);

 private:
  void Show(const std::string& message);

  std::string folder_;
  MessageSink showMessage_;
  bool writeErrorShown_ = false;
  bool readErrorShown_ = false;
};

}  // namespace kpf::engine
