#pragma once
// The resource files one package read wrote in this run. They are deleted (failures ignored)
// when the list is destroyed, that is with the player that read the package. Files that existed
// before the run are never listed, so they are never deleted.
#include <string>
#include <vector>

namespace kpf::package {

class ExtractedFileList {
 public:
  ExtractedFileList() = default;
  ~ExtractedFileList() { DeleteAll(); }
  ExtractedFileList(ExtractedFileList&&) = default;
  ExtractedFileList& operator=(ExtractedFileList&& other) noexcept;
  ExtractedFileList(const ExtractedFileList&) = delete;
  ExtractedFileList& operator=(const ExtractedFileList&) = delete;

  void Add(const std::string& path) { paths_.push_back(path); }
  const std::vector<std::string>& Paths() const { return paths_; }
  // Deletes every listed file and empties the list.
  void DeleteAll();

 private:
  std::vector<std::string> paths_;
};

}  // namespace kpf::package
