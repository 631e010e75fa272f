#pragma once
// Reading a package or a standalone project file into a player.
#include <functional>
#include <span>
#include <string>

#include "package/ExtractedFileList.hpp"
#include "package/PackageFormat.hpp"
#include "package/PackageHost.hpp"
#include "project/LoadProblems.hpp"

namespace kpf::package {

using ErrorReporter = std::function<void(const std::string& message)>;

// What applying a package did; ReadPackage itself stays silent, kpftool and tests look here.
struct PackageReadResult {
  bool PackageFound = false;
  bool ProjectLoaded = false;
  bool HeaderApplied = false;
  std::string Error;  // the failure that ended the read, if any
};

// Reads the package of the executable `fileName`: loads the project, applies the header,
// extracts the resource files into `resourceFolder` (listing the files it created in
// `extracted`) and applies the initial variable values. Every failure is silent: what was
// loaded or extracted before it stays. A bad record (refused file name, undecodable value, a
// file that cannot be written) is skipped and the following records are still applied.
PackageReadResult ReadPackage(const std::string& fileName, PackageHost& host, ExtractedFileList& extracted,
                              const std::string& resourceFolder);
// Same, with the resource folder of GetResourceFolder().
PackageReadResult ReadPackage(const std::string& fileName, PackageHost& host, ExtractedFileList& extracted);
// Applies an already parsed package (the buffer behind `layout` must stay alive).
PackageReadResult ApplyPackage(const PackageLayout& layout, PackageHost& host, ExtractedFileList& extracted,
                               const std::string& resourceFolder);
// Same, for looking at a package: project, header and initial values are applied, resource
// files are written nowhere. `problems` hears of every record that is skipped and of the damage
// that ends the record list early.
PackageReadResult ApplyPackage(const PackageLayout& layout, PackageHost& host,
                               const project::LoadProblemSink& problems = {});

// True when `fileName` is an existing file whose last 8 bytes are a package trailer
// (IsPackageTrailer). Only the trailer is read.
bool IsPackageFile(const std::string& fileName);

// Loads a standalone project file (only the compressed project stream). Any failure reports
// "Error decoding file" and the player goes on with what was loaded. Returns true on success.
bool LoadFromFile(const std::string& fileName, PackageHost& host, const ErrorReporter& reportError);

// Returns freed memory to the operating system; called after every project load.
void TrimWorkingSet();

}  // namespace kpf::package
