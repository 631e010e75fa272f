// Writes the sample character as a standalone project file: generate_sample OUTPUT.kpf
#include <cstdio>
#include <fstream>

#include "SampleProject.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.kpf\n", argv[0]);
    return 2;
  }
  const std::vector<uint8_t> bytes = kpf::project::BuildProjectFile(kpf::samples::SampleProject());
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
