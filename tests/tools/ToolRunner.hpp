#pragma once
// Runs the kpftool program built with the tests and keeps a scratch folder per test.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kpf::tests {

struct ToolResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

// Runs `kpftool ARGS...` (each argument quoted for the shell).
ToolResult RunTool(const std::vector<std::string>& args);
// `kpftool info FILE` stdout only (stderr dropped).
std::string InfoJson(const std::filesystem::path& file);

// A fresh, empty folder under the test temp folder, removed at destruction.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);

}  // namespace kpf::tests
