#pragma once
// A block of memory mapped from a file, or an anonymous block backed by memory only. The project
// loader keeps all frame-image and sound bytes in one such block.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kpf::desktop {

class TVrMemoryFileWriter;

class TVrMemoryFile {
 public:
  // An empty block: no mapping, Memory() is null, Size() is 0.
  TVrMemoryFile() = default;
  // Empty `fileName`: an anonymous, zero-filled, writable block of `mapSize` bytes (0 gives an
  // empty block). Otherwise maps the existing file `fileName` copy-on-write: `mapSize` bytes of it,
  // or the whole file when `mapSize` is 0; writes stay in memory and never reach the file.
  // Throws std::runtime_error "Unable to open file." or "Unable to map file.".
  TVrMemoryFile(const std::string& fileName, size_t mapSize);
  ~TVrMemoryFile();

  TVrMemoryFile(TVrMemoryFile&& other) noexcept;
  TVrMemoryFile& operator=(TVrMemoryFile&& other) noexcept;
  TVrMemoryFile(const TVrMemoryFile&) = delete;
  TVrMemoryFile& operator=(const TVrMemoryFile&) = delete;

  // Start of the mapped bytes (null for an empty block). Writing to a read-only block faults.
  uint8_t* Memory() { return memory_; }
  const uint8_t* Memory() const { return memory_; }
  // Number of mapped bytes that may be accessed.
  size_t Size() const { return size_; }
  std::span<const uint8_t> Bytes() const { return {memory_, size_}; }
  bool ReadOnly() const { return readOnly_; }

  // Makes the block read-only so stray writes fault instead of corrupting shared data.
  void MakeReadOnly();

 private:
  friend class TVrMemoryFileWriter;
  // Maps `size` bytes of the open descriptor `fd` read-only (the descriptor may be closed after).
  static TVrMemoryFile MapReadOnly(int fd, size_t size);
  void Release() noexcept;

  uint8_t* memory_ = nullptr;
  size_t size_ = 0;
  bool readOnly_ = false;
};

}  // namespace kpf::desktop
