#pragma once
// Front-to-back reading of one zlib stream while it inflates: only a small window of inflated
// bytes is held at a time, so a large stream can be read (and its bulky parts copied elsewhere)
// without ever being whole in memory.
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kpf::project {

class InflatingReader {
 public:
  using Sink = std::function<void(std::span<const uint8_t>)>;

  // Inflation errors raise EZDecompressionError with zlib's text (as DecompressBuf does), and
  // "inflated data too large" past `maxOutBytes` of output.
  InflatingReader(std::span<const uint8_t> compressed, size_t maxOutBytes);
  ~InflatingReader();
  InflatingReader(const InflatingReader&) = delete;
  InflatingReader& operator=(const InflatingReader&) = delete;

  // The next `count` bytes, valid until the next call; EStreamError when the stream ends first.
  std::span<const uint8_t> Take(size_t count);
  // Up to `count` next bytes (fewer only at the end of the stream), valid until the next call.
  std::span<const uint8_t> TakeUpTo(size_t count);
  // Skips up to `count` bytes; false when the stream ended first.
  bool Skip(size_t count);
  // Inflates the rest of the stream, dropping it: checks that the stream is whole.
  void Drain();
  // An inflation error was raised (the stream is damaged, or too large).
  bool Broken() const { return broken_; }
  // Inflated bytes read so far.
  size_t Position() const { return position_; }

 private:
  // Makes at least `count` bytes (or all that is left) available from begin_ on.
  void Fill(size_t count);
  [[noreturn]] void Fail(const char* text);
  size_t Available() const { return end_ - begin_; }

  z_stream z_{};
  bool open_ = false;
  bool ended_ = false;
  bool broken_ = false;
  size_t maxOutBytes_;
  size_t produced_ = 0;
  size_t position_ = 0;
  std::vector<uint8_t> window_;
  size_t begin_ = 0;
  size_t end_ = 0;
};

}  // namespace kpf::project
