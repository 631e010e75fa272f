// kpftool pack: builds a project file, or a package appended to the player program, from a
// source folder (format in PACK_FORMAT.md).
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "project/ProjectWriter.hpp"
#include "project/Stream.hpp"
#include "tools/kpftool/Command.hpp"
#include "tools/kpftool/OutputOptions.hpp"
#include "tools/kpftool/PackSource.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: kpftool pack DIR -o OUT [--package] [--player PATH]\n";

}  // namespace

// The player program: named with --player, or `kpfplayer` next to this tool (or, in a build
// tree, in the app folder beside the tools folder).
fs::path PlayerProgram(const std::string& named) {
  if (!named.empty()) {
    std::error_code error;
    if (!fs::is_regular_file(named, error))
      throw std::runtime_error("player program " + named + " not found");
    return named;
  }
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    for (const fs::path& candidate : {self.parent_path() / "kpfplayer",
                                      self.parent_path() / ".." / ".." / "app" / "kpfplayer"})
      if (fs::is_regular_file(candidate, error)) return candidate;
  }
  throw std::runtime_error(
      "the player program kpfplayer was not found next to kpftool; name it with --player PATH");
}

int RunPack(const Arguments& args) {
  std::optional<OutputOptions> options = ParseOutputOptions(args);
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::error_code error;
  if (!fs::is_directory(options->input, error))
    throw std::runtime_error("source folder " + options->input + " not found");
  PackInput input = ReadSourceFolder(options->input);
  std::vector<uint8_t> block = project::BuildProjectFile(input.Project);
  if (!options->package) {
    WriteFileBytes(options->output, block);
    return 0;
  }
  std::vector<uint8_t> program = project::ReadWholeFile(PlayerProgram(options->player).string());
  WriteFileBytes(options->output, project::BuildPackage(program, block, input.Header, input.Records));
  return 0;
}

}  // namespace kpf::tools
