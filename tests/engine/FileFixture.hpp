#pragma once
// A player whose character folder, private temporary folder, documents folder and settings store
// lie in a scratch folder of the test's own, with a folder outside every root next to them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "PlayerHarness.hpp"

namespace kpf::test {

namespace fs = std::filesystem;

class FileFixture : public ::testing::Test {
 protected:
  FileFixture() {
    static int counter = 0;
    root_ = fs::temp_directory_path() / ("kpf-files-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(root_);
    for (const char* folder : {"char", "temp", "docs", "settings", "outside"}) fs::create_directories(root_ / folder);
  }
  ~FileFixture() override { fs::remove_all(root_); }

  engine::PlayerOptions Options() const {
    engine::PlayerOptions options;
    options.executablePath = Path("char/player");
    options.currentFolder = Path("char");
    options.temporaryFolder = Path("temp");
    options.documentsFolder = Path("docs");
    options.settingsFolder = Path("settings");
    return options;
  }
  // Script n + 1 runs scripts[n]; variables from WithVariables (integers first, ids from 1).
  std::unique_ptr<Harness<>> Make(std::vector<std::vector<project::TKPFExeAction>> scripts,
                                  std::vector<std::string> ints, std::vector<std::string> texts = {},
                                  engine::PlayerOptions options = {}) {
    project::ProjectSource source = WithVariables(std::move(ints), std::move(texts));
    source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
    AddScripts(source, std::move(scripts));
    if (options.executablePath.empty()) options = Options();
    return std::make_unique<Harness<>>(source, options);
  }

  std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
  void Put(const std::string& relative, const std::string& content) const {
    std::ofstream(root_ / relative, std::ios::binary) << content;
  }
  std::string Content(const std::string& relative) const {
    std::ifstream in(root_ / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  bool Exists(const std::string& relative) const { return fs::exists(root_ / relative); }

  fs::path root_;
};

}  // namespace kpf::test
