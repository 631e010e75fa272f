#include "TestProject.hpp"

#include <fstream>
#include <unistd.h>

#include "project/ByteBuilder.hpp"

namespace kpf::test {

project::TKPFExeAction Act(int32_t type, std::vector<P> params) {
  ByteBuilder data;
  for (const P& p : params) {
    if (p.kind == 1) data.i32(p.kind).nul(p.text);
    else data.i32(p.kind).i32(p.number);
  }
  project::TKPFExeAction action;
  action.ActionType = type;
  action.Flags = 1;
  action.Name = "A" + std::to_string(type);
  action.ParamData = data.bytes();
  return action;
}

project::TTaviScript Script(int32_t id, std::string name, std::vector<project::TKPFExeAction> actions,
                            int32_t trigger) {
  project::TTaviScript script;
  script.Id = id;
  script.Name = std::move(name);
  script.Actions = std::move(actions);
  script.Trigger = trigger;
  return script;
}

project::ImageSource SmallImage() {
  project::ImageSource image{.Width = 4, .Height = 4};
  for (int i = 0; i < 16; ++i) image.Pixels.insert(image.Pixels.end(), {10, 20, 30, 255});
  return image;
}

project::AnimationSource Animation(int32_t id, std::string name, uint16_t eventIndex, uint16_t repeat,
                                   int frames, uint16_t duration, std::string posX, std::string posY) {
  project::AnimationSource animation;
  animation.Id = id;
  animation.Name = std::move(name);
  animation.Width = 64;
  animation.Height = 64;
  animation.EventIndex = eventIndex;
  animation.RepeatCount = repeat;
  animation.PosX = std::move(posX);
  animation.PosY = std::move(posY);
  animation.Frames.assign(static_cast<size_t>(frames), {.BitmapIndex = 0, .Duration = duration});
  return animation;
}

project::VariableSource IntVariable(int32_t id, std::string name, int32_t value) {
  return {.ID = id, .Name = std::move(name), .IntValue = value};
}

project::VariableSource TextVariable(int32_t id, std::string name, std::string value) {
  return {.ID = id, .Name = std::move(name), .Flags = 1, .TextValue = std::move(value)};
}

project::ProjectSource WithVariables(std::vector<std::string> ints, std::vector<std::string> texts) {
  project::ProjectSource source;
  source.Images.push_back(SmallImage());
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  int32_t id = 1;
  for (auto& name : ints) source.Variables.push_back(IntVariable(id++, name));
  for (auto& name : texts) source.Variables.push_back(TextVariable(id++, name));
  source.NextVariableId = id;
  return source;
}

void AddScripts(project::ProjectSource& source, std::vector<std::vector<project::TKPFExeAction>> scripts,
                const std::string& name) {
  for (auto& actions : scripts) {
    const auto id = static_cast<int32_t>(source.Scripts.size() + 1);
    source.Scripts.push_back(Script(id, name.empty() ? "s" + std::to_string(id) : name, std::move(actions)));
  }
  source.NextScriptId = static_cast<int32_t>(source.Scripts.size() + 1);
}

std::filesystem::path WriteProjectFile(const project::ProjectSource& source, const std::string& name) {
  static int counter = 0;
  const auto folder = std::filesystem::temp_directory_path() /
                      ("kpf-engine-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(folder);
  const auto path = folder / (name + ".kpf");
  const std::vector<uint8_t> bytes = project::BuildProjectFile(source);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace kpf::test
