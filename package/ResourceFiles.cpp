#include "package/ResourceFiles.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "package/FileUtil.hpp"
#include "project/Errors.hpp"

namespace kpf::package {

using project::KpfError;

namespace {

KpfError SystemError(const std::string& what, const std::string& path) {
  return KpfError(what + " " + path + ": " + std::strerror(errno));
}

// Opens (creating when missing) one sub-folder below `parent` without following a link.
UniqueFd OpenSubFolder(int parent, const std::string& component, const std::string& path) {
  if (::mkdirat(parent, component.c_str(), 0700) != 0 && errno != EEXIST)
    throw SystemError("Cannot create folder", path);
  UniqueFd folder(::openat(parent, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.Valid()) throw SystemError("Cannot open folder", path);
  return folder;
}

}  // namespace

std::string GetResourceFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp && *tmp) ? tmp : "/tmp";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw KpfError("Cannot create folder " + folder + ": " + error.message());
  if (folder.back() != '/') folder += '/';
  return folder;
}

ExtractResult ExtractResource(const std::string& resourceFolder, const ResourceName& name,
                              std::span<const uint8_t> content, std::string& fullPath) {
  if (!name.Valid() || name.Components.empty()) throw KpfError("Bad resource name: " + name.Problem);
  UniqueFd folder(::open(resourceFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid()) throw SystemError("Cannot open folder", resourceFolder);

  fullPath = resourceFolder;
  if (!fullPath.empty() && fullPath.back() != '/') fullPath += '/';
  for (size_t i = 0; i + 1 < name.Components.size(); ++i) {
    fullPath += name.Components[i];
    folder = OpenSubFolder(folder.Get(), name.Components[i], fullPath);
    fullPath += '/';
  }
  const std::string& fileName = name.Components.back();
  fullPath += fileName;

  UniqueFd file = CreateExclusive(folder.Get(), fileName);
  if (!file.Valid()) {
    if (errno == EEXIST) return ExtractResult::AlreadyExists;
    throw SystemError("Cannot create", fullPath);
  }
  if (!WriteAll(file.Get(), content)) {
    KpfError error = SystemError("Cannot write", fullPath);
    file.Reset();
    ::unlinkat(folder.Get(), fileName.c_str(), 0);
    throw error;
  }
  return ExtractResult::Created;
}

}  // namespace kpf::package
