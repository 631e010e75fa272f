#include "package/PackageFormat.hpp"

#include <exception>

#include "package/ResourceName.hpp"
#include "project/ByteReader.hpp"

namespace kpf::package {

using project::ByteReader;

namespace {

uint32_t ReadU32At(std::span<const uint8_t> file, size_t offset) {
  ByteReader reader(file, offset);
  return reader.readU32();
}

// A NUL-terminated header string; the end of the package body also ends it.
PackageHeader ReadHeader(ByteReader& body) {
  PackageHeader header;
  header.DesignVersion = body.readNulString();
  header.AboutText = body.readNulString();
  header.Title = body.readNulString();
  header.HeaderFlags = body.readInt32();
  return header;
}

void DecodeRecordData(PackageRecord& record) {
  switch (record.Tag) {
    case kTagElampDll:
    case kTagNpmodDll:
      record.FileName = LibraryFileName(record.Tag);
      record.Content = record.Data;
      break;
    case kTagNamedFile: {
      ByteReader data(record.Data);
      record.FileName = data.readNulString();
      record.Content = record.Data.subspan(data.position());
      if (ResourceName name = SplitResourceName(record.FileName); !name.Valid())
        record.Problem = "bad file name: " + name.Problem;
      break;
    }
    case kTagVariableValue:
      try {
        record.Value = DecodeVariableValue(record.Data);
      } catch (const std::exception& error) {
        record.Problem = std::string("bad variable value: ") + error.what();
      }
      break;
    default:
      break;
  }
}

// Reads records until the end tag, the end of the body, or a record that does not fit.
void ReadRecords(ByteReader& body, PackageLayout& layout) {
  while (body.remaining() >= 4) {
    PackageRecord record;
    record.Offset = body.position();
    record.Tag = body.readU32();
    if (record.Tag == kTagEnd) {
      layout.EndTagSeen = true;
      return;
    }
    if (body.remaining() < 4) {
      layout.Error = "record at offset " + std::to_string(record.Offset) + " has no length";
      return;
    }
    record.Length = body.readU32();
    if (record.Length > kMaxRecordBytes || record.Length > body.remaining()) {
      layout.Error = "record at offset " + std::to_string(record.Offset) + " has length " +
                     std::to_string(record.Length) + " beyond the package";
      return;
    }
    record.Data = body.take(record.Length);
    DecodeRecordData(record);
    layout.Records.push_back(std::move(record));
  }
}

}  // namespace

bool HasPackageTrailer(std::span<const uint8_t> file) {
  return file.size() >= kPackageTrailerBytes && ReadU32At(file, file.size() - 4) == PackageTrailerMagic;
}

bool IsPackageTrailer(std::span<const uint8_t> trailer, uint64_t fileSize) {
  if (trailer.size() != kPackageTrailerBytes || fileSize < kPackageTrailerBytes) return false;
  const uint64_t projectOffset = ReadU32At(trailer, 0);
  return ReadU32At(trailer, 4) == PackageTrailerMagic && projectOffset + 4 <= fileSize - kPackageTrailerBytes;
}

std::optional<PackageLayout> ParsePackage(std::span<const uint8_t> file) {
  if (!HasPackageTrailer(file)) return std::nullopt;
  PackageLayout layout;
  const size_t bodyEnd = file.size() - kPackageTrailerBytes;
  layout.Trailer.ProjectOffset = ReadU32At(file, bodyEnd);
  layout.Trailer.Magic = PackageTrailerMagic;

  const uint64_t start = layout.Trailer.ProjectOffset;
  if (start + 4 > bodyEnd) {
    layout.Error = "project offset " + std::to_string(start) + " lies beyond the package";
    return layout;
  }
  const uint32_t blockLength = ReadU32At(file, start);
  if (start + 4 + blockLength > bodyEnd) {
    layout.Error = "project block of " + std::to_string(blockLength) + " bytes does not fit the file";
    return layout;
  }
  layout.ProjectBlockFits = true;
  layout.ProjectBlockLength = blockLength;
  layout.ProjectBlock = file.subspan(start + 4, blockLength);

  ByteReader body(file.first(bodyEnd), start + 4 + blockLength);
  try {
    layout.Header = ReadHeader(body);
  } catch (const std::exception&) {
    layout.Error = "header is cut short";
    return layout;
  }
  layout.HeaderEnd = body.position();
  ReadRecords(body, layout);
  return layout;
}

VariableValueRecord DecodeVariableValue(std::span<const uint8_t> data) {
  ByteReader reader(data);
  VariableValueRecord value;
  value.VariableId = reader.readInt32();
  value.Kind = reader.readByte();
  if (value.Kind == kValueInteger) value.IntValue = reader.readInt32();
  if (value.Kind == kValueText) value.Text = reader.readNulString();
  return value;
}

std::string EffectiveTitle(const std::string& title) {
  for (char c : title)
    if (static_cast<unsigned char>(c) > ' ') return title;
  return "Tavimo";
}

const char* LibraryFileName(uint32_t tag) {
  if (tag == kTagElampDll) return "elamp.dll";
  if (tag == kTagNpmodDll) return "npmod32.dll";
  return "";
}

}  // namespace kpf::package
