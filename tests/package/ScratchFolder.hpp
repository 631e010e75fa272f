#pragma once
// A fresh folder per test with "tmp", "settings" and "exe" inside; TMPDIR and KPF_SETTINGS_DIR
// point into it while it lives, so tests never touch the user's own folders.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kpf::package::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kpf-test-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (const auto& folder : {Tmp(), Settings(), Exe()}) std::filesystem::create_directories(folder);
    const char* oldTmp = std::getenv("TMPDIR");
    oldTmp_ = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", Tmp().c_str(), 1);
    ::setenv("KPF_SETTINGS_DIR", Settings().c_str(), 1);
  }
  ~ScratchFolder() {
    ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    if (oldTmp_.empty()) ::unsetenv("TMPDIR");
    ::unsetenv("KPF_SETTINGS_DIR");
    std::error_code error;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, error);
    std::filesystem::remove_all(root_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Root() const { return root_; }
  std::string Tmp() const { return root_ + "/tmp"; }
  std::string Settings() const { return root_ + "/settings"; }
  std::string Exe() const { return root_ + "/exe"; }
  std::string Path(const std::string& name) const { return root_ + "/" + name; }

  // Writes `content` to `name` below the root, making the folders on the way; the full path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& content) const {
    std::string path = Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()),
                                                 static_cast<std::streamsize>(content.size()));
    return path;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The names in `folder`, sorted.
  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Every regular file below `folder` (the root by default), outside `skip` when given.
  std::vector<std::string> Files(const std::string& folder = {}, const std::string& skip = {}) const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.empty() ? root_ : folder)) {
      const std::string path = entry.path().string();
      if (entry.is_regular_file() && (skip.empty() || !path.starts_with(skip))) files.push_back(path);
    }
    return files;
  }

 private:
  std::string root_;
  std::string oldTmp_;
};

}  // namespace kpf::package::testing
