#pragma once
// The sample character's project: Pip says hello, idles, walks along the bottom of the screen
// turning round at its edges, jumps (with a sound) when clicked, gets dizzy on a double click,
// dangles while dragged, falls back to the ground when dropped and waves goodbye on close.
#include <cstdint>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace kpf::samples {

project::ProjectSource SampleProject();
// A short rising chirp: a RIFF wave, 16-bit mono 22050 Hz.
std::vector<uint8_t> ChirpWave();

}  // namespace kpf::samples
