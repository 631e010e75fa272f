#include "package/PackageWriter.hpp"

#include <sys/stat.h>

#include <exception>

#include "package/FileUtil.hpp"
#include "project/Errors.hpp"
#include "project/Stream.hpp"
#include "project/StreamPrimitives.hpp"

namespace kpf::package {

namespace {

using project::MemoryStream;

void WriteBytes(project::Stream& out, std::span<const uint8_t> bytes) {
  if (!bytes.empty()) out.Write(bytes.data(), bytes.size());
}

void WriteHeader(project::Stream& out, const PackageHeader& header) {
  project::WriteNulString(out, header.DesignVersion);
  project::WriteNulString(out, header.AboutText);
  project::WriteNulString(out, header.Title);
  project::WriteInt32(out, header.HeaderFlags);
}

void WriteRecord(project::Stream& out, uint32_t tag, std::span<const uint8_t> data) {
  project::WriteInt32(out, static_cast<int32_t>(tag));
  project::WriteSizedBlock(out, data);
}

void WriteVariableRecord(project::Stream& out, const VariableValueRecord& value) {
  MemoryStream data;
  project::WriteInt32(data, value.VariableId);
  project::WriteByte(data, value.Kind);
  if (value.Kind == kValueInteger) project::WriteInt32(data, value.IntValue);
  if (value.Kind == kValueText) project::WriteNulString(data, value.Text);
  WriteRecord(out, kTagVariableValue, data.Data());
}

// Mode of the running executable, so that the copy can be started as well.
unsigned CopyMode(const std::string& executablePath) {
  struct stat info;
  if (::stat(executablePath.c_str(), &info) != 0) return 0700;
  return info.st_mode & 0777;
}

}  // namespace

void AppendVariableRecord(std::vector<uint8_t>& out, const VariableValueRecord& value) {
  MemoryStream record;
  WriteVariableRecord(record, value);
  out.insert(out.end(), record.Data().begin(), record.Data().end());
}

std::vector<uint8_t> BuildPackageCopy(std::span<const uint8_t> executable,
                                      const std::vector<VariableValueRecord>& values) {
  std::optional<PackageLayout> layout = ParsePackage(executable);
  if (!layout) throw project::KpfError("The executable carries no package");
  if (!layout->Complete()) throw project::KpfError("The executable's package is damaged: " + layout->Error);

  const uint32_t start = layout->Trailer.ProjectOffset;
  MemoryStream out;
  out.Buffer().reserve(executable.size() + 64);
  WriteBytes(out, executable.first(start));
  project::WriteSizedBlock(out, layout->ProjectBlock);
  WriteHeader(out, *layout->Header);
  for (const PackageRecord& record : layout->Records)
    if (record.Tag != kTagVariableValue) WriteRecord(out, record.Tag, record.Data);
  for (const VariableValueRecord& value : values) WriteVariableRecord(out, value);
  project::WriteInt32(out, kTagEnd);
  project::WriteInt32(out, static_cast<int32_t>(start));
  project::WriteInt32(out, PackageTrailerMagic);
  return out.Release();
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
