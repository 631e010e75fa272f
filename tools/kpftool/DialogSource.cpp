#include "tools/kpftool/DialogSource.hpp"

#include <cstdio>
#include <string_view>

#include "dialogs/DialogDefinition.hpp"
#include "dialogs/TMyFormBackground.hpp"
#include "tools/kpftool/DialogJson.hpp"
#include "tools/kpftool/JsonDocument.hpp"
#include "tools/kpftool/PackRecords.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

namespace fs = std::filesystem;

std::string Numbered(size_t index) {
  char name[16];
  std::snprintf(name, sizeof name, "%04zu", index);
  return name;
}

const char* ExtensionOf(uint8_t kind) {
  if (kind == dialogs::kPictureBitmap) return ".bmp";
  if (kind == dialogs::kPictureJpeg) return ".jpg";
  return ".bin";
}

std::vector<uint8_t> DefinitionFromJson(const fs::path& dir, const std::string& reference) {
  const std::vector<uint8_t> bytes = ReadReferencedFile(dir, reference);
  const Json document = ParseJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return dialogs::WriteDefinition(ReadDialogObjectsJson(JsonFields(document, reference), dir));
}

// The JSON form, or "" when it would not pack back into the stored bytes.
std::string WriteJson(const fs::path& dir, const std::string& base, const project::TTaviDialog& dialog) {
  const dialogs::DialogDefinition definition = dialogs::ReadDefinition(dialog.Definition);
  if (!definition.Error.empty() || dialogs::WriteDefinition(definition.Objects) != dialog.Definition) return "";
  UniqueNames unique;
  std::vector<fs::path> written;
  const BlockStore store = [&](std::span<const uint8_t> bytes, const std::string& what, uint8_t kind) {
    const std::string name = unique.Take(SafeFileName(what, "block") + ExtensionOf(kind));
    fs::create_directories(dir / "dialogs" / base);
    WriteFileBytes(dir / "dialogs" / base / name, bytes);
    written.push_back(dir / "dialogs" / base / name);
    return "dialogs/" + base + "/" + name;
  };
  JsonWriter json(true);
  json.BeginObject();
  WriteDialogObjectsJson(json, definition, store);
  json.EndObject();
  const std::string reference = "dialogs/" + base + ".json";
  // A dialog without pictures or files has stored no block, so the folder may not exist yet.
  fs::create_directories(dir / "dialogs");
  const std::string text = json.Text();
  WriteFileBytes(dir / reference, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  written.push_back(dir / reference);
  try {
    if (DefinitionFromJson(dir, reference) == dialog.Definition) return reference;
  } catch (const std::exception&) {
  }
  std::error_code error;
  for (const auto& path : written) fs::remove(path, error);
  fs::remove(dir / "dialogs" / base, error);
  return "";
}

}  // namespace

std::string WriteDialogSource(const fs::path& dir, size_t index, const project::TTaviDialog& dialog) {
  const std::string base = Numbered(index);
  std::string reference = WriteJson(dir, base, dialog);
  if (!reference.empty()) return reference;
  reference = "dialogs/" + base + ".bin";
  fs::create_directories(dir / "dialogs");
  WriteFileBytes(dir / reference, dialog.Definition);
  return reference;
}

bool IsDialogJson(const std::string& reference) { return reference.ends_with(".json"); }

std::vector<uint8_t> ReadDialogSource(const JsonFields& dialog, const fs::path& folder) {
  if (!dialog.Has("definition")) {
    if (!dialog.Has("file")) dialog.Fail("file", "a dialog needs its definition file");
    return ReadOptionalFile(dialog, folder, "file");
  }
  const std::string reference = dialog.Reference("definition");
  try {
    return DefinitionFromJson(folder, reference);
  } catch (const std::exception& error) {
    dialog.Fail("definition", error.what());
  }
}

}  // namespace kpf::tools
