// kpftool convert: a package to a standalone project file, and a project file to a package.
//
// A package becomes OUT (the project block as stored, which is a project file), the sidecar
// OUT-without-extension.package.json (header, resources and records, as in a source folder's
// project.json) and the folder OUT-without-extension.resources/ with the resource files and the
// raw data of the other records (tag-203 values too, so that the way back is byte-exact). With --package, a project file goes the other way: its
// sidecar, when there is one beside it, gives the header and the records.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "package/PackageFormat.hpp"
#include "project/ProjectWriter.hpp"
#include "project/Stream.hpp"
#include "tools/kpftool/Command.hpp"
#include "tools/kpftool/OutputOptions.hpp"
#include "tools/kpftool/ExtractJson.hpp"
#include "tools/kpftool/JsonFields.hpp"
#include "tools/kpftool/JsonDocument.hpp"
#include "tools/kpftool/PackRecords.hpp"
#include "tools/kpftool/PackSource.hpp"
#include "tools/kpftool/RecordFiles.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: kpftool convert FILE -o OUT [--package [--player PATH]]\n";

fs::path Sidecar(const fs::path& project) {
  return project.parent_path() / (project.stem().string() + ".package.json");
}
std::string ResourceFolderName(const fs::path& project) { return project.stem().string() + ".resources"; }

int PackageToProject(const package::PackageLayout& layout, const fs::path& out) {
  if (!layout.Complete()) throw std::runtime_error("damaged package: " + layout.Error);
  if (!layout.ProjectBlockFits) throw std::runtime_error("damaged package: the project block does not fit");
  const fs::path dir = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  fs::create_directories(dir);
  WriteFileBytes(out, layout.ProjectBlock);
  const std::string folder = ResourceFolderName(out);
  const std::vector<std::string> files = WriteRecordFiles(dir, layout, folder, folder, true);
  const std::string sidecar = PackageJson(layout, files);
  WriteFileBytes(Sidecar(out), std::span(reinterpret_cast<const uint8_t*>(sidecar.data()), sidecar.size()));
  return 0;
}

// The header and records of the sidecar beside `project`; none of either without a sidecar.
void ReadSidecar(const fs::path& project, project::PackageHeader& header,
                 std::vector<project::PackageRecord>& records) {
  const fs::path sidecar = Sidecar(project);
  std::error_code error;
  if (!fs::is_regular_file(sidecar, error)) return;
  const std::vector<uint8_t> bytes = project::ReadWholeFile(sidecar.string());
  const Json root = ParseJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const JsonFields top(root, sidecar.filename().string());
  if (top.Has("header")) header = ReadPackageHeader(JsonFields(*top.Get("header"), top.Path("header")));
  const fs::path dir = sidecar.parent_path().empty() ? fs::path(".") : sidecar.parent_path();
  if (top.Has("records")) records = ReadPackageRecords(top, dir, project::ProjectSource{});
}

int ProjectToPackage(const std::vector<uint8_t>& block, const OutputOptions& options) {
  project::PackageHeader header;
  std::vector<project::PackageRecord> records;
  ReadSidecar(options.input, header, records);
  const std::vector<uint8_t> program = project::ReadWholeFile(PlayerProgram(options.player).string());
  WriteFileBytes(options.output, project::BuildPackage(program, block, header, records));
  return 0;
}

}  // namespace

int RunConvert(const Arguments& args) {
  const std::optional<OutputOptions> options = ParseOutputOptions(args);
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::vector<uint8_t> file = project::ReadWholeFile(options->input);
  const std::optional<package::PackageLayout> layout = package::ParsePackage(file);
  if (layout) {
    if (options->package) throw std::runtime_error(options->input + " is a package already");
    return PackageToProject(*layout, options->output);
  }
  if (!options->package) throw std::runtime_error(options->input + " is a project file: give --package to make a package");
  return ProjectToPackage(file, *options);
}

}  // namespace kpf::tools
