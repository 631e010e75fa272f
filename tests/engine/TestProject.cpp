#include "TestProject.hpp"

#include <fstream>
#include <unistd.h>

namespace kpf::test {

namespace {
void PutInt(std::vector<uint8_t>& out, int32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF));
}
}  // namespace

project::TKPFExeAction Act(int32_t type, std::vector<P> params) {
  project::TKPFExeAction action;
  action.ActionType = type;
  action.Flags = 1;
  action.Name = "A" + std::to_string(type);
  for (const P& p : params) {
    PutInt(action.ParamData, p.kind);
    if (p.kind == 1) {
      action.ParamData.insert(action.ParamData.end(), p.text.begin(), p.text.end());
      action.ParamData.push_back(0);
    } else {
      PutInt(action.ParamData, p.number);
    }
  }
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

std::vector<uint8_t> DefaultOptions() { return {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}; }

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
