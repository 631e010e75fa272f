#include "desktop/TVrMemoryFileWriter.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

namespace kpf::desktop {
namespace {

constexpr const char* kMapError = "Unable to map file.";

}  // namespace

TVrMemoryFileWriter::~TVrMemoryFileWriter() { Close(); }

TVrMemoryFileWriter::TVrMemoryFileWriter(TVrMemoryFileWriter&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

TVrMemoryFileWriter& TVrMemoryFileWriter::operator=(TVrMemoryFileWriter&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void TVrMemoryFileWriter::Append(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  if (fd_ < 0) {
    fd_ = ::memfd_create("kpf-frame-data", MFD_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error(kMapError);
  }
  // write() may take less than asked (or be interrupted); keep going until all bytes are in.
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(kMapError);
    }
    bytes = bytes.subspan(static_cast<size_t>(written));
    size_ += static_cast<size_t>(written);
  }
}

TVrMemoryFile TVrMemoryFileWriter::Finish() {
  TVrMemoryFile block = TVrMemoryFile::MapReadOnly(fd_, size_);
  // The mapping keeps the memory alive; the descriptor is no longer needed.
  Close();
  return block;
}

void TVrMemoryFileWriter::Close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

}  // namespace kpf::desktop
