#pragma once
// Writing a copy of the running executable whose package carries the current values of the
// persistent variables.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "package/PackageFormat.hpp"
#include "package/PackageHost.hpp"

namespace kpf::package {

// The running executable.
inline constexpr const char* kOwnExecutable = "/proc/self/exe";

// Builds the copy in memory: program image, project block and header of `executable`
// unchanged, its resource records except 203 and 255, one tag-203 record per value, the end
// tag and the trailer. Throws KpfError when `executable` carries no complete package.
std::vector<uint8_t> BuildPackageCopy(std::span<const uint8_t> executable,
                                      const std::vector<VariableValueRecord>& values);

// Encodes one tag-203 record (tag, length, id, kind, value).
void AppendVariableRecord(std::vector<uint8_t>& out, const VariableValueRecord& value);

// Writes the copy of `executablePath` (the running executable unless a test names another)
// to `fileName`. The copy is written to a temporary file next to the target and renamed into
// place, so no partly written copy is ever left. Failures are silent; returns true on success.
bool SavePackageCopy(const std::string& fileName, const PackageHost& host,
                     const std::string& executablePath = kOwnExecutable);

}  // namespace kpf::package
