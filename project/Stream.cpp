#include "project/Stream.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace kpf::project {

namespace {

// The in-memory streams' read: up to `count` bytes from `pos` (which may lie past the end).
size_t ReadAt(std::span<const uint8_t> data, size_t& pos, void* buffer, size_t count) {
  size_t available = pos < data.size() ? data.size() - pos : 0;
  size_t n = std::min(count, available);
  if (n) std::memcpy(buffer, data.data() + pos, n);
  pos += n;
  return n;
}

size_t CheckedPosition(int64_t position) {
  if (position < 0) throw EStreamError("Invalid stream position");
  return static_cast<size_t>(position);
}

}  // namespace

size_t MemoryStream::Read(void* buffer, size_t count) {
  return ReadAt(data_, pos_, buffer, count);
}

void MemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return;
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
}

void MemoryStream::SetPosition(int64_t position) {
  pos_ = CheckedPosition(position);
}

void MemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError("Invalid stream size");
  data_.resize(static_cast<size_t>(size));
  pos_ = std::min(pos_, data_.size());
}

std::vector<uint8_t> MemoryStream::Release() {
  pos_ = 0;
  return std::exchange(data_, {});
}

void MemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  pos_ = 0;
}

size_t SpanStream::Read(void* buffer, size_t count) {
  return ReadAt(data_, pos_, buffer, count);
}

void SpanStream::Write(const void*, size_t) { throw KpfError("Stream write error"); }

void SpanStream::SetPosition(int64_t position) {
  pos_ = CheckedPosition(position);
}

void SpanStream::SetSize(int64_t) { throw KpfError("Stream write error"); }

namespace {
std::string SystemReason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}
}  // namespace

FileStream::FileStream(const std::string& path, Mode mode) {
  int flags = mode == Mode::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
  if (fd_ < 0) throw KpfError(SystemReason("Cannot open", path));
}

FileStream::~FileStream() {
  if (fd_ >= 0) ::close(fd_);
}

size_t FileStream::Read(void* buffer, size_t count) {
  size_t done = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = ::read(fd_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void FileStream::Write(const void* buffer, size_t count) {
  size_t done = 0;
  auto* in = static_cast<const uint8_t*>(buffer);
  while (done < count) {
    ssize_t n = ::write(fd_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw KpfError("Stream write error");
    done += static_cast<size_t>(n);
  }
}

int64_t FileStream::Position() const { return ::lseek(fd_, 0, SEEK_CUR); }

void FileStream::SetPosition(int64_t position) {
  if (position < 0 || ::lseek(fd_, position, SEEK_SET) < 0) throw EStreamError("Invalid stream position");
}

int64_t FileStream::Size() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 ? info.st_size : 0;
}

void FileStream::SetSize(int64_t size) {
  if (size < 0 || ::ftruncate(fd_, size) != 0) throw KpfError("Stream write error");
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  FileStream file(path, FileStream::Mode::Read);
  int64_t size = file.Size();
  std::vector<uint8_t> content(static_cast<size_t>(size));
  if (file.Read(content.data(), content.size()) != content.size())
    throw KpfError("Cannot read " + path);
  return content;
}

}  // namespace kpf::project
