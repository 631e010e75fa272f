#include "engine/MemoryStreams.hpp"

#include <atomic>
#include <limits>

namespace kpf::engine {

namespace {

// The process-wide counter stream handles come from; 0 once the int32 range is used up, so a
// handle is never given out twice.
int32_t NextStreamHandle() {
  static std::atomic<int64_t> next{1};
  const int64_t handle = next.fetch_add(1);
  return handle <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(handle) : 0;
}

}  // namespace

int32_t MemoryStreams::Create() {
  if (streams_.size() >= kMaxMemoryStreams) return 0;
  const int32_t handle = NextStreamHandle();
  if (handle != 0) streams_.emplace(handle, MemoryStream{});
  return handle;
}

MemoryStream* MemoryStreams::Find(int64_t handle) {
  if (handle <= 0 || handle > std::numeric_limits<int32_t>::max()) return nullptr;
  auto found = streams_.find(static_cast<int32_t>(handle));
  return found != streams_.end() ? &found->second : nullptr;
}

size_t MemoryStreams::Bytes() const {
  size_t bytes = 0;
  for (const auto& [handle, stream] : streams_) bytes += stream.bytes.size();
  return bytes;
}

bool MemoryStreams::Free(int64_t handle) {
  return Find(handle) != nullptr && streams_.erase(static_cast<int32_t>(handle)) == 1;
}

}  // namespace kpf::engine
