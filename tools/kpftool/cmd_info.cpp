// kpftool info: loads a package or a standalone project file as the player does and prints the
// model as JSON.
#include <openssl/evp.h>

#include <cstdio>
#include <exception>
#include <optional>

#include "project/Stream.hpp"
#include "tools/kpftool/CharacterLoad.hpp"
#include "tools/kpftool/Command.hpp"
#include "tools/kpftool/DialogJson.hpp"
#include "tools/kpftool/Json.hpp"
#include "tools/kpftool/ModelJson.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

using project::ProjectModel;

std::string Sha256Hex(std::span<const uint32_t> pixels) {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels.size() * 4);
  for (uint32_t argb : pixels) {
    bytes.push_back(static_cast<uint8_t>(argb));
    bytes.push_back(static_cast<uint8_t>(argb >> 8));
    bytes.push_back(static_cast<uint8_t>(argb >> 16));
    bytes.push_back(static_cast<uint8_t>(argb >> 24));
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
    return {};
  return ToHex(std::span<const uint8_t>(digest, length));
}

void WriteActions(JsonWriter& json, const std::vector<project::TKPFExeAction>& actions) {
  json.Key("actions").BeginArray();
  for (const auto& action : actions) {
    BeginActionJson(json, action);
    json.Key("params").BeginArray();
    for (size_t i = 0; i < action.ParamCount(); ++i)
      json.BeginObject().Member("kind", action.ParamKind[i]).Member("int", action.ParamInt[i])
          .Member("text", JsonText(action.ParamText[i])).EndObject();
    json.EndArray().EndObject();
  }
  json.EndArray();
}

void WriteScripts(JsonWriter& json, const ProjectModel& model) {
  json.Member("nextScriptId", model.NextScriptId).Key("scripts").BeginArray();
  for (const auto& script : model.Scripts) {
    BeginScriptJson(json, script);
    WriteActions(json, script.Actions);
    json.EndObject();
  }
  json.EndArray();
}

void WriteImages(JsonWriter& json, ProjectModel& model, bool pixels) {
  json.Key("images").BeginArray();
  for (size_t i = 0; i < model.Bitmaps.size(); ++i) {
    auto& image = model.Bitmaps[i];
    BeginImageJson(json, image, i);
    std::optional<std::string> digest;
    if (pixels) {
      try {
        auto decoded = image.Pixels();
        image.ComputeHasAlpha();
        digest = Sha256Hex(decoded);
      } catch (const std::exception&) {
      }
    }
    json.Member("hasAlpha", image.HasAlpha()).Key("pixelsSha256");
    if (digest) json.String(*digest); else json.Null();
    json.EndObject();
  }
  json.EndArray();
}

// An array of objects that hold only the members info shares with extract.
template <typename Item>
void WriteSharedObjects(JsonWriter& json, const char* key, const std::vector<Item>& items,
                        void (*begin)(JsonWriter&, const Item&)) {
  json.Key(key).BeginArray();
  for (const auto& item : items) {
    begin(json, item);
    json.EndObject();
  }
  json.EndArray();
}

void WriteLists(JsonWriter& json, const ProjectModel& model) {
  WriteSharedObjects(json, "sounds", model.Sounds, BeginSoundJson);
  WriteSharedObjects(json, "menuEntries", model.MenuEntries, BeginMenuEntryJson);
  WritePlayListsJson(json, model.PlayLists);
  json.Key("dialogs").BeginArray();
  for (const auto& dialog : model.Dialogs) {
    BeginDialogJson(json, dialog);
    WriteDialogObjectsJson(json, dialogs::ReadDefinition(dialog.Definition), {});
    json.EndObject();
  }
  json.EndArray();
  WriteSharedObjects(json, "variables", model.Variables, BeginVariableJson);
  WriteOptionsJson(json, model);
  json.Member("cursorCount", static_cast<uint64_t>(model.Cursors.size()));
}

void WriteProject(JsonWriter& json, ProjectModel& model, bool pixels) {
  json.Key("project").BeginObject();
  WriteScripts(json, model);
  WriteImages(json, model, pixels);
  WriteAnimationsJson(json, model.Animations, false);
  WriteLists(json, model);
  json.EndObject();
}

void WriteContainer(JsonWriter& json, const LoadedCharacter& loaded) {
  json.Member("kind", loaded.package ? "package" : "project");
  if (const auto& header = loaded.host.Header) {
    const bool retitled = header->Title != loaded.storedTitle;
    WriteHeaderJson(json, header->DesignVersion, header->AboutText, header->Title, header->HeaderFlags,
                    retitled ? &loaded.storedTitle : nullptr);
  }
  if (!loaded.package) return;
  json.Key("resources").BeginArray();
  for (const auto& r : loaded.resources) WriteResourceJson(json, r.tag, r.name, r.size);
  json.EndArray();
}

}  // namespace

int RunInfo(const Arguments& args) {
  std::string path;
  bool pixels = true, pretty = false;
  for (const auto& arg : args) {
    if (arg == "--no-pixels") pixels = false;
    else if (arg == "--pretty") pretty = true;
    else path = arg;
  }
  if (path.empty()) {
    std::fputs("usage: kpftool info FILE [--no-pixels] [--pretty]\n", stderr);
    return 2;
  }
  std::vector<uint8_t> file = project::ReadWholeFile(path);
  JsonWriter json(pretty);
  json.BeginObject();
  LoadedCharacter loaded;
  LoadCharacter(file, loaded);
  WriteContainer(json, loaded);
  WriteProject(json, loaded.host.Model, pixels);
  if (!loaded.error.empty()) json.Member("error", loaded.error);
  json.EndObject();
  std::printf("%s\n", json.Text().c_str());
  return loaded.error.empty() ? 0 : 1;
}

}  // namespace kpf::tools
