#pragma once
// A growable byte buffer that neither zero-fills nor copies when it grows: large blocks are
// grown in place by the C allocator (which remaps pages), so inflating a big project stream
// never holds two copies of it, and pages past the written end are never touched.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace kpf::project {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(size_t capacity) { Reserve(capacity); }
  ~ByteBuffer() { std::free(data_); }
  ByteBuffer(ByteBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
      std::free(data_);
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  // Grows the capacity; the first `size()` bytes are kept, the rest is uninitialised.
  void Reserve(size_t capacity) {
    if (capacity <= capacity_) return;
    void* grown = std::realloc(data_, capacity);
    if (!grown) throw std::bad_alloc();
    data_ = static_cast<uint8_t*>(grown);
    capacity_ = capacity;
  }
  // Marks `size` bytes (at most the capacity) as written.
  void SetSize(size_t size) { size_ = size <= capacity_ ? size : capacity_; }

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  const uint8_t* begin() const { return data_; }
  const uint8_t* end() const { return data_ + size_; }
  uint8_t operator[](size_t index) const { return data_[index]; }
  operator std::span<const uint8_t>() const { return {data_, size_}; }
  std::span<const uint8_t> span() const { return {data_, size_}; }
  std::vector<uint8_t> ToVector() const { return {begin(), end()}; }

  friend bool operator==(const ByteBuffer& a, const std::vector<uint8_t>& b) {
    return a.size_ == b.size() && std::equal(a.begin(), a.end(), b.begin());
  }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace kpf::project
