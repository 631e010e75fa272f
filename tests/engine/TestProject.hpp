#pragma once
// Builders for engine test projects: action items with packed parameters, scripts, animations
// with image frames, written through the project writer.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace kpf::test {

// One packed parameter: kind and value.
struct P {
  int32_t kind = 0;
  int32_t number = 0;
  std::string text;
  static P Int(int32_t value) { return {0, value, {}}; }
  static P Text(std::string value) { return {1, 0, std::move(value)}; }
  static P Var(int32_t variableId) { return {13, variableId, {}}; }
};

project::TKPFExeAction Act(int32_t type, std::vector<P> params = {});
project::TTaviScript Script(int32_t id, std::string name, std::vector<project::TKPFExeAction> actions,
                            int32_t trigger = 0);

// A 4x4 opaque picture.
project::ImageSource SmallImage();
// An animation of `frames` picture frames (image 0), each `duration` long, at a fixed start.
project::AnimationSource Animation(int32_t id, std::string name, uint16_t eventIndex, uint16_t repeat,
                                   int frames, uint16_t duration = 10, std::string posX = "100",
                                   std::string posY = "100");
project::VariableSource IntVariable(int32_t id, std::string name, int32_t value = 0);
project::VariableSource TextVariable(int32_t id, std::string name, std::string value = "");
// A project of one small image, option flags 1 (draggable) and 2 (keep running), and integer
// then text variables numbered from 1.
project::ProjectSource WithVariables(std::vector<std::string> ints, std::vector<std::string> texts = {});
// Appends the scripts so that script n + 1 runs scripts[n], named `name` or, if empty, "s<id>".
void AddScripts(project::ProjectSource& source, std::vector<std::vector<project::TKPFExeAction>> scripts,
                const std::string& name = "s");

// Writes the project as a standalone project file into a fresh temp folder; returns its path.
std::filesystem::path WriteProjectFile(const project::ProjectSource& source, const std::string& name);

// The projects of the golden-trace cases by case name (the folder under tests/trace/).
const std::map<std::string, std::function<project::ProjectSource()>>& TraceCases();

}  // namespace kpf::test
