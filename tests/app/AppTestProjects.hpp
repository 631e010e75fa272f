#pragma once
// Small projects for the app tests, written through the project writer, and a scratch folder
// that stands in for the temporary folder and the settings store.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace kpf::app::testing {

// A picture of `width` × `height` pixels of one 0xAARRGGBB colour.
project::ImageSource SolidImage(int width, int height, uint32_t argb);
// `inner` × `inner` pixels of `argb` centred on a magenta (colour-key) square of `outer`.
project::ImageSource KeyedSquare(int outer, int inner, uint32_t argb);
// One animation showing image `image` endlessly (repeat 0) at (x, y).
project::AnimationSource Showing(int32_t id, const std::string& name, uint16_t kind, int32_t image, int size,
                                 const std::string& x = "10", const std::string& y = "20");
// An action with packed parameters: texts (kind 1) and variable references (kind 13).
project::TKPFExeAction Action(int32_t type, const std::vector<std::pair<int32_t, std::string>>& params);
project::TTaviScript ScriptOf(int32_t id, int32_t trigger, std::vector<project::TKPFExeAction> actions);
project::VariableSource Variable(int32_t id, const std::string& name, bool text, int32_t value = 0);

// A project of one endless animation of a solid square, draggable and kept running.
project::ProjectSource SimpleProject();

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace kpf::app::testing
