#pragma once
// How a stored font (a face name and a size in points, as drawing surfaces and dialogs give
// it) becomes a font on screen. Both follow the platform the characters were made for, with
// 96 dots per inch: a size of s points is round(s × 96 / 72) pixels, halves away from zero
// (8 points: 11 pixels), as that platform's font size was turned into a height. The face is
// looked up by its family name; where the desktop lacks it, its sans-serif face stands in.
#include <cstdint>
#include <string_view>

namespace kpf::render {

inline constexpr int kScreenDotsPerInch = 96;
inline constexpr int kMaxFontPoints = 1000;
// The generic family (as fontconfig and CSS name it) that stands in for a missing face.
inline constexpr std::string_view kFallbackFamily = "sans-serif";

// The pixel size of a font of `points` (absolute value, clamped to 1..1000): 1..1333.
int FontPixelsFromPoints(int64_t points);

}  // namespace kpf::render
