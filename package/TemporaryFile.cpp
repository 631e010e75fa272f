#include "package/TemporaryFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>

#include "package/FileUtil.hpp"
#include "package/PrivateTempFolder.hpp"
#include "package/ProcessTag.hpp"

namespace kpf::package {

namespace {

constexpr const char* kErrorCreating = "Error creating temporary file";

bool IsPlainComponent(std::string_view name) { return !name.empty() && name != "." && name != ".."; }

// An absolute path without empty, "." or ".." components.
bool IsCleanAbsolutePath(std::string_view path) {
  if (path.empty() || path.front() != '/') return false;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (!IsPlainComponent(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

std::string_view BaseName(std::string_view path) { return path.substr(path.find_last_of('/') + 1); }

std::string StripTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// A folder that exists as a real folder (no link) owned by this user.
bool IsOwnFolder(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

// Extensions come from project data: keep them from naming another folder.
std::string CleanExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  std::string clean(extension);
  for (char& c : clean)
    if (c == '/' || static_cast<unsigned char>(c) < 32) c = '_';
  return clean;
}

}  // namespace

std::vector<std::string> SplitDeleteList(const std::string& stored) {
  std::vector<std::string> items;
  const std::string separator = TTemporaryFile::kListSeparator;
  size_t start = 0;
  while (start <= stored.size()) {
    size_t end = stored.find(separator, start);
    if (end == std::string::npos) end = stored.size();
    if (end > start) items.push_back(stored.substr(start, end - start));
    start = end + separator.size();
  }
  return items;
}

std::string JoinDeleteList(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& entry : list) text += TTemporaryFile::kListSeparator + entry;
  return text;
}

bool TTemporaryFile::IsServiceFolderName(std::string_view path) {
  std::string_view name = BaseName(path);
  return IsCleanAbsolutePath(path) && name.size() == std::string_view(kFolderPrefix).size() + 6 &&
         name.starts_with(kFolderPrefix);
}

bool TTemporaryFile::IsServiceFileName(std::string_view path) {
  size_t slash = path.find_last_of('/');
  return slash != std::string_view::npos && IsCleanAbsolutePath(path) && IsServiceFolderName(path.substr(0, slash));
}

TTemporaryFile::TTemporaryFile(SettingsKey& settings, ErrorReporter reportError, std::string processTag)
    : settings_(settings), reportError_(std::move(reportError)), processTag_(std::move(processTag)) {
  if (processTag_.empty()) processTag_ = CurrentProcessTag();
  if (processTag_.empty()) processTag_ = std::to_string(::getpid()) + "-0";
  random_.seed(std::random_device()());
  AdoptListsOfEndedProcesses();
  CleanUp();
}

TTemporaryFile::~TTemporaryFile() {
  try {
    CleanUp();
    if (files_.empty() && folders_.empty()) settings_.DeleteKey(ListsKey());
  } catch (const std::exception&) {
    // Whatever is left stays listed and is deleted by a later start.
  }
}

std::string TTemporaryFile::ListsKey() const { return std::string(kListsKey) + "\\" + processTag_; }

std::string TTemporaryFile::ListPath(const char* valueName) const { return ListsKey() + "\\" + valueName; }

void TTemporaryFile::AdoptList(const std::string& stored, std::vector<std::string>& list, bool folders) {
  for (const std::string& item : SplitDeleteList(stored)) {
    bool named = folders ? IsServiceFolderName(item) : IsServiceFileName(item);
    if (named && PathExists(item)) list.push_back(item);
  }
}

void TTemporaryFile::AdoptListsOfEndedProcesses() {
  for (const std::string& tag : settings_.SubKeyNames(kListsKey)) {
    if (tag != processTag_ && IsProcessAlive(tag)) continue;
    const std::string key = std::string(kListsKey) + "\\" + tag + "\\";
    AdoptList(settings_.ReadSetting(key + "DeleteList", ""), files_, false);
    AdoptList(settings_.ReadSetting(key + "DeleteFolder", ""), folders_, true);
    SaveLists();
    if (tag != processTag_) settings_.DeleteKey(std::string(kListsKey) + "\\" + tag);
  }
}

void TTemporaryFile::CleanUp() {
  // A file stays listed only when it exists in a folder of ours and cannot be deleted; a name
  // outside our folders is dropped without touching it.
  std::erase_if(files_, [](const std::string& path) {
    if (!IsServiceFileName(path) || !PathExists(path)) return true;
    if (!IsOwnFolder(ParentFolder(path))) return true;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
  });
  std::erase_if(folders_, [this](const std::string& path) {
    if (owned_.contains(path)) return false;  // a live character's folder
    if (!IsServiceFolderName(path) || !IsOwnFolder(path)) return true;
    // Folders of ended processes go with whatever their characters' scripts left in them.
    if (path != privateFolder_) RemoveFolderTree(path);
    if (::rmdir(path.c_str()) != 0) return errno == ENOENT;
    if (path == privateFolder_) privateFolder_.clear();
    return true;
  });
  SaveLists();
}

void TTemporaryFile::SaveLists() {
  const std::pair<std::string, std::string> lists[] = {{ListPath("DeleteList"), JoinDeleteList(files_)},
                                                       {ListPath("DeleteFolder"), JoinDeleteList(folders_)}};
  settings_.WriteSettings(lists);
}

void TTemporaryFile::RegisterFile(const std::string& path) {
  files_.push_back(path);
  SaveLists();
}

std::string TTemporaryFile::BaseFolder() const {
  std::string configured = StripTrailingSlashes(settings_.ReadSetting("TemporaryFolder", ""));
  struct stat info;
  if (IsCleanAbsolutePath(configured) && ::stat(configured.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return configured;
  const char* tmp = std::getenv("TMPDIR");
  std::string system = StripTrailingSlashes((tmp && *tmp) ? tmp : "");
  return IsCleanAbsolutePath(system) ? system : "/tmp";
}

std::string TTemporaryFile::PrivateFolder() {
  if (!privateFolder_.empty() && IsOwnFolder(privateFolder_)) return privateFolder_;
  privateFolder_.clear();
  std::string pattern = BaseFolder() + "/" + kFolderPrefix + "XXXXXX";
  if (!IsCleanAbsolutePath(pattern) || ::mkdtemp(pattern.data()) == nullptr) return {};
  privateFolder_ = pattern;
  folders_.push_back(privateFolder_);
  SaveLists();
  return privateFolder_;
}

std::string TTemporaryFile::NewFolder() {
  std::string pattern = BaseFolder() + "/" + kFolderPrefix + "XXXXXX";
  if (!IsCleanAbsolutePath(pattern) || ::mkdtemp(pattern.data()) == nullptr) return {};
  folders_.push_back(pattern);
  owned_.insert(pattern);
  SaveLists();
  return pattern;
}

void TTemporaryFile::RemoveFolder(const std::string& path) {
  if (owned_.erase(path) == 0) return;
  RemoveFolderTree(path);
  std::erase(folders_, path);
  SaveLists();
}

std::string TTemporaryFile::GetTempFileName(std::string_view extension) {
  const std::string folder = PrivateFolder();
  if (!folder.empty()) {
    const std::string suffix = "." + CleanExtension(extension);
    for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
      std::string name = folder + "/" + std::to_string(nameCounter_) + "_" + std::to_string(random_() % 65535) + suffix;
      if (!PathExists(name)) return name;
    }
  }
  if (reportError_) reportError_(kErrorCreating);
  return {};
}

std::string TTemporaryFile::CreateTempFile(std::string_view extension, std::span<const uint8_t> buffer) {
  std::string path = GetTempFileName(extension);
  if (path.empty()) return {};
  UniqueFd file = CreateExclusive(AT_FDCWD, path);
  if (!file.Valid() || !WriteAll(file.Get(), buffer)) {
    if (file.Valid()) ::unlink(path.c_str());
    if (reportError_) reportError_(kErrorCreating);
    return {};
  }
  file.Reset();
  files_.push_back(path);
  const std::string stored = settings_.ReadSetting(ListPath("DeleteList"), "");
  settings_.WriteSetting(ListPath("DeleteList"), stored.empty() ? path : stored + kListSeparator + path);
  return path;
}

}  // namespace kpf::package
