#include "tools/kpftool/PackRecords.hpp"

#include <algorithm>
#include <stdexcept>

#include "project/SystemVariables.hpp"
#include "project/TTaviVariable.hpp"
#include "tools/kpftool/SourceFiles.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

namespace {

namespace fs = std::filesystem;

void AppendInt(std::vector<uint8_t>& out, int32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
}

// Data of a named-file record: the NUL-terminated name, then the content.
std::vector<uint8_t> NamedFile(const std::string& storedName, std::span<const uint8_t> content) {
  std::vector<uint8_t> data(storedName.begin(), storedName.end());
  data.push_back(0);
  data.insert(data.end(), content.begin(), content.end());
  return data;
}

// Tag-203 data: int32 id, kind byte, int32 or NUL-terminated text.
std::vector<uint8_t> InitialValue(const JsonFields& fields, const project::ProjectSource& project) {
  if (!fields.Has("id") && !fields.Has("variable"))
    fields.Fail("id", "an initial value needs \"id\" or \"variable\"");
  int32_t id = fields.Has("id") ? fields.Int32("id", 0)
                                : VariableIdByName(project, fields.Text("variable"),
                                                   fields.Path("variable"));
  const Json* value = fields.Get("value");
  int64_t kind = fields.Int("valueKind", value && value->is_string() ? 1 : 0, 0, 255);
  std::vector<uint8_t> data;
  AppendInt(data, id);
  data.push_back(static_cast<uint8_t>(kind));
  if (kind == 0) {
    AppendInt(data, fields.Int32("value", 0));
  } else if (kind == 1) {
    std::string text = fields.Text("value");
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
  }
  return data;
}

project::PackageRecord Record(const JsonFields& fields, const fs::path& folder,
                              const project::ProjectSource& project) {
  if (!fields.Has("tag")) fields.Fail("tag", "a record needs a tag");
  auto tag = fields.Int("tag", 0, 0, UINT32_MAX);
  if (tag == 255) fields.Fail("tag", "the end record is written by pack");
  project::PackageRecord record;
  record.Tag = static_cast<uint32_t>(tag);
  if (tag == 202) {
    std::string reference = fields.Reference("file");
    std::string name = fields.Has("name") ? fields.Text("name")
                                          : StoredFileName(reference, fields.Context());
    record.Data = NamedFile(name, ReadOptionalFile(fields, folder, "file"));
  } else if (tag == 203 && !fields.Has("file")) {
    record.Data = InitialValue(fields, project);
  } else {
    if ((tag == 109 || tag == 110) && !fields.Has("file"))
      fields.Fail("file", "a library record needs its file");
    record.Data = ReadOptionalFile(fields, folder, "file");
  }
  return record;
}

}  // namespace

project::PackageHeader ReadPackageHeader(const JsonFields& fields) {
  project::PackageHeader header;
  header.DesignVersion = fields.Text("designVersion");
  header.AboutText = fields.Text("aboutText");
  header.Title = fields.Text("title");
  header.HeaderFlags = fields.Int32("headerFlags", 0);
  return header;
}

std::vector<project::PackageRecord> ReadPackageRecords(const JsonFields& top, const fs::path& folder,
                                                       const project::ProjectSource& project) {
  std::vector<project::PackageRecord> records;
  const auto& items = top.Array("records");
  for (size_t i = 0; i < items.size(); ++i)
    records.push_back(Record(JsonFields(items[i], Indexed(top.Path("records"), i)), folder, project));
  return records;
}

std::vector<project::PackageRecord> ResourceFolderRecords(const fs::path& folder) {
  std::vector<project::PackageRecord> records;
  std::error_code error;
  if (!fs::is_directory(folder / "resources", error)) return records;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder / "resources"))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    std::string reference = "resources/" + name;
    records.push_back({202, NamedFile(StoredFileName(reference, reference),
                                      ReadReferencedFile(folder, reference))});
  }
  return records;
}

int32_t VariableIdByName(const project::ProjectSource& project, const std::string& name,
                         const std::string& context) {
  for (auto it = project.Variables.rbegin(); it != project.Variables.rend(); ++it)
    if (project::SameText(it->Name, name)) return it->ID;
  for (size_t i = 0; i < project::kSystemVariableCount; ++i)
    if (project::SameText(project::SystemVariableAt(i).name, name))
      return project::kFirstSystemVariableId + static_cast<int32_t>(i);
  throw std::runtime_error(context + ": no variable named \"" + name + "\"");
}

std::vector<uint8_t> ReadOptionalFile(const JsonFields& fields, const fs::path& folder,
                                      std::string_view key) {
  if (!fields.Has(key)) return {};
  std::string reference = fields.Reference(key);
  try {
    return ReadReferencedFile(folder, reference);
  } catch (const std::runtime_error& error) {
    fields.Fail(key, error.what());
  }
}

std::string StoredFileName(const std::string& reference, const std::string& context) {
  try {
    return Utf8ToWindows1252(fs::path(reference).filename().string());
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(context + ": " + error.what());
  }
}

}  // namespace kpf::tools
