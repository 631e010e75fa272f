#pragma once
// Pseudo-random integers for the system variables and animation positions. The player draws them
// from the process-wide generator (the one behind the parser's "random"), so seeding that generator
// makes a whole run repeatable; tests may install a source of their own.
#include <cstdint>
#include <functional>

namespace kpf::script {

// Returns an integer in [0, range); it is only called with range >= 1.
using RandomRange = std::function<uint32_t(uint32_t range)>;

// Draws from the process-wide generator (see SeedProcessRandom).
uint32_t ProcessRandomRange(uint32_t range);

// An integer in [0, range), or 0 when the range is empty or negative (a window as large as the
// screen, or larger, has no room to be placed at random).
int32_t RandomBelow(const RandomRange& random, int64_t range);

}  // namespace kpf::script
