#pragma once

#include <cstdint>

namespace kpf::script {

// Process-wide generator behind "random" and "randg" when a parser has no
// source of its own. Seeded from the clock at first use.
double ProcessRandomUniform();  // uniform in [0, 1)

// Makes the process-wide generator deterministic (tests, tools).
void SeedProcessRandom(std::uint64_t seed);

}  // namespace kpf::script
