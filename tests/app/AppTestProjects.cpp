#include "AppTestProjects.hpp"

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace kpf::app::testing {

namespace fs = std::filesystem;

namespace {

// Little-endian: also how a 0xAARRGGBB pixel is stored (B, G, R, A).
void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

project::ImageSource SolidImage(int width, int height, uint32_t argb) {
  project::ImageSource image;
  image.Width = width;
  image.Height = height;
  for (int i = 0; i < width * height; ++i) PutU32(image.Pixels, argb);
  return image;
}

project::ImageSource KeyedSquare(int outer, int inner, uint32_t argb) {
  project::ImageSource image;
  image.Width = outer;
  image.Height = outer;
  const int from = (outer - inner) / 2;
  for (int y = 0; y < outer; ++y) {
    for (int x = 0; x < outer; ++x) {
      const bool inside = x >= from && x < from + inner && y >= from && y < from + inner;
      PutU32(image.Pixels, inside ? argb : 0xFFFF00FF);
    }
  }
  return image;
}

project::AnimationSource Showing(int32_t id, const std::string& name, uint16_t kind, int32_t image, int size,
                                 const std::string& x, const std::string& y) {
  project::AnimationSource animation;
  animation.Id = id;
  animation.Name = name;
  animation.Width = static_cast<uint16_t>(size);
  animation.Height = static_cast<uint16_t>(size);
  animation.EventIndex = kind;
  animation.RepeatCount = 0;
  animation.PosX = x;
  animation.PosY = y;
  project::FrameSource frame;
  frame.BitmapIndex = image;
  frame.Duration = 10;
  animation.Frames = {frame, frame};
  return animation;
}

project::TKPFExeAction Action(int32_t type, const std::vector<std::pair<int32_t, std::string>>& params) {
  project::TKPFExeAction action;
  action.ActionType = type;
  action.Flags = 1;
  for (const auto& [kind, value] : params) {
    PutU32(action.ParamData, static_cast<uint32_t>(kind));
    if (kind == 1) {
      action.ParamData.insert(action.ParamData.end(), value.begin(), value.end());
      action.ParamData.push_back(0);
    } else {
      PutU32(action.ParamData, static_cast<uint32_t>(std::stoi(value)));
    }
  }
  return action;
}

project::TTaviScript ScriptOf(int32_t id, int32_t trigger, std::vector<project::TKPFExeAction> actions) {
  project::TTaviScript script;
  script.Id = id;
  script.Name = "script" + std::to_string(id);
  script.Trigger = trigger;
  script.Actions = std::move(actions);
  return script;
}

project::VariableSource Variable(int32_t id, const std::string& name, bool text, int32_t value) {
  project::VariableSource variable;
  variable.ID = id;
  variable.Name = name;
  variable.Flags = text ? 1 : 0;
  variable.IntValue = value;
  return variable;
}

project::ProjectSource SimpleProject() {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images.push_back(SolidImage(8, 8, 0xFF3060C0));
  source.Animations.push_back(Showing(1, "idle", 0, 0, 8));
  return source;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScratchFolder::ScratchFolder() {
  static int counter = 0;
  path_ = fs::temp_directory_path() / ("kpf-app-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

}  // namespace kpf::app::testing
