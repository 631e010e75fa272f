#include "script/PathMacros.hpp"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "project/TTaviVariable.hpp"

namespace kpf::script {

namespace {


std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::optional<std::string> IfExistingFile(const std::string& path) {
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path;
}

std::string Joined(std::string_view folder, std::string_view name) {
  std::string path = WithoutTrailingSeparator(folder);
  if (path != "/") path += '/';
  path += name;
  return path;
}

bool IsDocumentsCandidate(const std::string& folder, const std::string& home) {
  return !folder.empty() && folder[0] == '/' && folder != "/" && folder != home;
}

// The value of `key` on a user-dirs line (KEY="$HOME/Folder" or KEY="/absolute"); "" otherwise.
std::string UserDirsValue(std::string_view line, std::string_view key, const std::string& home) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  if (!line.starts_with(key)) return {};
  line.remove_prefix(key.size());
  if (!line.starts_with("=\"")) return {};
  line.remove_prefix(2);
  const size_t end = line.find('"');
  if (end == std::string_view::npos) return {};
  std::string_view value = line.substr(0, end);
  if (value.find('\\') != std::string_view::npos) return {};
  if (value == "$HOME") return home;
  if (value.starts_with("$HOME/")) return home + std::string(value.substr(5));
  return std::string(value);
}

}  // namespace

PlayerFolders PlayerFolders::FromEnvironment() {
  PlayerFolders folders;
  folders.DocumentsFolder = DefaultDocumentsFolder();
  folders.TempFolder = DefaultTempFolder();
  return folders;
}

std::string DefaultDocumentsFolder() {
  const std::string home = WithoutTrailingSeparator(EnvironmentValue("HOME"));
  const std::string documents = WithoutTrailingSeparator(EnvironmentValue("XDG_DOCUMENTS_DIR"));
  if (IsDocumentsCandidate(documents, home)) return documents;
  if (home.empty()) return {};
  std::string config = EnvironmentValue("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') config = Joined(home, ".config");
  return DocumentsFolderFor(home, config);
}

std::string DocumentsFolderFor(const std::string& home, const std::string& configHome) {
  const std::string plainHome = WithoutTrailingSeparator(home);
  if (plainHome.empty()) return {};
  std::ifstream file(Joined(configHome, "user-dirs.dirs"));
  std::string line;
  while (std::getline(file, line)) {
    const std::string documents = WithoutTrailingSeparator(UserDirsValue(line, "XDG_DOCUMENTS_DIR", plainHome));
    if (IsDocumentsCandidate(documents, plainHome)) return documents;
  }
  return Joined(plainHome, "Documents");
}

std::string DefaultTempFolder() {
  const std::string temp = EnvironmentValue("TMPDIR");
  return temp.empty() ? std::string("/tmp") : WithoutTrailingSeparator(temp);
}

std::string WithoutTrailingSeparator(std::string_view folder) {
  if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
    folder.remove_suffix(1);
  return std::string(folder);
}

std::string ExpandPathMacros(const PlayerFolders& folders, std::string_view text) {
  const std::string& currentFolder =
      folders.CurrentFolder.empty() ? folders.ExecutableFolder : folders.CurrentFolder;
  const std::array<std::pair<std::string_view, std::string_view>, 3> macros = {{
      {"{mydocument}", folders.DocumentsFolder},
      {"{temp}", folders.TempFolder},
      {"{currdir}", currentFolder},
  }};
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    bool expanded = false;
    if (text[i] == '{') {
      for (const auto& [macro, folder] : macros) {
        if (!project::SameText(text.substr(i, macro.size()), macro)) continue;
        result += WithoutTrailingSeparator(folder);
        i += macro.size();
        expanded = true;
        break;
      }
    }
    if (!expanded) result += text[i++];
  }
  return result;
}

std::string WithForwardSlashes(std::string_view name) {
  std::string converted(name);
  for (char& c : converted)
    if (c == '\\') c = '/';
  return converted;
}

std::string ResolveFileName(const PlayerFolders& folders, std::string_view name) {
  return ResolveFileName(folders, name, IfExistingFile);
}

std::string ResolveFileName(const PlayerFolders& folders, std::string_view name, const FileCheck& check) {
  const std::string plain = WithForwardSlashes(name);
  const std::string expanded = WithForwardSlashes(ExpandPathMacros(folders, name));
  const std::array<std::string, 5> candidates = {
      expanded,
      folders.CurrentFolder.empty() ? std::string() : Joined(folders.CurrentFolder, expanded),
      folders.ExecutableFolder.empty() ? std::string() : Joined(folders.ExecutableFolder, plain),
      folders.DocumentsFolder.empty() ? std::string() : Joined(folders.DocumentsFolder, plain),
      folders.TempFolder.empty() ? std::string() : Joined(folders.TempFolder, plain),
  };
  for (const auto& candidate : candidates) {
    if (candidate.empty()) continue;
    if (std::optional<std::string> found = check(candidate)) return *found;
  }
  return {};
}

}  // namespace kpf::script
