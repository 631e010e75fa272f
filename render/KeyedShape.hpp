#pragma once
// The window shape of a picture shown with a transparent colour: the pixels whose colour differs
// from it, as one rectangle per row run, or as a bit mask when there are more runs than one
// shape request should carry.
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

#include "platform/NativeWindow.hpp"

namespace kpf::render {

// 0x00RRGGBB pixels (top row first, compared on their 24 colour bits) against `keyRgb`. Fewer
// pixels than width × height count as none.
size_t CountKeyedRuns(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb);
platform::Region KeyedRuns(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb);
platform::ShapeMask KeyedMask(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb);

// Rectangles up to platform::kMaxShapeRectangles runs, else the mask.
std::variant<platform::Region, platform::ShapeMask> KeyedShape(std::span<const uint32_t> pixels, int width, int height,
                                                               uint32_t keyRgb);

}  // namespace kpf::render
