#include "package/FileUtil.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "project/Errors.hpp"

namespace kpf::package {

void UniqueFd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

UniqueFd CreateExclusive(int dirFd, const std::string& name, unsigned mode) {
  return UniqueFd(::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           static_cast<mode_t>(mode)));
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool PathExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

void WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes, unsigned mode) {
  const std::string folder = ParentFolder(path);
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.Valid()) throw project::KpfError("Cannot open folder " + folder + ": " + std::strerror(errno));

  std::random_device random;
  std::string tempName;
  UniqueFd file;
  for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
    tempName = ".kpf-" + std::to_string(random()) + ".tmp";
    file = CreateExclusive(dir.Get(), tempName, mode);
    if (!file.Valid() && errno != EEXIST) break;
  }
  if (!file.Valid()) throw project::KpfError("Cannot create a file in " + folder + ": " + std::strerror(errno));

  bool ok = WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0;
  int error = errno;
  file.Reset();
  if (ok && ::renameat(dir.Get(), tempName.c_str(), AT_FDCWD, path.c_str()) == 0) {
    ::fsync(dir.Get());
    return;
  }
  if (ok) error = errno;
  ::unlinkat(dir.Get(), tempName.c_str(), 0);
  throw project::KpfError("Cannot write " + path + ": " + std::strerror(error));
}

}  // namespace kpf::package
