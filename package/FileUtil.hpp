#pragma once
// Small POSIX file helpers shared by the package reader and writer, the settings key and the
// temporary-file service: exclusive creation, complete writes and atomic replacement.
#include <cstdint>
#include <span>
#include <string>

namespace kpf::package {

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset();

 private:
  int fd_ = -1;
};

// Creates `name` inside the directory `dirFd` with O_CREAT|O_EXCL|O_NOFOLLOW; never opens or
// replaces an existing file or link. Returns an invalid fd with errno set on failure.
UniqueFd CreateExclusive(int dirFd, const std::string& name, unsigned mode = 0600);

// Writes every byte (retrying short writes); false on failure.
bool WriteAll(int fd, std::span<const uint8_t> bytes);

// Replaces `path` with `bytes` in one step: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so readers see the old or the new content and
// never a partial file. Throws KpfError on failure (the temporary file is removed).
void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes, unsigned mode = 0600);

// Folder part of a path ("." when it has none).
std::string ParentFolder(const std::string& path);

// True when something (file, folder or link) of that name exists; links are not followed.
bool PathExists(const std::string& path);

}  // namespace kpf::package
