#pragma once
// Whole-buffer zlib inflation. The system only ever inflates: compressed data is copied byte for
// byte wherever it is kept.
#include <cstdint>
#include <span>
#include <vector>

#include "project/ByteBuffer.hpp"
#include "project/Stream.hpp"

namespace kpf::project {

// Largest inflated project stream accepted; anything larger is treated as hostile.
constexpr size_t kMaxProjectStreamBytes = size_t{256} << 20;

// zlib's standard text for one of its negative return codes.
const char* ZlibErrorText(int code);

// Inflates one complete zlib stream. The output starts at `outEstimate` bytes (or the input size
// rounded up to 256 when 0) and grows geometrically, in place; more than `maxOutBytes` of output
// is an error. Failures raise EZDecompressionError with zlib's text for the code ("data error",
// ...).
ByteBuffer DecompressBuf(std::span<const uint8_t> input, size_t outEstimate = 0,
                                   size_t maxOutBytes = kMaxProjectStreamBytes);

// Inflates the whole content of `source` (not from its position) into `target`, which is cleared,
// filled and left at position 0.
void DecompressStream(const MemoryStream& source, MemoryStream& target,
                      size_t maxOutBytes = kMaxProjectStreamBytes);

}  // namespace kpf::project
