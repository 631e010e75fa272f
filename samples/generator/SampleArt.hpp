#pragma once
// Procedural drawing of the sample character "Pip", a small round creature with an antenna:
// each pose is drawn either with soft, partly transparent edges (alpha frames) or with hard edges
// on a magenta background (colour-key frames).
#include <cstdint>
#include <vector>

namespace kpf::samples {

constexpr int kPipSize = 72;
// The colour-key frames' background (TColor and 0xRRGGBB alike: magenta).
constexpr uint32_t kPipKeyColour = 0xFF00FF;

struct PipPose {
  double squash = 0;        // > 0 flatter and wider, < 0 taller and thinner
  double lift = 0;          // pixels the body floats above the ground
  double eyesOpen = 1;      // 0 closed .. 1 open
  double look = 0;          // pupils: -1 left .. 1 right
  double step = 0;          // feet: -1 .. 1 (walking)
  double antennaSwing = 0;  // radians
  double scale = 1;         // whole body (the goodbye shrinks it)
  bool dizzy = false;       // crossed eyes and stars around the head
  double starPhase = 0;     // radians
  bool mouthOpen = false;
};

enum class PipEdges { Soft, ColourKey };

// The pose as `size` × `size` pixels (the frames are kPipSize; larger sizes for the program's
// icons), 0xAARRGGBB, top row first.
std::vector<uint32_t> DrawPip(const PipPose& pose, PipEdges edges, int size = kPipSize);

}  // namespace kpf::samples
