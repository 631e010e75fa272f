#include "project/ZLib.hpp"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

namespace kpf::project {

const char* ZlibErrorText(int code) {
  switch (code) {
    case Z_ERRNO: return "file error";
    case Z_STREAM_ERROR: return "stream error";
    case Z_DATA_ERROR: return "data error";
    case Z_MEM_ERROR: return "insufficient memory";
    case Z_BUF_ERROR: return "buffer error";
    case Z_VERSION_ERROR: return "incompatible version";
    case Z_NEED_DICT: return "data error";  // a preset dictionary is never supplied
    default: return "data error";
  }
}

namespace {

// Ends the inflate state on every exit path.
struct InflateState {
  z_stream z{};
  bool open = false;
  ~InflateState() {
    if (open) inflateEnd(&z);
  }
};

size_t RoundUpTo256(size_t n) { return (n + 255) & ~size_t{255}; }

}  // namespace

ByteBuffer DecompressBuf(std::span<const uint8_t> input, size_t outEstimate, size_t maxOutBytes) {
  if (input.size() > std::numeric_limits<uInt>::max())
    throw EZDecompressionError("stream error");
  const size_t step = std::max<size_t>(RoundUpTo256(input.size()), 256);
  size_t capacity = std::min(outEstimate ? outEstimate : step, std::max<size_t>(maxOutBytes, 1));
  ByteBuffer output(capacity);

  InflateState state;
  state.z.next_in = const_cast<Bytef*>(input.data());
  state.z.avail_in = static_cast<uInt>(input.size());
  int code = inflateInit(&state.z);
  if (code != Z_OK) throw EZDecompressionError(ZlibErrorText(code));
  state.open = true;

  size_t produced = 0;
  for (;;) {
    state.z.next_out = output.data() + produced;
    state.z.avail_out = static_cast<uInt>(std::min<size_t>(output.capacity() - produced, std::numeric_limits<uInt>::max()));
    size_t before = state.z.avail_out;
    code = inflate(&state.z, Z_NO_FLUSH);
    produced += before - state.z.avail_out;
    if (code == Z_STREAM_END) break;
    if (code != Z_OK) throw EZDecompressionError(ZlibErrorText(code));
    if (produced < output.capacity()) continue;  // output space left: inflate wants more calls
    if (output.capacity() >= maxOutBytes) throw EZDecompressionError("inflated data too large");
    // Grow by at least one step and at least double, so the number of growths stays small.
    size_t grown = std::max(output.capacity() + step, output.capacity() * 2);
    output.Reserve(std::min(grown, maxOutBytes));
  }
  output.SetSize(produced);
  return output;
}

void DecompressStream(const MemoryStream& source, MemoryStream& target, size_t maxOutBytes) {
  ByteBuffer inflated = DecompressBuf(source.Data(), 0, maxOutBytes);
  target = MemoryStream(inflated.ToVector());
}

}  // namespace kpf::project
