#include "package/PackageWriter.hpp"

#include <sys/stat.h>

#include <exception>

#include "package/FileUtil.hpp"
#include "project/Errors.hpp"
#include "project/Stream.hpp"

namespace kpf::package {

namespace {

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendBytes(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendNulString(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

void AppendHeader(std::vector<uint8_t>& out, const PackageHeader& header) {
  AppendNulString(out, header.DesignVersion);
  AppendNulString(out, header.AboutText);
  AppendNulString(out, header.Title);
  AppendU32(out, static_cast<uint32_t>(header.HeaderFlags));
}

// Mode of the running executable, so that the copy can be started as well.
unsigned CopyMode(const std::string& executablePath) {
  struct stat info;
  if (::stat(executablePath.c_str(), &info) != 0) return 0700;
  return info.st_mode & 0777;
}

}  // namespace

void AppendVariableRecord(std::vector<uint8_t>& out, const VariableValueRecord& value) {
  AppendU32(out, kTagVariableValue);
  const size_t lengthAt = out.size();
  AppendU32(out, 0);
  AppendU32(out, static_cast<uint32_t>(value.VariableId));
  out.push_back(value.Kind);
  if (value.Kind == kValueInteger) AppendU32(out, static_cast<uint32_t>(value.IntValue));
  if (value.Kind == kValueText) AppendNulString(out, value.Text);
  const auto length = static_cast<uint32_t>(out.size() - lengthAt - 4);
  for (int i = 0; i < 4; ++i) out[lengthAt + i] = static_cast<uint8_t>(length >> (8 * i));
}

std::vector<uint8_t> BuildPackageCopy(std::span<const uint8_t> executable,
                                      const std::vector<VariableValueRecord>& values) {
  std::optional<PackageLayout> layout = ParsePackage(executable);
  if (!layout) throw project::KpfError("The executable carries no package");
  if (!layout->Complete()) throw project::KpfError("The executable's package is damaged: " + layout->Error);

  const uint32_t start = layout->Trailer.ProjectOffset;
  std::vector<uint8_t> out;
  out.reserve(executable.size() + 64);
  AppendBytes(out, executable.first(start));
  AppendU32(out, layout->ProjectBlockLength);
  AppendBytes(out, layout->ProjectBlock);
  AppendHeader(out, *layout->Header);
  for (const PackageRecord& record : layout->Records) {
    if (record.Tag == kTagVariableValue) continue;
    AppendU32(out, record.Tag);
    AppendU32(out, record.Length);
    AppendBytes(out, record.Data);
  }
  for (const VariableValueRecord& value : values) AppendVariableRecord(out, value);
  AppendU32(out, kTagEnd);
  AppendU32(out, start);
  AppendU32(out, PackageTrailerMagic);
  return out;
}

bool SavePackageCopy(const std::string& fileName, const PackageHost& host, const std::string& executablePath) {
  try {
    const std::vector<uint8_t> executable = project::ReadWholeFile(executablePath);
    const std::vector<uint8_t> copy = BuildPackageCopy(executable, host.ChangedStoredValues());
    WriteFileAtomically(fileName, copy, CopyMode(executablePath));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace kpf::package
