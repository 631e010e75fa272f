#include "package/PackageReader.hpp"

#include <malloc.h>

#include <array>
#include <exception>
#include <filesystem>
#include <fstream>

#include "package/ResourceFiles.hpp"
#include "package/ResourceName.hpp"
#include "project/Stream.hpp"

namespace kpf::package {

namespace {

void ExtractRecord(const PackageRecord& record, ExtractedFileList& extracted, const std::string& resourceFolder) {
  ResourceName name = SplitResourceName(record.FileName);
  if (!name.Valid()) return;
  std::string path;
  if (ExtractResource(resourceFolder, name, record.Content, path) == ExtractResult::Created) extracted.Add(path);
}

// Where the resource files of a package go; none when the package is only inspected.
struct ResourceDestination {
  ExtractedFileList& extracted;
  const std::string& folder;
};

std::string RecordPlace(const PackageRecord& record, size_t index) {
  return "record " + std::to_string(index + 1) + " (tag " + std::to_string(record.Tag) + ") at offset " +
         std::to_string(record.Offset);
}

void ApplyRecord(const PackageRecord& record, PackageHost& host, const ResourceDestination* destination,
                 const project::LoadProblemSink& problems, const std::string& where) {
  if (!record.Problem.empty()) {
    project::ReportProblem(problems, where, record.Problem + ": the record is skipped");
    return;
  }
  switch (record.Tag) {
    case kTagElampDll:
    case kTagNpmodDll:
    case kTagNamedFile:
      if (destination != nullptr) ExtractRecord(record, destination->extracted, destination->folder);
      break;
    case kTagVariableValue:
      if (record.Value && (record.Value->Kind == kValueInteger || record.Value->Kind == kValueText))
        host.ApplyInitialValue(*record.Value);
      else if (record.Value)
        project::ReportProblem(problems, where,
                               "value of kind " + std::to_string(record.Value->Kind) + " is skipped (0 integer, 1 text)");
      break;
    default:
      project::ReportProblem(problems, where, "unknown record is skipped", false);
      break;
  }
}

PackageReadResult ApplyLayout(const PackageLayout& layout, PackageHost& host, const ResourceDestination* destination,
                              const project::LoadProblemSink& problems = {}) {
  PackageReadResult result;
  result.PackageFound = true;
  if (!layout.ProjectBlockFits) {
    result.Error = layout.Error;
    return result;
  }
  try {
    host.LoadProject(layout.ProjectBlock);
    result.ProjectLoaded = true;
  } catch (const std::exception& error) {
    result.Error = error.what();
    return result;
  }
  if (!layout.Header) {
    result.Error = layout.Error;
    return result;
  }
  PackageHeader header = *layout.Header;
  header.Title = EffectiveTitle(header.Title);
  host.SetHeader(header);
  result.HeaderApplied = true;

  for (size_t i = 0; i < layout.Records.size(); ++i) {
    const PackageRecord& record = layout.Records[i];
    const std::string where = problems ? RecordPlace(record, i) : std::string();
    try {
      ApplyRecord(record, host, destination, problems, where);
    } catch (const std::exception& error) {
      // One record that cannot be applied must not drop the records after it.
      project::ReportProblem(problems, where, std::string("cannot be applied: ") + error.what());
    }
  }
  result.Error = layout.Error;
  return result;
}

}  // namespace

PackageReadResult ApplyPackage(const PackageLayout& layout, PackageHost& host, ExtractedFileList& extracted,
                               const std::string& resourceFolder) {
  const ResourceDestination destination{extracted, resourceFolder};
  return ApplyLayout(layout, host, &destination);
}

PackageReadResult ApplyPackage(const PackageLayout& layout, PackageHost& host,
                               const project::LoadProblemSink& problems) {
  return ApplyLayout(layout, host, nullptr, problems);
}

bool IsPackageFile(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return false;
  std::ifstream file(fileName, std::ios::binary | std::ios::ate);
  const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
  if (size < static_cast<std::streamoff>(kPackageTrailerBytes)) return false;
  std::array<uint8_t, kPackageTrailerBytes> trailer{};
  file.seekg(size - static_cast<std::streamoff>(kPackageTrailerBytes));
  if (!file.read(reinterpret_cast<char*>(trailer.data()), trailer.size())) return false;
  return IsPackageTrailer(trailer, static_cast<uint64_t>(size));
}

PackageReadResult ReadPackage(const std::string& fileName, PackageHost& host, ExtractedFileList& extracted,
                              const std::string& resourceFolder) {
  PackageReadResult result;
  try {
    const std::vector<uint8_t> file = project::ReadWholeFile(fileName);
    std::optional<PackageLayout> layout = ParsePackage(file);
    if (!layout) return result;
    result = ApplyPackage(*layout, host, extracted, resourceFolder);
  } catch (const std::exception& error) {
    result.Error = error.what();
  }
  TrimWorkingSet();
  return result;
}

PackageReadResult ReadPackage(const std::string& fileName, PackageHost& host, ExtractedFileList& extracted) {
  std::string folder;
  try {
    folder = GetResourceFolder();
  } catch (const std::exception&) {
    // Without a resource folder the project and values still load; files cannot be written.
  }
  return ReadPackage(fileName, host, extracted, folder);
}

bool LoadFromFile(const std::string& fileName, PackageHost& host, const ErrorReporter& reportError) {
  bool loaded = false;
  try {
    const std::vector<uint8_t> file = project::ReadWholeFile(fileName);
    host.LoadProject(file);
    loaded = true;
  } catch (const std::exception&) {
    if (reportError) reportError("Error decoding file");
  }
  TrimWorkingSet();
  return loaded;
}

void TrimWorkingSet() { ::malloc_trim(0); }

}  // namespace kpf::package
