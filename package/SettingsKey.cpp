#include "package/SettingsKey.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>

#include "package/FileUtil.hpp"
#include "project/Errors.hpp"
#include "project/Stream.hpp"

namespace kpf::package {

using project::KpfError;

namespace {

constexpr const char* kSettingsFileName = "settings.ini";
constexpr const char* kLockFileName = "settings.lock";

struct SettingPath {
  std::string_view Key;
  std::string_view Name;
};

SettingPath SplitSettingPath(std::string_view path) {
  size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {{}, path};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void CreateFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw KpfError("Cannot create " + folder + ": " + error.message());
}

// Exclusive lock on the store for one read-modify-write; released when destroyed.
class StoreLock {
 public:
  explicit StoreLock(const std::string& folder)
      : fd_(::open((folder + "/" + kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)) {
    if (!fd_.Valid()) throw KpfError("Cannot lock the settings: " + std::string(std::strerror(errno)));
    while (::flock(fd_.Get(), LOCK_EX) != 0)
      if (errno != EINTR) throw KpfError("Cannot lock the settings: " + std::string(std::strerror(errno)));
  }

 private:
  UniqueFd fd_;
};

}  // namespace

SettingsKey::SettingsKey(std::string folder, ErrorReporter reportError)
    : folder_(std::move(folder)), file_(folder_ + "/" + kSettingsFileName), reportError_(std::move(reportError)) {}

std::string SettingsKey::DefaultFolder() {
  if (std::string dir = EnvOrEmpty("KPF_SETTINGS_DIR"); !dir.empty()) return dir;
  if (std::string config = EnvOrEmpty("XDG_CONFIG_HOME"); !config.empty()) return config + "/kpfplayer";
  return EnvOrEmpty("HOME") + "/.config/kpfplayer";
}

SettingsDocument SettingsKey::Load() const {
  struct stat info;
  if (::stat(file_.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};  // no store yet: every value is missing
    throw KpfError("Cannot read " + file_ + ": " + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) throw KpfError("Cannot read " + file_ + ": not a file");
  const std::vector<uint8_t> content = project::ReadWholeFile(file_);
  return SettingsDocument::Parse(std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

void SettingsKey::Store(const SettingsDocument& document) {
  const std::string text = document.Serialize();
  WriteFileAtomically(file_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

template <typename Change>
auto SettingsKey::Modify(Change&& change) {
  CreateFolder(folder_);
  StoreLock lock(folder_);
  SettingsDocument document = Load();
  const std::string before = document.Serialize();
  auto result = change(document);
  // A change that leaves the content as it was is not written: every store is a synced
  // replacement of the whole file.
  if (document.Serialize() != before) Store(document);
  return result;
}

std::string SettingsKey::ReadSetting(std::string_view path, const std::string& defaultValue) const {
  try {
    SettingPath setting = SplitSettingPath(path);
    SettingsDocument document = Load();
    const SettingsValue* value = document.Find(setting.Key, setting.Name);
    if (!value) return defaultValue;
    if (value->ValueType == SettingsValue::Type::Integer) return std::to_string(value->Integer);
    return value->Text;
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error reading registry");
    return defaultValue;
  }
}

int32_t SettingsKey::ReadSettingInt(std::string_view path, int32_t defaultValue) const {
  try {
    SettingPath setting = SplitSettingPath(path);
    SettingsDocument document = Load();
    const SettingsValue* value = document.Find(setting.Key, setting.Name);
    if (!value) return defaultValue;
    if (value->ValueType == SettingsValue::Type::Integer) return value->Integer;
    // A text value is read as an integer only when it is one; otherwise it has the wrong type.
    int32_t number = 0;
    const std::string& text = value->Text;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) throw KpfError("Invalid data type");
    return number;
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error reading registry");
    return defaultValue;
  }
}

void SettingsKey::WriteSetting(std::string_view path, const std::string& text) {
  try {
    SettingPath setting = SplitSettingPath(path);
    Modify([&](SettingsDocument& document) {
      document.Set(setting.Key, SettingsValue{std::string(setting.Name), SettingsValue::Type::Text, text, 0});
      return true;
    });
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error writing registry");
  }
}

void SettingsKey::WriteSettings(std::span<const std::pair<std::string, std::string>> pathsAndTexts) {
  try {
    Modify([&](SettingsDocument& document) {
      for (const auto& [path, text] : pathsAndTexts) {
        SettingPath setting = SplitSettingPath(path);
        document.Set(setting.Key, SettingsValue{std::string(setting.Name), SettingsValue::Type::Text, text, 0});
      }
      return true;
    });
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error writing registry");
  }
}

void SettingsKey::WriteSettingInt(std::string_view path, int32_t number) {
  try {
    SettingPath setting = SplitSettingPath(path);
    Modify([&](SettingsDocument& document) {
      document.Set(setting.Key, SettingsValue{std::string(setting.Name), SettingsValue::Type::Integer, {}, number});
      return true;
    });
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error writing registry");
  }
}

bool SettingsKey::DeleteSetting(std::string_view path) {
  try {
    SettingPath setting = SplitSettingPath(path);
    if (!Load().KeyExists(setting.Key)) return false;
    Modify([&](SettingsDocument& document) { return document.Remove(setting.Key, setting.Name); });
    return true;
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error reading registry");
    return false;
  }
}

std::vector<std::string> SettingsKey::SubKeyNames(std::string_view keyPath) const {
  try {
    return Load().SubKeyNames(keyPath);
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error reading registry");
    return {};
  }
}

bool SettingsKey::DeleteKey(std::string_view keyPath) {
  try {
    if (!Load().KeyExists(keyPath)) return false;
    return Modify([&](SettingsDocument& document) { return document.RemoveKey(keyPath); });
  } catch (const std::exception&) {
    if (reportError_) reportError_("Error writing registry");
    return false;
  }
}

}  // namespace kpf::package
