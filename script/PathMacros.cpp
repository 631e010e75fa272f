#include "script/PathMacros.hpp"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "project/TTaviVariable.hpp"

namespace kpf::script {

namespace {


std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

bool IsExistingFile(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string Joined(std::string_view folder, std::string_view name) {
  std::string path = WithoutTrailingSeparator(folder);
  if (path != "/") path += '/';
  path += name;
  return path;
}

}  // namespace

PlayerFolders PlayerFolders::FromEnvironment() {
  PlayerFolders folders;
  folders.DocumentsFolder = DefaultDocumentsFolder();
  folders.TempFolder = DefaultTempFolder();
  return folders;
}

std::string DefaultDocumentsFolder() {
  std::string documents = EnvironmentValue("XDG_DOCUMENTS_DIR");
  if (!documents.empty()) return WithoutTrailingSeparator(documents);
  const std::string home = EnvironmentValue("HOME");
  if (home.empty()) return {};
  const std::string candidate = Joined(home, "Documents");
  return IsDirectory(candidate) ? candidate : WithoutTrailingSeparator(home);
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
  const std::string plain = WithForwardSlashes(name);
  const std::string expanded = WithForwardSlashes(ExpandPathMacros(folders, name));
  const std::array<std::string, 5> candidates = {
      expanded,
      folders.CurrentFolder.empty() ? std::string() : Joined(folders.CurrentFolder, expanded),
      folders.ExecutableFolder.empty() ? std::string() : Joined(folders.ExecutableFolder, plain),
      folders.DocumentsFolder.empty() ? std::string() : Joined(folders.DocumentsFolder, plain),
      folders.TempFolder.empty() ? std::string() : Joined(folders.TempFolder, plain),
  };
  for (const auto& candidate : candidates)
    if (IsExistingFile(candidate)) return candidate;
  return {};
}

}  // namespace kpf::script
