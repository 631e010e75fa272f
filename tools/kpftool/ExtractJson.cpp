#include "tools/kpftool/ExtractJson.hpp"


#include "project/ActionItems.hpp"
#include "tools/kpftool/DialogSource.hpp"
#include "tools/kpftool/Json.hpp"
#include "tools/kpftool/ModelJson.hpp"
#include "tools/kpftool/ParamCodec.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

using project::ParamFormOfKind;
using project::ParamValueForm;
using project::ProjectModel;

void FileMember(JsonWriter& json, const char* key, const std::string& name) {
  if (!name.empty()) json.Member(key, name);
}

bool IsVariableKind(int32_t kind) {
  auto form = ParamFormOfKind(kind);
  return form == ParamValueForm::VariablePosition || form == ParamValueForm::VariableId;
}

void WriteParams(JsonWriter& json, const project::TKPFExeAction& action) {
  bool complete = true;
  auto entries = DecodeParamBlock(action.ParamData, complete);
  json.Key("params").BeginArray();
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& entry = entries[i];
    json.BeginObject().Member("kind", entry.Kind);
    bool unpacked = i < action.ParamCount();
    json.Member("int", unpacked ? action.ParamInt[i] : entry.Value)
        .Member("text", JsonText(unpacked ? action.ParamText[i] : entry.Text));
    if (IsVariableKind(entry.Kind)) json.Member("id", entry.Value);
    json.EndObject();
  }
  json.EndArray();
  // Blocks that do not re-encode exactly (a cut-short last entry) travel as they are.
  if (!complete || EncodeParamBlock(entries) != action.ParamData)
    json.Member("paramData", ToHex(action.ParamData));
}

void WriteActions(JsonWriter& json, const std::vector<project::TKPFExeAction>& actions) {
  json.Key("actions").BeginArray();
  for (const auto& action : actions) {
    BeginActionJson(json, action);
    WriteParams(json, action);
    json.EndObject();
  }
  json.EndArray();
}

void WriteScripts(JsonWriter& json, const ExtractSource& source) {
  const ProjectModel& model = *source.Model;
  json.Member("nextScriptId", model.NextScriptId).Key("scripts").BeginArray();
  size_t firstMenuScript = model.Scripts.size() - source.MenuScripts;
  for (size_t i = 0; i < model.Scripts.size(); ++i) {
    const auto& script = model.Scripts[i];
    BeginScriptJson(json, script);
    json.Member("reserved1", script.Reserved1).Member("reserved2", script.Reserved2);
    if (i >= firstMenuScript) json.Member("fromMenu", true);
    WriteActions(json, script.Actions);
    json.EndObject();
  }
  json.EndArray();
}

void WriteImages(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  json.Key("images").BeginArray();
  auto& bitmaps = source.Model->Bitmaps;
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    const auto& image = bitmaps[i];
    BeginImageJson(json, image, i);
    json.Member("hasAlpha", image.HasAlpha());
    if (i < names.Images.size()) FileMember(json, "file", names.Images[i]);
    json.EndObject();
  }
  json.EndArray();
}

void WriteMenus(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  const ProjectModel& model = *source.Model;
  json.Key("sounds").BeginArray();
  for (size_t i = 0; i < model.Sounds.size(); ++i) {
    BeginSoundJson(json, model.Sounds[i]);
    FileMember(json, "file", names.Sounds[i]);
    json.EndObject();
  }
  json.EndArray().Key("menuEntries").BeginArray();
  for (size_t i = 0; i < model.MenuEntries.size(); ++i) {
    const auto& m = model.MenuEntries[i];
    BeginMenuEntryJson(json, m);
    json.Member("imageColor", m.ImageColor);
    FileMember(json, "image", names.MenuImages[i]);
    WriteActions(json, m.Actions);
    json.EndObject();
  }
  json.EndArray();
}

void WriteLists(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  const ProjectModel& model = *source.Model;
  WritePlayListsJson(json, model.PlayLists);
  json.Member("nextDialogId", model.NextDialogId).Key("dialogs").BeginArray();
  for (size_t i = 0; i < model.Dialogs.size(); ++i) {
    BeginDialogJson(json, model.Dialogs[i]);
    FileMember(json, IsDialogJson(names.Dialogs[i]) ? "definition" : "file", names.Dialogs[i]);
    json.EndObject();
  }
  json.EndArray().Member("nextVariableId", model.NextVariableId).Key("variables").BeginArray();
  for (size_t i = 0; i < model.Variables.size(); ++i) {
    BeginVariableJson(json, model.Variables[i]);
    if (i >= source.StoredVariables) json.Member("registered", true);
    json.EndObject();
  }
  json.EndArray();
  WriteOptionsJson(json, model);
  json.Member("cursorCount", static_cast<uint64_t>(model.Cursors.size())).Key("cursors").BeginArray();
  for (size_t i = 0; i < model.Cursors.size(); ++i) {
    const auto& c = model.Cursors[i];
    json.BeginObject().Member("hotSpotX", c.HotSpotX).Member("hotSpotY", c.HotSpotY)
        .Member("transparentColor", c.TransparentColor);
    FileMember(json, "file", names.Cursors[i]);
    json.EndObject();
  }
  json.EndArray();
}

void WriteRecord(JsonWriter& json, const package::PackageRecord& record, const std::string& file) {
  json.BeginObject().Member("tag", record.Tag);
  if (record.Tag == package::kTagNamedFile) json.Member("name", JsonText(record.FileName));
  if (record.Tag == package::kTagVariableValue && record.Value) {
    json.Member("id", record.Value->VariableId)
        .Member("valueKind", static_cast<int32_t>(record.Value->Kind)).Key("value");
    if (record.Value->Kind == package::kValueText) json.String(JsonText(record.Value->Text));
    else json.Int(record.Value->IntValue);
  }
  FileMember(json, "file", file);
  json.EndObject();
}

void WriteContainer(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  json.Member("kind", source.Package ? "package" : "project");
  if (!source.Package) return;
  const auto& layout = *source.Package;
  if (const auto& header = layout.Header)
    WriteHeaderJson(json, header->DesignVersion, header->AboutText, header->Title, header->HeaderFlags);
  json.Key("resources").BeginArray();
  for (const auto& r : layout.Records) WriteResourceJson(json, r.Tag, r.FileName, r.Content.size());
  json.EndArray().Key("records").BeginArray();
  for (size_t i = 0; i < layout.Records.size(); ++i)
    WriteRecord(json, layout.Records[i], names.Records[i]);
  json.EndArray();
}

}  // namespace

std::string PackageJson(const package::PackageLayout& layout, const std::vector<std::string>& recordFiles) {
  ExtractSource source;
  source.Package = &layout;
  ExtractedNames names;
  names.Records = recordFiles;
  JsonWriter json(true);
  json.BeginObject();
  WriteContainer(json, source, names);
  json.EndObject();
  return json.Text() + "\n";
}

std::string SourceJson(const ExtractSource& source, const ExtractedNames& names) {
  JsonWriter json(true);
  json.BeginObject();
  WriteContainer(json, source, names);
  json.Key("project").BeginObject();
  WriteScripts(json, source);
  WriteImages(json, source, names);
  WriteAnimationsJson(json, source.Model->Animations, true);
  WriteMenus(json, source, names);
  WriteLists(json, source, names);
  json.EndObject().EndObject();
  return json.Text() + "\n";
}

size_t CountMenuScripts(const project::ProjectModel& model) {
  size_t withActions = 0;
  for (const auto& entry : model.MenuEntries) withActions += !entry.Actions.empty();
  if (withActions > model.Scripts.size()) return 0;
  size_t first = model.Scripts.size() - withActions;
  int64_t expectedId = int64_t{model.NextScriptId} - static_cast<int64_t>(withActions);
  for (size_t i = first; i < model.Scripts.size(); ++i, ++expectedId) {
    const auto& script = model.Scripts[i];
    if (script.Id != expectedId || script.Name != "Script-" + std::to_string(expectedId)) return 0;
  }
  return withActions;
}

}  // namespace kpf::tools
