// Fuzz target: the package layout parser, resource names, tag-203 values, package copies, the
// settings file format, and the stream primitives the package builds on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <span>

#include "package/PackageFormat.hpp"
#include "package/PackageWriter.hpp"
#include "package/ResourceName.hpp"
#include "package/SettingsDocument.hpp"
#include "project/StreamPrimitives.hpp"
#include "project/ZLib.hpp"

namespace {

using namespace kpf;

void CheckPackage(std::span<const uint8_t> data) {
  auto layout = package::ParsePackage(data);
  if (!layout) return;
  for (const package::PackageRecord& record : layout->Records) {
    package::ResourceName name = package::SplitResourceName(record.FileName);
    if (name.Valid() == name.Components.empty()) std::abort();
    if (record.Data.data() < data.data() || record.Data.data() + record.Data.size() > data.data() + data.size())
      std::abort();
  }
  if (!layout->Complete()) return;
  // A copy of a sane package must read back with the same block, header and values.
  std::vector<package::VariableValueRecord> values{{7, package::kValueText, 0, "x"}, {8, package::kValueInteger, -1, ""}};
  std::vector<uint8_t> copy = package::BuildPackageCopy(data, values);
  auto again = package::ParsePackage(copy);
  if (!again || !again->Complete() || again->ProjectBlockLength != layout->ProjectBlockLength) std::abort();
  if (again->Header->Title != layout->Header->Title || again->Records.size() < values.size()) std::abort();
  if (again->Records.back().Value != values.back()) std::abort();
}

void CheckSettingsFormat(std::span<const uint8_t> data) {
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  std::string once = package::SettingsDocument::Parse(text).Serialize();
  if (package::SettingsDocument::Parse(once).Serialize() != once) std::abort();
}

template <typename Read>
void Try(std::span<const uint8_t> data, Read read) {
  project::SpanStream stream(data);
  try {
    read(stream);
  } catch (const project::KpfError&) {
  }
}

void CheckPrimitives(std::span<const uint8_t> data) {
  Try(data, [](project::SpanStream& s) { project::ReadStrings(s); });
  Try(data, [](project::SpanStream& s) {
    project::MemoryStream target;
    project::ReadSizedStream(s, target);
  });
  Try(data, [](project::SpanStream& s) {
    while (s.Remaining() > 0) project::ReadCompactCount(s);
  });
  try {
    project::DecompressBuf(data, 0, size_t{1} << 20);
  } catch (const project::KpfError&) {
  }
  size_t offset = 0;
  try {
    project::ReadNulStringAt(data, offset);
    project::ReadInt32At(data, offset);
  } catch (const project::KpfError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::span<const uint8_t> data(bytes, size);
  CheckPackage(data);
  CheckSettingsFormat(data);
  CheckPrimitives(data);
  if (size > 0) {
    try {
      package::DecodeVariableValue(data);
    } catch (const project::KpfError&) {
    }
  }
  return 0;
}
