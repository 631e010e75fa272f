#include "sandbox/FolderWalk.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "sandbox/NameRules.hpp"

namespace kpf::sandbox {

Descriptor::~Descriptor() {
  if (fd_ >= 0) ::close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

namespace {

bool EntryExists(int dir, const std::string& name, struct stat& info) {
  return ::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<std::string> MatchIgnoringCase(int dir, const std::string& name) {
  const int listing = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return std::nullopt;
  DIR* folder = ::fdopendir(listing);
  if (folder == nullptr) {
    ::close(listing);
    return std::nullopt;
  }
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string candidate = entry->d_name;
    if (SameNameIgnoringCase(candidate, name) && (!best || candidate < *best)) best = candidate;
  }
  ::closedir(folder);
  return best;
}

}  // namespace

std::optional<std::string> FindEntry(int dir, const std::string& name) {
  struct stat info {};
  if (EntryExists(dir, name, info)) return name;
  return MatchIgnoringCase(dir, name);
}

std::optional<WalkEnd> WalkBelow(int root, const std::string& rootPath, const std::vector<std::string>& components) {
  if (components.empty()) return std::nullopt;
  WalkEnd end;
  end.folderPath = rootPath;
  int current = root;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    const std::optional<std::string> name = FindEntry(current, components[i]);
    if (!name) return std::nullopt;
    Descriptor next(::openat(current, name->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.valid()) return std::nullopt;
    end.folder = std::move(next);
    current = end.folder.get();
    end.folderPath += (end.folderPath == "/" ? "" : "/") + *name;
  }
  if (!end.folder.valid()) {
    end.folder = Descriptor(::openat(root, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!end.folder.valid()) return std::nullopt;
  }
  const std::optional<std::string> leaf = FindEntry(current, components.back());
  end.leaf = leaf.value_or(components.back());
  end.leafExists = leaf && EntryExists(current, end.leaf, end.leafInfo);
  return end;
}

Descriptor OpenRegularForReading(const WalkEnd& end) {
  if (!end.leafExists || !S_ISREG(end.leafInfo.st_mode)) return {};
  Descriptor file(::openat(end.folder.get(), end.leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  // Replaced between the look and the open: refuse rather than read something else.
  if (info.st_ino != end.leafInfo.st_ino || info.st_dev != end.leafInfo.st_dev) return {};
  return file;
}

}  // namespace kpf::sandbox
