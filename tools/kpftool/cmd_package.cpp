// kpftool package / extract-resources: show the package appended to an executable and write
// its resource files.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>

#include "package/PackageFormat.hpp"
#include "package/ResourceFiles.hpp"
#include "package/ResourceName.hpp"
#include "project/Stream.hpp"
#include "tools/kpftool/Command.hpp"
#include "tools/kpftool/Json.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

namespace {

using package::PackageLayout;
using package::PackageRecord;

const char* RecordKind(uint32_t tag) {
  switch (tag) {
    case package::kTagElampDll:
    case package::kTagNpmodDll: return "library";
    case package::kTagNamedFile: return "file";
    case package::kTagVariableValue: return "variable";
    default: return "unknown";
  }
}

void WriteHeader(JsonWriter& json, const package::PackageHeader& header) {
  json.BeginObject()
      .Member("designVersion", Windows1252ToUtf8(header.DesignVersion))
      .Member("aboutText", Windows1252ToUtf8(header.AboutText))
      .Member("title", Windows1252ToUtf8(header.Title))
      .Member("effectiveTitle", Windows1252ToUtf8(package::EffectiveTitle(header.Title)))
      .Member("headerFlags", header.HeaderFlags)
      .Member("aboutHidden", (header.HeaderFlags & 1) != 0)
      .EndObject();
}

void WriteValue(JsonWriter& json, const package::VariableValueRecord& value) {
  json.BeginObject().Member("id", value.VariableId).Member("kind", static_cast<int32_t>(value.Kind)).Key("value");
  if (value.Kind == package::kValueInteger)
    json.Int(value.IntValue);
  else if (value.Kind == package::kValueText)
    json.String(Windows1252ToUtf8(value.Text));
  else
    json.Null();
  json.EndObject();
}

void WriteRecord(JsonWriter& json, const PackageRecord& record) {
  json.BeginObject()
      .Member("offset", static_cast<uint64_t>(record.Offset))
      .Member("tag", record.Tag)
      .Member("kind", RecordKind(record.Tag))
      .Member("length", record.Length);
  if (!record.FileName.empty() || record.Tag == package::kTagNamedFile) {
    json.Member("fileName", Windows1252ToUtf8(record.FileName))
        .Member("contentLength", static_cast<uint64_t>(record.Content.size()));
  }
  if (record.Value) {
    json.Key("variable");
    WriteValue(json, *record.Value);
  }
  if (!record.Problem.empty()) json.Member("problem", record.Problem);
  json.EndObject();
}

std::string LayoutJson(const std::string& file, size_t size, const PackageLayout& layout, bool pretty) {
  JsonWriter json(pretty);
  json.BeginObject().Member("file", file).Member("size", static_cast<uint64_t>(size));
  json.Key("trailer").BeginObject()
      .Member("projectOffset", layout.Trailer.ProjectOffset)
      .Member("magic", layout.Trailer.Magic)
      .EndObject();
  json.Key("projectBlock");
  if (layout.ProjectBlockFits)
    json.BeginObject()
        .Member("offset", static_cast<uint64_t>(layout.Trailer.ProjectOffset) + 4)
        .Member("length", layout.ProjectBlockLength)
        .EndObject();
  else
    json.Null();
  json.Key("header");
  if (layout.Header)
    WriteHeader(json, *layout.Header);
  else
    json.Null();
  json.Key("records").BeginArray();
  for (const PackageRecord& record : layout.Records) WriteRecord(json, record);
  json.EndArray().Member("endTag", layout.EndTagSeen).Key("error");
  if (layout.Error.empty())
    json.Null();
  else
    json.String(layout.Error);
  json.EndObject();
  return json.Text();
}

// Reads FILE and parses its package; reports a file without one.
std::optional<PackageLayout> LoadLayout(const std::string& file, std::vector<uint8_t>& content) {
  content = project::ReadWholeFile(file);
  std::optional<PackageLayout> layout = package::ParsePackage(content);
  if (!layout) std::fprintf(stderr, "%s: no package (the file does not end with the trailer 130)\n", file.c_str());
  return layout;
}

bool IsResourceTag(uint32_t tag) {
  return tag == package::kTagElampDll || tag == package::kTagNpmodDll || tag == package::kTagNamedFile;
}

// Writes one resource record; false when it had to be skipped.
bool ExtractOne(const PackageRecord& record, const std::string& folder) {
  package::ResourceName name = package::SplitResourceName(record.FileName);
  const std::string shown = Windows1252ToUtf8(record.FileName);
  if (!name.Valid()) {
    std::fprintf(stderr, "skipped record at offset %zu: bad file name \"%s\": %s\n", record.Offset, shown.c_str(),
                 name.Problem.c_str());
    return false;
  }
  try {
    std::string path;
    if (package::ExtractResource(folder, name, record.Content, path) == package::ExtractResult::AlreadyExists) {
      std::fprintf(stderr, "%s exists, left unchanged\n", path.c_str());
      return true;
    }
    std::printf("%s\n", path.c_str());
    return true;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "skipped record at offset %zu (\"%s\"): %s\n", record.Offset, shown.c_str(), error.what());
    return false;
  }
}

}  // namespace

int RunPackage(const Arguments& args) {
  bool pretty = false;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg == "--pretty")
      pretty = true;
    else
      files.push_back(arg);
  }
  if (files.size() != 1) {
    std::fputs("usage: kpftool package FILE [--pretty]\n", stderr);
    return 2;
  }
  const std::string& file = files[0];
  std::vector<uint8_t> content;
  std::optional<PackageLayout> layout = LoadLayout(file, content);
  if (!layout) return 1;
  std::printf("%s\n", LayoutJson(file, content.size(), *layout, pretty).c_str());
  if (!layout->Error.empty()) std::fprintf(stderr, "%s: damaged package: %s\n", file.c_str(), layout->Error.c_str());
  return 0;
}

int RunExtractResources(const Arguments& args) {
  if (args.size() != 2) {
    std::fputs("usage: kpftool extract-resources FILE DIR\n", stderr);
    return 2;
  }
  std::vector<uint8_t> content;
  std::optional<PackageLayout> layout = LoadLayout(args[0], content);
  if (!layout) return 1;
  std::filesystem::create_directories(args[1]);
  bool allWritten = true;
  for (const PackageRecord& record : layout->Records)
    if (IsResourceTag(record.Tag)) allWritten = ExtractOne(record, args[1]) && allWritten;
  if (!layout->Error.empty()) {
    std::fprintf(stderr, "%s: damaged package: %s\n", args[0].c_str(), layout->Error.c_str());
    allWritten = false;
  }
  return allWritten ? 0 : 1;
}

}  // namespace kpf::tools
