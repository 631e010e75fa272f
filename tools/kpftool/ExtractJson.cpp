#include "tools/kpftool/ExtractJson.hpp"

#include "project/ActionItems.hpp"
#include "tools/kpftool/Json.hpp"
#include "tools/kpftool/ParamCodec.hpp"
#include "tools/kpftool/SourceFiles.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

namespace {

using project::ParamFormOfKind;
using project::ParamValueForm;
using project::ProjectModel;

std::string Text(const std::string& ansi) { return Windows1252ToUtf8(ansi); }

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
        .Member("text", Text(unpacked ? action.ParamText[i] : entry.Text));
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
    json.BeginObject().Member("name", Text(action.Name)).Member("type", action.ActionType)
        .Member("flags", action.Flags);
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
    json.BeginObject().Member("id", script.Id).Member("name", Text(script.Name))
        .Member("description", Text(script.Description)).Member("trigger", script.Trigger)
        .Member("reserved1", script.Reserved1).Member("reserved2", script.Reserved2);
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
    json.BeginObject().Member("index", static_cast<uint64_t>(i)).Member("width", image.Width())
        .Member("height", image.Height()).Member("form", image.Form())
        .Member("copyKind", static_cast<int32_t>(image.CopyKind))
        .Member("mirrorLink", image.MirrorLink).Member("flipLink", image.FlipLink)
        .Member("useCount", static_cast<int32_t>(image.UseCount))
        .Member("hasAlpha", image.HasAlpha());
    if (i < names.Images.size()) FileMember(json, "file", names.Images[i]);
    json.EndObject();
  }
  json.EndArray();
}

void WriteFrame(JsonWriter& json, const project::TTaviFrame& frame) {
  json.BeginObject().Member("kind", static_cast<int32_t>(frame.Kind))
      .Member("x", static_cast<int32_t>(frame.X)).Member("y", static_cast<int32_t>(frame.Y))
      .Member("duration", static_cast<int32_t>(frame.Duration))
      .Member("image", frame.Variants[0].Image).Member("scriptId", frame.ScriptId)
      .Member("useTransparentColor", frame.UseTransparentColor)
      .Member("transparentColor", frame.TransparentColor).Key("sounds").BeginArray();
  for (const auto& sound : frame.Sounds)
    json.BeginObject().Member("soundIndex", sound.SoundIndex)
        .Member("playMode", static_cast<int32_t>(sound.PlayMode)).EndObject();
  json.EndArray();
  if (frame.Kind == project::kImageFrame && frame.BitmapIndex != frame.Variants[0].Image)
    json.Member("bitmapIndex", frame.BitmapIndex);
  if (frame.RegionStored) json.Member("region", ToHex(frame.Variants[0].Region));
  if (frame.Kind == project::kDocumentFrame) json.Member("document", Text(frame.Document));
  json.EndObject();
}

void WriteAnimations(JsonWriter& json, const ProjectModel& model) {
  json.Key("animations").BeginArray();
  for (const auto& a : model.Animations) {
    json.BeginObject().Member("id", a.Id).Member("name", Text(a.Name))
        .Member("width", static_cast<int32_t>(a.Width))
        .Member("height", static_cast<int32_t>(a.Height))
        .Member("eventIndex", static_cast<int32_t>(a.EventIndex))
        .Member("repeatCount", static_cast<int32_t>(a.RepeatCount))
        .Member("option", static_cast<int32_t>(a.Option)).Member("posX", Text(a.PosX))
        .Member("posY", Text(a.PosY)).Member("moveMode", static_cast<int32_t>(a.MoveMode))
        .Key("params").BeginArray();
    for (int32_t param : a.Params) json.Int(param);
    json.EndArray().Member("cursor", static_cast<int32_t>(a.ExtraByte)).Key("eventScripts")
        .BeginArray();
    for (int32_t id : a.EventScripts) json.Int(id);
    json.EndArray().Key("frames").BeginArray();
    for (const auto& frame : a.Frames) WriteFrame(json, frame);
    json.EndArray().EndObject();
  }
  json.EndArray();
}

void WriteMenus(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  const ProjectModel& model = *source.Model;
  json.Key("sounds").BeginArray();
  for (size_t i = 0; i < model.Sounds.size(); ++i) {
    const auto& s = model.Sounds[i];
    json.BeginObject().Member("name", Text(s.Name)).Member("kind", static_cast<int32_t>(s.Kind))
        .Member("size", s.Size).Member("playMode", static_cast<int32_t>(s.PlayMode));
    FileMember(json, "file", names.Sounds[i]);
    json.EndObject();
  }
  json.EndArray().Key("menuEntries").BeginArray();
  for (size_t i = 0; i < model.MenuEntries.size(); ++i) {
    const auto& m = model.MenuEntries[i];
    json.BeginObject().Member("caption", Text(m.Caption)).Member("itemKey", Text(m.ItemKey))
        .Member("flags", m.Flags).Member("scriptId", m.ScriptId)
        .Member("imageColor", m.ImageColor);
    FileMember(json, "image", names.MenuImages[i]);
    WriteActions(json, m.Actions);
    json.EndObject();
  }
  json.EndArray();
}

void WriteLists(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  const ProjectModel& model = *source.Model;
  json.Key("playLists").BeginArray();
  for (const auto& p : model.PlayLists) {
    json.BeginObject().Member("name", Text(p.Name)).Member("text", Text(p.Text))
        .Member("mode", static_cast<int32_t>(p.Mode)).Member("value", static_cast<int32_t>(p.Value))
        .Key("items").BeginArray();
    for (const auto& item : p.Items) json.String(Text(item));
    json.EndArray().EndObject();
  }
  json.EndArray().Member("nextDialogId", model.NextDialogId).Key("dialogs").BeginArray();
  for (size_t i = 0; i < model.Dialogs.size(); ++i) {
    const auto& d = model.Dialogs[i];
    json.BeginObject().Member("id", d.ID).Member("name", Text(d.Name))
        .Member("size", static_cast<uint64_t>(d.Definition.size()));
    FileMember(json, "file", names.Dialogs[i]);
    json.EndObject();
  }
  json.EndArray().Member("nextVariableId", model.NextVariableId).Key("variables").BeginArray();
  for (size_t i = 0; i < model.Variables.size(); ++i) {
    const auto& v = model.Variables[i];
    json.BeginObject().Member("id", v.ID).Member("name", Text(v.Name))
        .Member("kind", static_cast<int32_t>(v.Kind)).Member("sysIndex", v.SysIndex)
        .Member("varType", static_cast<int32_t>(v.VarType)).Key("value");
    if (v.Value.IsText()) json.String(Text(v.Value.ToText())); else json.Int(v.Value.ToInteger());
    if (i >= source.StoredVariables) json.Member("registered", true);
    json.EndObject();
  }
  json.EndArray().Key("optionFlags").BeginArray();
  for (uint8_t flag : model.OptionFlags) json.Int(flag);
  json.EndArray().Key("menuCaptions").BeginArray();
  for (const auto& caption : model.MenuCaptions) json.String(Text(caption));
  json.EndArray().Member("cursorCount", static_cast<uint64_t>(model.Cursors.size()))
      .Key("cursors").BeginArray();
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
  if (record.Tag == package::kTagNamedFile) json.Member("name", Text(record.FileName));
  if (record.Tag == package::kTagVariableValue && record.Value) {
    json.Member("id", record.Value->VariableId)
        .Member("valueKind", static_cast<int32_t>(record.Value->Kind)).Key("value");
    if (record.Value->Kind == package::kValueText) json.String(Text(record.Value->Text));
    else json.Int(record.Value->IntValue);
  }
  FileMember(json, "file", file);
  json.EndObject();
}

void WriteContainer(JsonWriter& json, const ExtractSource& source, const ExtractedNames& names) {
  json.Member("kind", source.Package ? "package" : "project");
  if (!source.Package) return;
  const auto& layout = *source.Package;
  if (layout.Header) {
    json.Key("header").BeginObject()
        .Member("designVersion", Text(layout.Header->DesignVersion))
        .Member("aboutText", Text(layout.Header->AboutText))
        .Member("title", Text(layout.Header->Title))
        .Member("headerFlags", layout.Header->HeaderFlags).EndObject();
  }
  json.Key("resources").BeginArray();
  for (const auto& r : layout.Records)
    json.BeginObject().Member("tag", r.Tag).Member("name", Text(r.FileName))
        .Member("size", static_cast<uint64_t>(r.Content.size())).Member("extracted", false)
        .EndObject();
  json.EndArray().Key("records").BeginArray();
  for (size_t i = 0; i < layout.Records.size(); ++i)
    WriteRecord(json, layout.Records[i], names.Records[i]);
  json.EndArray();
}

}  // namespace

std::string SourceJson(const ExtractSource& source, const ExtractedNames& names) {
  JsonWriter json(true);
  json.BeginObject();
  WriteContainer(json, source, names);
  json.Key("project").BeginObject();
  WriteScripts(json, source);
  WriteImages(json, source, names);
  WriteAnimations(json, *source.Model);
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
