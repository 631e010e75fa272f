#pragma once
// A small project the kpftool tests build on.
#include <cstdint>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace kpf::tests {

// One animation of one 2 x 2 picture of `shade` bytes and the variables COUNT (integer, 7) and
// NAME (text, "Ann").
inline project::ProjectSource TwoVariables(uint8_t shade = 0xFF) {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images = {{.Width = 2, .Height = 2, .Pixels = std::vector<uint8_t>(16, shade)}};
  project::AnimationSource animation;
  animation.Id = 1;
  animation.Name = "idle";
  animation.Width = animation.Height = 2;
  animation.Frames = {{.BitmapIndex = 0, .Duration = 10}};
  source.Animations = {animation};
  source.Variables = {{.ID = 1, .Name = "COUNT", .Flags = 0, .IntValue = 7},
                      {.ID = 2, .Name = "NAME", .Flags = 1, .TextValue = "Ann"}};
  source.NextVariableId = 3;
  return source;
}

}  // namespace kpf::tests
