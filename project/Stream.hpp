#pragma once
// Byte streams with a position and a size: the base of every stored format.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "project/Errors.hpp"

namespace kpf::project {

class Stream {
 public:
  virtual ~Stream() = default;
  // Reads up to `count` bytes; returns how many were read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual void Write(const void* buffer, size_t count) = 0;
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t position) = 0;
  virtual int64_t Size() const = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Remaining() const { return Size() > Position() ? Size() - Position() : 0; }
  // Reads exactly `count` bytes or fails with "Stream read error".
  void ReadBuffer(void* buffer, size_t count) {
    if (Read(buffer, count) != count) throw EStreamError();
  }
};

// Growable stream in memory; its whole content is one contiguous buffer.
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> content) : data_(std::move(content)) {}

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override { return static_cast<int64_t>(pos_); }
  void SetPosition(int64_t position) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  std::span<const uint8_t> Data() const { return data_; }
  std::vector<uint8_t>& Buffer() { return data_; }
  std::vector<uint8_t> Release();
  void Clear();

 private:
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

// Read-only stream over memory owned by someone else.
class SpanStream : public Stream {
 public:
  explicit SpanStream(std::span<const uint8_t> data) : data_(data) {}

  size_t Read(void* buffer, size_t count) override;
  void Write(const void*, size_t) override;
  int64_t Position() const override { return static_cast<int64_t>(pos_); }
  void SetPosition(int64_t position) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t) override;
  std::span<const uint8_t> Data() const { return data_; }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

// A file opened for reading or for writing (created or truncated).
class FileStream : public Stream {
 public:
  enum class Mode { Read, Create };
  FileStream(const std::string& path, Mode mode);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override;
  void SetPosition(int64_t position) override;
  int64_t Size() const override;
  void SetSize(int64_t size) override;

 private:
  int fd_ = -1;
};

// Reads a whole file into memory; throws KpfError with the system's reason on failure.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace kpf::project
