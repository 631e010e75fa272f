#include "sandbox/FileAccess.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "sandbox/FolderWalk.hpp"

namespace kpf::sandbox {

namespace fs = std::filesystem;

struct FileAccess::Root {
  std::vector<std::string> given;     // as the player named it, lexically normal
  std::vector<std::string> resolved;  // with the links in it followed
  std::string path;                   // the resolved path
  Descriptor folder;
  bool writable = false;
  bool temporary = false;
};

struct FileAccess::Target {
  const Root* root = nullptr;
  WalkEnd end;
  std::string Path() const { return end.folderPath + (end.folderPath == "/" ? "" : "/") + end.leaf; }
};

namespace {

std::vector<std::string> GivenComponents(const std::string& folder) {
  std::error_code error;
  return PathComponents(fs::absolute(folder, error).lexically_normal().string());
}

std::string RealFolder(const std::string& folder) {
  std::error_code error;
  const fs::path real = fs::canonical(folder, error);
  return error ? std::string() : real.string();
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? RealFolder(home) : std::string();
}

std::optional<std::pair<dev_t, ino_t>> Identity(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::make_pair(info.st_dev, info.st_ino);
}

// True when the open folder is one of the folders $PATH lists.
bool IsCommandFolder(int folder) {
  struct stat own {};
  const char* path = std::getenv("PATH");
  if (path == nullptr || ::fstat(folder, &own) != 0) return false;
  const std::string list = path;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    struct stat info {};
    if (!entry.empty() && ::stat(entry.c_str(), &info) == 0 && info.st_dev == own.st_dev && info.st_ino == own.st_ino) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

// A new hidden file next to the target, made exclusively (never an existing file or link).
Descriptor CreateSibling(int folder, const std::string& leaf, std::string& name) {
  static std::atomic<uint32_t> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = ".kpf-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + leaf.substr(0, 200);
    Descriptor file(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.valid() || errno != EEXIST) return file;
  }
  return {};
}

}  // namespace

FileAccess::FileAccess(const FileRoots& roots) {
  const std::string home = HomeFolder();
  auto add = [&](const std::string& folder, bool writable, bool temporary, bool homeAllowed) {
    if (folder.empty()) return;
    auto root = std::make_shared<Root>();
    root->path = RealFolder(folder);
    if (root->path.empty() || root->path == "/" || (!homeAllowed && root->path == home)) return;
    root->folder = Descriptor(::open(root->path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root->folder.valid()) return;
    root->given = GivenComponents(folder);
    root->resolved = PathComponents(root->path);
    root->writable = writable;
    root->temporary = temporary;
    roots_.push_back(std::move(root));
  };
  add(roots.characterFolder, true, false, true);
  add(roots.temporaryFolder, true, true, false);
  add(roots.documentsFolder, true, false, false);
  add(roots.executableFolder, false, false, true);
  if (!roots.characterFolder.empty()) {
    base_ = GivenComponents(roots.characterFolder);
    characterFolder_ = JoinedPath(*base_);
  }
  executable_ = Identity(roots.executablePath);
}

std::optional<FileAccess::Target> FileAccess::Find(std::string_view name, bool forWriting) const {
  const std::optional<std::vector<std::string>> path = AbsoluteComponents(name, base_);
  if (!path) return std::nullopt;
  // The deepest root that holds the name decides (a documents folder may lie inside another).
  const Root* best = nullptr;
  std::vector<std::string> below;
  for (const auto& root : roots_) {
    if (forWriting && !root->writable) continue;
    for (const auto* form : {&root->resolved, &root->given}) {
      std::optional<std::vector<std::string>> inside = BelowRoot(*path, *form);
      if (inside && (best == nullptr || form->size() > path->size() - below.size())) {
        best = root.get();
        below = std::move(*inside);
      }
    }
  }
  if (best == nullptr) return std::nullopt;
  std::optional<WalkEnd> end = WalkBelow(best->folder.get(), best->path, below);
  if (!end) return std::nullopt;
  return Target{best, std::move(*end)};
}

std::optional<std::string> FileAccess::Locate(std::string_view name, bool forWriting) const {
  const std::optional<Target> target = Find(name, forWriting);
  if (!target) return std::nullopt;
  return target->Path();
}

std::optional<std::string> FileAccess::Readable(std::string_view name) const {
  const std::optional<Target> target = Find(name, false);
  if (!target || !OpenRegularForReading(target->end).valid()) return std::nullopt;
  return target->Path();
}

std::optional<std::vector<uint8_t>> FileAccess::Read(std::string_view name, size_t cap) const {
  const std::optional<Target> target = Find(name, false);
  if (!target) return std::nullopt;
  const Descriptor file = OpenRegularForReading(target->end);
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0) return std::nullopt;
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > cap) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

bool FileAccess::Write(std::string_view name, std::span<const uint8_t> bytes) const {
  return Replace(name, bytes, 0644, false);
}

bool FileAccess::WritePlayerCopy(std::string_view name, std::span<const uint8_t> bytes, unsigned mode) const {
  return Replace(name, bytes, mode & 0777, true);
}

bool FileAccess::Replace(std::string_view name, std::span<const uint8_t> bytes, unsigned mode, bool playerCopy) const {
  const std::optional<Target> target = Find(name, true);
  if (!target || EndsWithIgnoringCase(target->end.leaf, ".desktop")) return false;
  const WalkEnd& end = target->end;
  const std::string path = target->Path();
  if (end.leafExists) {
    if (!S_ISREG(end.leafInfo.st_mode)) return false;
    const bool running = executable_ && end.leafInfo.st_dev == executable_->first &&
                         end.leafInfo.st_ino == executable_->second;
    if (running && !playerCopy) return false;
    if (target->root->temporary && !written_->contains(path)) return false;
  }
  if (playerCopy && IsCommandFolder(end.folder.get())) return false;

  std::string temporary;
  {
    const Descriptor file = CreateSibling(end.folder.get(), end.leaf, temporary);
    if (!file.valid()) return false;
    const bool written = ::fchmod(file.get(), mode) == 0 && WriteAll(file.get(), bytes);
    if (!written) {
      ::unlinkat(end.folder.get(), temporary.c_str(), 0);
      return false;
    }
  }
  if (::renameat(end.folder.get(), temporary.c_str(), end.folder.get(), end.leaf.c_str()) != 0) {
    ::unlinkat(end.folder.get(), temporary.c_str(), 0);
    return false;
  }
  if (target->root->temporary) written_->insert(path);
  return true;
}

}  // namespace kpf::sandbox
