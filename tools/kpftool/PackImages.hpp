#pragma once
// The frame images of a source folder being packed: the `images` list of project.json and the
// PNG files that frames name directly, each file loaded once.
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "project/ProjectWriter.hpp"
#include "tools/kpftool/JsonDocument.hpp"

namespace kpf::tools {

class PackImages {
 public:
  explicit PackImages(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Reads the `images` array (entries with a copyKind other than 0 are derived copies: skipped).
  void ReadList(const Json& items, const std::string& context);
  // Index of a frame's `image`: an index into the list or a file name (loaded on first use).
  int32_t Resolve(const Json& image, const std::string& context);

  const std::vector<project::ImageSource>& Images() const { return images_; }
  std::vector<project::ImageSource> Take() { return std::move(images_); }

 private:
  int32_t AddFile(const std::string& reference, const std::string& context);

  std::filesystem::path folder_;
  std::vector<project::ImageSource> images_;
  std::map<std::string, int32_t> byFile_;
};

}  // namespace kpf::tools
