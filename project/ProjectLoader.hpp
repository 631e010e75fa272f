#pragma once
// Loading of a "KPF2" project stream into a ProjectModel: inflation, the sections, the image
// variants of the animations, the frame-data block with every image and sound byte, the
// outlines of the frames, the system variables and the unpacked action parameters.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "project/LoadProblems.hpp"
#include "project/ProjectModel.hpp"
#include "project/ZLib.hpp"

namespace kpf::project {

struct LoadOptions {
  // Receives the one "Properties read error" message a load may show (cursor section).
  std::function<void(const std::string&)> OnPropertyError;
  // Installed on every variable, the system variables included.
  SystemVariableHost* VariableHost = nullptr;
  // Largest inflated stream accepted.
  size_t MaxStreamBytes = kMaxProjectStreamBytes;
  // Told of what the load skips, clamps or ignores; the player leaves it empty.
  LoadProblemSink Problems;
};

// Largest count of scripts, actions, animations, frames, sounds, play lists, variables, dialogs.
constexpr int64_t kMaxListCount = 65535;
// Largest count of menu entries, option flags and menu captions.
constexpr int64_t kMaxMenuCount = 4096;
// The project stream's magic text.
constexpr const char* kProjectMagic = "KPF2";

// Inflates `compressed` (one zlib stream) and loads it into `model`, which the caller has
// emptied. A wrong magic leaves the model empty without an error. Errors raise KpfError (mostly
// "Stream read error"); what was read before the error stays in the model, finished as far as it
// can be (frame data mapped, sounds given their bytes, system variables registered).
void LoadProjectStream(std::span<const uint8_t> compressed, ProjectModel& model,
                       const LoadOptions& options = {});

}  // namespace kpf::project
