#pragma once
// The per-user settings key ("SOFTWARE\Tavimo Design" on the original platform): a persistent
// key-value store with sub-keys, kept in one file. Every operation reads the file afresh and
// every change replaces it atomically under a lock, so several players can share it.
//
// A setting path names a value: the text after the last backslash is the value name, the text
// before it (if any) a sub-key path below the settings key.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "package/SettingsDocument.hpp"

namespace kpf::package {

class SettingsKey {
 public:
  using ErrorReporter = std::function<void(const std::string& message)>;

  // `folder` holds the store's file; failures are shown through `reportError`.
  SettingsKey(std::string folder, ErrorReporter reportError);

  // The folder of the per-user store: $KPF_SETTINGS_DIR, else $XDG_CONFIG_HOME/kpfplayer, else
  // $HOME/.config/kpfplayer.
  static std::string DefaultFolder();

  std::string ReadSetting(std::string_view path, const std::string& defaultValue) const;
  // A value that already holds the text leaves the file untouched (so do the other writes).
  void WriteSetting(std::string_view path, const std::string& text);
  // Several text values in one replacement of the file.
  void WriteSettings(std::span<const std::pair<std::string, std::string>> pathsAndTexts);
  int32_t ReadSettingInt(std::string_view path, int32_t defaultValue) const;
  void WriteSettingInt(std::string_view path, int32_t number);
  // Deletes the value; true when its key exists.
  bool DeleteSetting(std::string_view path);

  // Names of the direct sub-keys of `keyPath` (backslash-separated, "" for the settings key).
  std::vector<std::string> SubKeyNames(std::string_view keyPath) const;
  // Deletes a sub-key with everything below it; true when it existed.
  bool DeleteKey(std::string_view keyPath);

  const std::string& FilePath() const { return file_; }

 private:
  SettingsDocument Load() const;
  void Store(const SettingsDocument& document);
  // Runs `change` on the current document under the store's lock and saves the result.
  template <typename Change>
  auto Modify(Change&& change);

  std::string folder_;
  std::string file_;
  ErrorReporter reportError_;
};

}  // namespace kpf::package
