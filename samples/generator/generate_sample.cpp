// Draws the sample character and writes it either as the kpftool source folder kept in
// samples/sample/ (`generate_sample --source DIR`), directly as a project file
// (`generate_sample OUTPUT.kpf`), or as the program's icon (`generate_sample --icon SIZE OUT.png`).
#include <cstdio>
#include <stdexcept>
#include <fstream>
#include <string>

#include "SampleArt.hpp"
#include "SampleProject.hpp"
#include "SampleSource.hpp"
#include "render/PngFile.hpp"

namespace {

// Pip looking up, soft-edged, as a square picture of `size` pixels.
void WriteIcon(int size, const std::string& path) {
  kpf::samples::PipPose pose;
  pose.look = 0.3;
  pose.mouthOpen = true;
  kpf::render::WritePng(path, size, size, kpf::samples::DrawPip(pose, kpf::samples::PipEdges::Soft, size));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string usage = std::string("usage: ") + argv[0] + " OUTPUT.kpf | --source DIR | --icon SIZE OUT.png\n";
  try {
    if (argc == 4 && std::string(argv[1]) == "--icon") {
      WriteIcon(std::stoi(argv[2]), argv[3]);
      return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--source") {
      kpf::samples::WriteSourceFolder(kpf::samples::SampleProject(), argv[2]);
      return 0;
    }
    if (argc != 2) {
      std::fputs(usage.c_str(), stderr);
      return 2;
    }
    const std::vector<uint8_t> bytes = kpf::project::BuildProjectFile(kpf::samples::SampleProject());
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[1]);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
