#pragma once
// Palette building for the 8-bit fast bitmap: the exact palette of a picture with few colours,
// and the box-split palette with plain mapping or error diffusion for the others.
#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::render {

// When `src` has at most 256 distinct colours (blue, green, red; the fourth byte is ignored),
// numbers them in order of first appearance (row-table entry 0 first, left to right), writes
// them as `dst`'s palette and their numbers as its indices, and returns true. `dst` must have
// src's size. Returns false, leaving `dst` alone, for more colours.
bool ConvertExact(const TVrFastBMP& src, TVrFast256& dst);

// Box-split palette on a 32 x 32 x 32 grid of 5-bit colours, then each pixel takes the index
// of its cell (`dither` false) or serpentine Floyd-Steinberg error diffusion (`dither` true).
// `dst` must have src's size.
void ConvertBoxSplit(const TVrFastBMP& src, TVrFast256& dst, bool dither);

}  // namespace kpf::render
