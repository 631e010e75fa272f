#pragma once
// The 4-connected area of one colour around a seed pixel, found by iterative span filling: each
// row run of the area is reported once, and an explicit work list of runs still to scan (never
// recursion) holds at most one entry per run, so its size is bounded by the picture.
#include <cstdint>
#include <functional>
#include <span>

namespace kpf::render {

// Calls `run(y, begin, end)` for every maximal row run [begin, end) of pixels equal to the
// seed's colour that is 4-connected to the seed. Nothing for a seed outside the picture or a
// `pixels` span shorter than width × height. The pixels may be changed by `run`.
void ForEachFillRun(std::span<const uint32_t> pixels, int width, int height, int64_t seedX, int64_t seedY,
                    const std::function<void(int y, int begin, int end)>& run);

}  // namespace kpf::render
