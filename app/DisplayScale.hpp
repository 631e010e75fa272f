#pragma once
// The one display scale of the process: how many screen pixels show one character pixel.
#include <optional>
#include <string_view>

namespace kpf::app {

// Screens of at least this many dots per inch count as HiDPI (1.75 × 96).
constexpr double kHighDpi = 168.0;

// "--scale N" when given; else GDK_SCALE when it holds a whole number of at least 1 (held at
// 4); else 2 when the X resources say Xft.dpi ≥ kHighDpi; else 1.
int ChooseDisplayScale(std::optional<int> option, const char* gdkScale, std::string_view xResources);

// The value of "Xft.dpi" in the X resource text (lines of "name:<blanks>value"); none when it is
// missing or no positive number.
std::optional<double> XftDpi(std::string_view xResources);

}  // namespace kpf::app
