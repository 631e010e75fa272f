#pragma once
// Walking from an open root folder down to a file, one component at a time with openat and
// O_NOFOLLOW, so that no symbolic link below the root is ever followed, whatever changes on the
// disk meanwhile. A component that does not exist as written is matched without regard to case.
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

namespace kpf::sandbox {

// Owns one file descriptor.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor();
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept;
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The name in folder `dir` for `name`: itself when an entry of that name exists (links
// included), else the first entry in byte order that matches without regard to case; nullopt
// when none does.
std::optional<std::string> FindEntry(int dir, const std::string& name);

// Where a walk ended: the open folder that holds the leaf, the folder's path, and the leaf's name
// on disk (as written when it does not exist).
struct WalkEnd {
  Descriptor folder;
  std::string folderPath;
  std::string leaf;
  bool leafExists = false;
  struct stat leafInfo {};  // of the leaf itself, not of a link's target
};

// Walks `components` (at least one) below the open folder `root` whose path is `rootPath`. Every
// folder on the way must be a real folder; nullopt otherwise.
std::optional<WalkEnd> WalkBelow(int root, const std::string& rootPath, const std::vector<std::string>& components);

// Opens the walk's leaf for reading when it is a regular file (never a FIFO, device, socket,
// folder or link; opened non-blocking and checked again after opening).
Descriptor OpenRegularForReading(const WalkEnd& end);

}  // namespace kpf::sandbox
