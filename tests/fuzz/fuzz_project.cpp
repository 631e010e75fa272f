// Fuzzes the project loader: the input is taken as a compressed project stream, and (first byte
// odd) as an inflated stream that is compressed here first, so the section readers see
// arbitrary bytes behind a valid zlib layer.
#include <zlib.h>

#include <cstdint>
#include <exception>
#include <vector>

#include "project/ProjectLoader.hpp"

namespace {

std::vector<uint8_t> Compress(const uint8_t* data, size_t size) {
  uLongf length = compressBound(static_cast<uLong>(size));
  std::vector<uint8_t> out(length);
  if (compress2(out.data(), &length, data, static_cast<uLong>(size), 1) != Z_OK) return {};
  out.resize(length);
  return out;
}

void Load(std::span<const uint8_t> compressed) {
  kpf::project::ProjectModel model;
  kpf::project::LoadOptions options;
  options.MaxStreamBytes = 16 << 20;
  options.OnPropertyError = [](const std::string&) {};
  try {
    kpf::project::LoadProjectStream(compressed, model, options);
  } catch (const std::exception&) {
  }
  // Touch what the engine would read first.
  for (auto& image : model.Bitmaps) {
    try {
      image.Pixels();
    } catch (const std::exception&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    // "KPF2" magic in front so the sections are reached.
    std::vector<uint8_t> stream = {'K', 'P', 'F', '2', 0};
    stream.insert(stream.end(), data + 1, data + size);
    Load(Compress(stream.data(), stream.size()));
  } else {
    Load({data + 1, size - 1});
  }
  return 0;
}
