#include "engine/SavedVariables.hpp"

#include "package/SettingsKey.hpp"

namespace kpf::engine {

namespace {

constexpr const char* kWriteError = "Error writing registry";
constexpr const char* kReadError = "Error reading registry";

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '%') {
      out += "%25";
    } else if (c == '\\') {
      out += "%5C";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

SavedVariables::SavedVariables(std::string settingsFolder, MessageSink showMessage)
    : folder_(settingsFolder.empty() ? package::SettingsKey::DefaultFolder() : std::move(settingsFolder)),
      showMessage_(std::move(showMessage)) {}

std::string SavedVariables::SettingPath(std::string_view title, std::string_view name) {
  return Escaped(title) + "\\" + Escaped(project::UpperName(name));
}

void SavedVariables::Show(const std::string& message) {
  bool& shown = message == kWriteError ? writeErrorShown_ : readErrorShown_;
  if (shown) return;
  shown = true;
  if (showMessage_) showMessage_(message);
}

void SavedVariables::Save(std::string_view title, const project::TTaviVariable& variable) {
  const std::string text = variable.IsText() ? variable.AsString() : std::string();
  if (title.size() > kMaxSavedTitleBytes || text.size() > kMaxSavedValueBytes) return Show(kWriteError);
  package::SettingsKey settings(folder_, [this](const std::string& message) { Show(message); });
  const std::string path = SettingPath(title, variable.Name);
  if (variable.IsText()) {
    settings.WriteSetting(path, text);
  } else {
    settings.WriteSettingInt(path, variable.AsInteger());
  }
}

project::VariantValue SavedVariables::Load(std::string_view title, const project::TTaviVariable& variable) {
  if (title.size() > kMaxSavedTitleBytes) {
    Show(kReadError);
    return variable.IsText() ? project::VariantValue(std::string()) : project::VariantValue(int32_t{0});
  }
  const package::SettingsKey settings(folder_, [this](const std::string& message) { Show(message); });
  const std::string path = SettingPath(title, variable.Name);
  if (!variable.IsText()) return project::VariantValue(settings.ReadSettingInt(path, 0));
  std::string text = settings.ReadSetting(path, "");
  if (text.size() > kMaxSavedValueBytes) text.clear();
  return project::VariantValue(std::move(text));
}

void SavedVariables::Delete(std::string_view title, const project::TTaviVariable& variable) {
  if (title.size() > kMaxSavedTitleBytes) return;
  package::SettingsKey settings(folder_, [this](const std::string& message) { Show(message); });
  settings.DeleteSetting(SettingPath(title, variable.Name));
}

void SavedVariables::DeleteAll(std::string_view title) {
  if (title.empty() || title.size() > kMaxSavedTitleBytes) return;
  package::SettingsKey settings(folder_, {});
  settings.DeleteKey(Escaped(title));
}

bool SavedVariables::OfflineByUser() const {
  const package::SettingsKey settings(folder_, {});
  return settings.ReadSettingInt("Offline", 0) == 1;
}

}  // namespace kpf::engine
