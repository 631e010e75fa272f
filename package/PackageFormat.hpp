#pragma once
// Layout of the package appended to the player's executable: project block, header, resource
// records and trailer. ParsePackage only decodes and checks the bytes; applying them (loading
// the project, writing resource files, setting variables) is done by ReadPackage.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kpf::package {

constexpr uint32_t PackageTrailerMagic = 130;
constexpr size_t kPackageTrailerBytes = 8;
// Larger records are treated as hostile: no real resource comes near this size.
constexpr uint32_t kMaxRecordBytes = uint32_t{64} << 20;

enum PackageTag : uint32_t {
  kTagElampDll = 109,
  kTagNpmodDll = 110,
  kTagNamedFile = 202,
  kTagVariableValue = 203,
  kTagEnd = 255,
};

// Kinds of a tag-203 value.
enum VariableValueKind : uint8_t { kValueInteger = 0, kValueText = 1 };

struct PackageHeader {
  std::string DesignVersion;
  std::string AboutText;
  std::string Title;
  int32_t HeaderFlags = 0;
};

// One variable value as stored in a tag-203 record (initial values read from a package and
// changed stored values written into a package copy).
struct VariableValueRecord {
  int32_t VariableId = 0;
  uint8_t Kind = kValueInteger;
  int32_t IntValue = 0;
  std::string Text;

  bool operator==(const VariableValueRecord&) const = default;
};

struct PackageRecord {
  uint32_t Tag = 0;
  uint32_t Length = 0;
  size_t Offset = 0;                 // file offset of the tag
  std::span<const uint8_t> Data;     // the L data bytes
  // Tags 109, 110, 202: the file name (raw bytes) and the file content.
  std::string FileName;
  std::span<const uint8_t> Content;
  // Tag 203: the decoded value (absent when the data does not decode).
  std::optional<VariableValueRecord> Value;
  // Why the record cannot be applied (bad file name, undecodable value); empty when it can.
  std::string Problem;
};

struct PackageTrailer {
  uint32_t ProjectOffset = 0;  // P
  uint32_t Magic = 0;
};

struct PackageLayout {
  PackageTrailer Trailer;
  bool ProjectBlockFits = false;          // P + 4 + N lies before the trailer
  uint32_t ProjectBlockLength = 0;        // N (valid only when the block fits)
  std::span<const uint8_t> ProjectBlock;  // empty when the block does not fit the file
  std::optional<PackageHeader> Header;    // raw header, before the empty-title rule
  size_t HeaderEnd = 0;                   // file offset just past the header
  std::vector<PackageRecord> Records;     // records read before the end tag or the first error
  bool EndTagSeen = false;
  // The structural error that ended parsing (block, header or record list); empty when the
  // package was read to its end. Whatever was decoded before the error is kept.
  std::string Error;

  bool Complete() const { return Error.empty() && Header.has_value(); }
};

// True when the file ends with the package trailer magic.
bool HasPackageTrailer(std::span<const uint8_t> file);
// True when `trailer`, the last 8 bytes of a file of `fileSize` bytes, is a package trailer: the
// magic, and a project offset whose length field lies before the trailer.
bool IsPackageTrailer(std::span<const uint8_t> trailer, uint64_t fileSize);

// Decodes the package of an executable image. Returns nothing for a file without the trailer
// magic. Never reads outside `file`; every length is checked against the bytes before the
// trailer.
std::optional<PackageLayout> ParsePackage(std::span<const uint8_t> file);

// Decodes the data of a tag-203 record; throws EStreamError when it is cut short.
VariableValueRecord DecodeVariableValue(std::span<const uint8_t> data);

// The title rule: a title that is empty after trimming spaces and control characters becomes
// "Tavimo"; any other title stays untrimmed.
std::string EffectiveTitle(const std::string& title);

// Fixed file names of the two library records.
const char* LibraryFileName(uint32_t tag);

}  // namespace kpf::package
