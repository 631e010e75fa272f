#pragma once
// The memory streams of one player (NewStream, FreeStream and the stream actions). Scripts hold a
// stream by its handle in a variable; handles come from one counter of the process, start at 1
// and are never reused, so a stale or forged number names no stream (0 never does).
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace kpf::engine {

struct MemoryStream {
  std::vector<uint8_t> bytes;
  size_t position = 0;
};

// Most streams one player keeps, and most bytes one stream holds.
constexpr size_t kMaxMemoryStreams = 1024;
constexpr size_t kMaxMemoryStreamBytes = size_t{64} << 20;

class MemoryStreams {
 public:
  // A new empty stream and its handle; 0 (nothing made) once kMaxMemoryStreams exist.
  int32_t Create();
  // The live stream with that handle; null for 0, unknown and released handles.
  MemoryStream* Find(int64_t handle);
  // Releases the stream; false when the handle named none.
  bool Free(int64_t handle);
  void Clear() { streams_.clear(); }
  size_t size() const { return streams_.size(); }
  // Bytes all streams hold.
  size_t Bytes() const;

 private:
  std::map<int32_t, MemoryStream> streams_;
};

}  // namespace kpf::engine
