#include "tools/kpftool/ModelJson.hpp"

#include "tools/kpftool/SourceFiles.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

namespace {

void WriteFrameJson(JsonWriter& json, const project::TTaviFrame& frame, bool stored) {
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
  if (stored) {
    if (frame.Kind == project::kImageFrame && frame.BitmapIndex != frame.Variants[0].Image)
      json.Member("bitmapIndex", frame.BitmapIndex);
    if (frame.RegionStored) json.Member("region", ToHex(frame.Variants[0].Region));
    if (frame.Kind == project::kDocumentFrame) json.Member("document", JsonText(frame.Document));
  }
  json.EndObject();
}

void WriteAnimationJson(JsonWriter& json, const project::TTaviEvent& a, bool stored) {
  json.BeginObject().Member("id", a.Id).Member("name", JsonText(a.Name))
      .Member("width", static_cast<int32_t>(a.Width))
      .Member("height", static_cast<int32_t>(a.Height));
  if (stored) json.Member("eventIndex", static_cast<int32_t>(a.EventIndex));
  json.Member("repeatCount", static_cast<int32_t>(a.RepeatCount))
      .Member("option", static_cast<int32_t>(a.Option)).Member("posX", JsonText(a.PosX))
      .Member("posY", JsonText(a.PosY)).Member("moveMode", static_cast<int32_t>(a.MoveMode));
  if (stored) {
    json.Key("params").BeginArray();
    for (int32_t param : a.Params) json.Int(param);
    json.EndArray().Member("cursor", static_cast<int32_t>(a.ExtraByte));
  }
  json.Key("eventScripts").BeginArray();
  for (int32_t id : a.EventScripts) json.Int(id);
  json.EndArray().Key("frames").BeginArray();
  for (const auto& frame : a.Frames) WriteFrameJson(json, frame, stored);
  json.EndArray().EndObject();
}

}  // namespace

std::string JsonText(const std::string& ansi) { return Windows1252ToUtf8(ansi); }

void BeginScriptJson(JsonWriter& json, const project::TTaviScript& script) {
  json.BeginObject().Member("id", script.Id).Member("name", JsonText(script.Name))
      .Member("description", JsonText(script.Description)).Member("trigger", script.Trigger);
}

void BeginActionJson(JsonWriter& json, const project::TKPFExeAction& action) {
  json.BeginObject().Member("name", JsonText(action.Name)).Member("type", action.ActionType)
      .Member("flags", action.Flags);
}

void BeginImageJson(JsonWriter& json, const project::TVrBitmap& image, size_t index) {
  json.BeginObject().Member("index", static_cast<uint64_t>(index)).Member("width", image.Width())
      .Member("height", image.Height()).Member("form", image.Form())
      .Member("copyKind", static_cast<int32_t>(image.CopyKind))
      .Member("mirrorLink", image.MirrorLink).Member("flipLink", image.FlipLink)
      .Member("useCount", static_cast<int32_t>(image.UseCount));
}

void BeginSoundJson(JsonWriter& json, const project::TTaviSound& sound) {
  json.BeginObject().Member("name", JsonText(sound.Name)).Member("kind", static_cast<int32_t>(sound.Kind))
      .Member("size", sound.Size).Member("playMode", static_cast<int32_t>(sound.PlayMode));
}

void BeginMenuEntryJson(JsonWriter& json, const project::TTaviMenu& entry) {
  json.BeginObject().Member("caption", JsonText(entry.Caption)).Member("itemKey", JsonText(entry.ItemKey))
      .Member("flags", entry.Flags).Member("scriptId", entry.ScriptId);
}

void BeginDialogJson(JsonWriter& json, const project::TTaviDialog& dialog) {
  json.BeginObject().Member("id", dialog.ID).Member("name", JsonText(dialog.Name))
      .Member("size", static_cast<uint64_t>(dialog.Definition.size()));
}

void BeginVariableJson(JsonWriter& json, const project::TTaviVariable& variable) {
  json.BeginObject().Member("id", variable.ID).Member("name", JsonText(variable.Name))
      .Member("kind", static_cast<int32_t>(variable.Kind)).Member("sysIndex", variable.SysIndex)
      .Member("varType", static_cast<int32_t>(variable.VarType)).Key("value");
  if (variable.Value.IsText())
    json.String(JsonText(variable.Value.ToText()));
  else
    json.Int(variable.Value.ToInteger());
}

void WriteAnimationsJson(JsonWriter& json, const std::vector<project::TTaviEvent>& animations, bool stored) {
  json.Key("animations").BeginArray();
  for (const auto& animation : animations) WriteAnimationJson(json, animation, stored);
  json.EndArray();
}

void WritePlayListsJson(JsonWriter& json, const std::vector<project::TPlayList>& lists) {
  json.Key("playLists").BeginArray();
  for (const auto& p : lists) {
    json.BeginObject().Member("name", JsonText(p.Name)).Member("text", JsonText(p.Text))
        .Member("mode", static_cast<int32_t>(p.Mode)).Member("value", static_cast<int32_t>(p.Value))
        .Key("items").BeginArray();
    for (const auto& item : p.Items) json.String(JsonText(item));
    json.EndArray().EndObject();
  }
  json.EndArray();
}

void WriteOptionsJson(JsonWriter& json, const project::ProjectModel& model) {
  json.Key("optionFlags").BeginArray();
  for (uint8_t flag : model.OptionFlags) json.Int(flag);
  json.EndArray().Key("menuCaptions").BeginArray();
  for (const auto& caption : model.MenuCaptions) json.String(JsonText(caption));
  json.EndArray();
}

void WriteHeaderJson(JsonWriter& json, const std::string& designVersion, const std::string& aboutText,
                     const std::string& title, int32_t headerFlags, const std::string* storedTitle) {
  json.Key("header").BeginObject()
      .Member("designVersion", JsonText(designVersion))
      .Member("aboutText", JsonText(aboutText))
      .Member("title", JsonText(title));
  if (storedTitle != nullptr) json.Member("storedTitle", JsonText(*storedTitle));
  json.Member("headerFlags", headerFlags).EndObject();
}

void WriteResourceJson(JsonWriter& json, uint32_t tag, const std::string& name, size_t size) {
  json.BeginObject().Member("tag", tag).Member("name", JsonText(name))
      .Member("size", static_cast<uint64_t>(size)).Member("extracted", false).EndObject();
}

}  // namespace kpf::tools
