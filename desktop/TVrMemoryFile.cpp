#include "desktop/TVrMemoryFile.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

namespace kpf::desktop {
namespace {

constexpr const char* kOpenError = "Unable to open file.";
constexpr const char* kMapError = "Unable to map file.";

// Closes a descriptor when the scope ends, whatever path leaves it.
class FdGuard {
 public:
  explicit FdGuard(int fd) : fd_(fd) {}
  ~FdGuard() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

uint8_t* MapOrThrow(size_t size, int prot, int flags, int fd) {
  void* address = ::mmap(nullptr, size, prot, flags, fd, 0);
  if (address == MAP_FAILED) throw std::runtime_error(kMapError);
  return static_cast<uint8_t*>(address);
}

}  // namespace

TVrMemoryFile::TVrMemoryFile(const std::string& fileName, size_t mapSize) {
  if (fileName.empty()) {
    if (mapSize == 0) return;
    memory_ = MapOrThrow(mapSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1);
    size_ = mapSize;
    return;
  }
  FdGuard file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) throw std::runtime_error(kOpenError);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) throw std::runtime_error(kOpenError);
  const auto fileSize = static_cast<size_t>(info.st_size);
  const size_t length = mapSize == 0 ? fileSize : mapSize;
  // Pages past the end of the file would fault on access, so the view never reaches beyond it.
  if (length == 0 || length > fileSize) throw std::runtime_error(kMapError);
  memory_ = MapOrThrow(length, PROT_READ | PROT_WRITE, MAP_PRIVATE, file.get());
  size_ = length;
}

TVrMemoryFile::~TVrMemoryFile() { Release(); }

TVrMemoryFile::TVrMemoryFile(TVrMemoryFile&& other) noexcept
    : memory_(std::exchange(other.memory_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      readOnly_(std::exchange(other.readOnly_, false)) {}

TVrMemoryFile& TVrMemoryFile::operator=(TVrMemoryFile&& other) noexcept {
  if (this != &other) {
    Release();
    memory_ = std::exchange(other.memory_, nullptr);
    size_ = std::exchange(other.size_, 0);
    readOnly_ = std::exchange(other.readOnly_, false);
  }
  return *this;
}

void TVrMemoryFile::MakeReadOnly() {
  if (memory_ != nullptr && !readOnly_ && ::mprotect(memory_, size_, PROT_READ) != 0) {
    throw std::runtime_error(kMapError);
  }
  readOnly_ = true;
}

TVrMemoryFile TVrMemoryFile::MapReadOnly(int fd, size_t size) {
  TVrMemoryFile file;
  if (size == 0) return file;
  file.memory_ = MapOrThrow(size, PROT_READ, MAP_SHARED, fd);
  file.size_ = size;
  file.readOnly_ = true;
  return file;
}

void TVrMemoryFile::Release() noexcept {
  if (memory_ != nullptr) ::munmap(memory_, size_);
  memory_ = nullptr;
  size_ = 0;
  readOnly_ = false;
}

}  // namespace kpf::desktop
