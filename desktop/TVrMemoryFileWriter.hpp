#pragma once
// Fills an anonymous memory block sequentially when its final size is not known in advance: the
// bytes go straight into a memory-backed file and are mapped once at the end, so the data is
// never held twice.
#include <cstddef>
#include <cstdint>
#include <span>

#include "desktop/TVrMemoryFile.hpp"

namespace kpf::desktop {

class TVrMemoryFileWriter {
 public:
  TVrMemoryFileWriter() = default;
  ~TVrMemoryFileWriter();
  TVrMemoryFileWriter(TVrMemoryFileWriter&& other) noexcept;
  TVrMemoryFileWriter& operator=(TVrMemoryFileWriter&& other) noexcept;
  TVrMemoryFileWriter(const TVrMemoryFileWriter&) = delete;
  TVrMemoryFileWriter& operator=(const TVrMemoryFileWriter&) = delete;

  // Adds `bytes` at offset Size(). Throws std::runtime_error "Unable to map file." when the
  // backing file cannot be made or written.
  void Append(std::span<const uint8_t> bytes);
  // Bytes written so far: the offset the next Append starts at.
  size_t Size() const { return size_; }
  // Maps everything written as one read-only block and leaves the writer empty (ready to start a
  // new block). Nothing written gives an empty block.
  TVrMemoryFile Finish();

 private:
  void Close() noexcept;

  int fd_ = -1;
  size_t size_ = 0;
};

}  // namespace kpf::desktop
