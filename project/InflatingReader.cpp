#include "project/InflatingReader.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "project/Errors.hpp"
#include "project/ZLib.hpp"

namespace kpf::project {

namespace {

// Big enough that zlib works in long runs, small enough to stay in the cache.
constexpr size_t kWindowBytes = size_t{256} << 10;

}  // namespace

InflatingReader::InflatingReader(std::span<const uint8_t> compressed, size_t maxOutBytes)
    : maxOutBytes_(maxOutBytes), window_(kWindowBytes) {
  if (compressed.size() > std::numeric_limits<uInt>::max()) throw EZDecompressionError("stream error");
  z_.next_in = const_cast<Bytef*>(compressed.data());
  z_.avail_in = static_cast<uInt>(compressed.size());
  const int code = inflateInit(&z_);
  if (code != Z_OK) throw EZDecompressionError(ZlibErrorText(code));
  open_ = true;
}

InflatingReader::~InflatingReader() {
  if (open_) inflateEnd(&z_);
}

void InflatingReader::Fill(size_t count) {
  if (Available() >= count || ended_) return;
  // Unread bytes move to the front; the window grows only for a single longer request.
  if (begin_ > 0) {
    std::memmove(window_.data(), window_.data() + begin_, Available());
    end_ -= begin_;
    begin_ = 0;
  }
  if (window_.size() < count) window_.resize(count);
  while (end_ < count && !ended_) {
    // One byte past the limit shows a stream that is too large.
    const size_t left = maxOutBytes_ - produced_;
    const size_t room = std::min({window_.size() - end_, left < SIZE_MAX ? left + 1 : left,
                                  size_t{std::numeric_limits<uInt>::max()}});
    z_.next_out = window_.data() + end_;
    z_.avail_out = static_cast<uInt>(room);
    const int code = inflate(&z_, Z_NO_FLUSH);
    const size_t made = room - z_.avail_out;
    end_ += made;
    produced_ += made;
    if (produced_ > maxOutBytes_) Fail("inflated data too large");
    if (code == Z_STREAM_END) {
      ended_ = true;
    } else if (code != Z_OK) {
      Fail(ZlibErrorText(code));
    }
  }
}

void InflatingReader::Fail(const char* text) {
  broken_ = true;
  throw EZDecompressionError(text);
}

std::span<const uint8_t> InflatingReader::TakeUpTo(size_t count) {
  Fill(count);
  const size_t taken = std::min(count, Available());
  std::span<const uint8_t> bytes(window_.data() + begin_, taken);
  begin_ += taken;
  position_ += taken;
  return bytes;
}

std::span<const uint8_t> InflatingReader::Take(size_t count) {
  auto bytes = TakeUpTo(count);
  if (bytes.size() < count) throw EStreamError();
  return bytes;
}

bool InflatingReader::Skip(size_t count) {
  while (count > 0) {
    auto piece = TakeUpTo(std::min(count, kWindowBytes));
    if (piece.empty()) return false;
    count -= piece.size();
  }
  return true;
}

void InflatingReader::Drain() {
  while (!TakeUpTo(kWindowBytes).empty()) {
  }
}

}  // namespace kpf::project
