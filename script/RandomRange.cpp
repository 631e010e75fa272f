#include "script/RandomRange.hpp"

#include <limits>

#include "script/ProcessRandom.hpp"

namespace kpf::script {

uint32_t ProcessRandomRange(uint32_t range) {
  const auto drawn = static_cast<uint32_t>(ProcessRandomUniform() * range);
  return drawn < range ? drawn : range - 1;
}

int32_t RandomBelow(const RandomRange& random, int64_t range) {
  if (range <= 0) return 0;
  constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
  const auto bounded = static_cast<uint32_t>(range < kLargest ? range : kLargest);
  const uint32_t drawn = random ? random(bounded) : ProcessRandomRange(bounded);
  // A misbehaving source must not push the value outside the promised range.
  return static_cast<int32_t>(drawn < bounded ? drawn : bounded - 1);
}

}  // namespace kpf::script
