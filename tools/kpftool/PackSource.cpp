#include "tools/kpftool/PackSource.hpp"


#include <algorithm>
#include <stdexcept>

#include "project/ActionItems.hpp"
#include "project/SystemVariables.hpp"
#include "project/TTaviVariable.hpp"
#include "tools/kpftool/DialogSource.hpp"
#include "tools/kpftool/JsonFields.hpp"
#include "tools/kpftool/PackImages.hpp"
#include "tools/kpftool/PackRecords.hpp"
#include "tools/kpftool/ParamCodec.hpp"
#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace {

namespace fs = std::filesystem;
using project::ParamFormOfKind;
using project::ParamValueForm;

constexpr int64_t kInt32Max = INT32_MAX;
constexpr int64_t kInt32Min = INT32_MIN;

// Short strings carry a one-byte length.
std::string ShortText(const JsonFields& fields, std::string_view key, std::string_view fallback = {}) {
  std::string text = fields.Text(key, fallback);
  if (text.size() > 255) fields.Fail(key, "longer than 255 bytes");
  return text;
}

class SourceReader {
 public:
  explicit SourceReader(fs::path folder) : folder_(std::move(folder)), images_(folder_) {}

  PackInput Read(const Json& root) {
    JsonFields top(root, "project.json");
    PackInput input;
    if (top.Has("header"))
      input.Header = ReadPackageHeader(JsonFields(*top.Get("header"), top.Path("header")));
    static const Json kEmptyObject = ParseJson("{}");
    JsonFields project(top.Has("project") ? *top.Get("project") : kEmptyObject, "project");
    auto& out = input.Project;
    Variables(project, out);
    Scripts(project, out);
    Sounds(project, out);
    images_.ReadList(project.Array("images"), project.Path("images"));
    Animations(project, out);
    out.Images = images_.Take();
    Menus(project, out);
    Lists(project, out);
    input.Records = top.Has("records") ? ReadPackageRecords(top, folder_, out)
                                        : ResourceFolderRecords(folder_);
    return input;
  }

 private:
  // ---- variables -------------------------------------------------------------------------

  void Variables(const JsonFields& project, project::ProjectSource& out) {
    const auto& items = project.Array("variables");
    int64_t nextId = 1;
    std::vector<size_t> withoutId;
    for (size_t i = 0; i < items.size(); ++i) {
      JsonFields fields(items[i], Indexed(project.Path("variables"), i));
      if (fields.Bool("registered", false)) continue;
      project::VariableSource variable;
      variable.Name = project::UpperName(ShortText(fields, "name"));
      if (variable.Name.empty()) fields.Fail("name", "a variable needs a name");
      const Json* value = fields.Get("value");
      int64_t varType = value && value->is_string() ? 1 : 0;
      if (const Json* type = fields.Get("type")) {
        if (!type->is_string() || (type->get<std::string>() != "integer" && type->get<std::string>() != "text"))
          fields.Fail("type", "expected \"integer\" or \"text\"");
        varType = type->get<std::string>() == "text" ? 1 : 0;
      }
      varType = fields.Int("varType", varType, 0, 1);
      auto kind = fields.Int("kind", 0, 0, 2);
      auto sysIndex = fields.Int("sysIndex", 0, 0, 3);
      variable.Flags = static_cast<uint8_t>(varType | (kind << 1) | (sysIndex << 3));
      if (varType == 1) variable.TextValue = value && IsJsonInteger(*value)
                                                 ? std::to_string(value->get<int64_t>())
                                                 : fields.Text("value");
      else variable.IntValue = fields.Int32("value", 0);
      if (fields.Has("id")) {
        variable.ID = fields.Int32("id", 0);
        // System variables start at 65535; their ids do not move the project's counter.
        if (variable.ID < project::kFirstSystemVariableId)
          nextId = std::max<int64_t>(nextId, int64_t{variable.ID} + 1);
      } else {
        withoutId.push_back(out.Variables.size());
      }
      out.Variables.push_back(std::move(variable));
    }
    for (size_t position : withoutId) out.Variables[position].ID = static_cast<int32_t>(nextId++);
    out.NextVariableId = project.Int32("nextVariableId", static_cast<int32_t>(nextId));
  }

  // ---- scripts and actions ---------------------------------------------------------------

  ParamEntry Param(const Json& item, const std::string& context,
                   const project::ProjectSource& out) const {
    ParamEntry entry;
    if (IsJsonInteger(item)) {
      entry.Value = static_cast<int32_t>(JsonInt(item, context, kInt32Min, kInt32Max));
      return entry;
    }
    if (item.is_string()) {
      entry.Kind = 1;
      entry.Text = JsonText(item, context);
      return entry;
    }
    JsonFields fields(item, context);
    entry.Kind = fields.Int32("kind", 0);
    switch (ParamFormOfKind(entry.Kind)) {
      case ParamValueForm::None: break;
      case ParamValueForm::Text: entry.Text = fields.Text("text"); break;
      case ParamValueForm::Byte: entry.Value = static_cast<int32_t>(fields.Int("int", 0, 0, 255)); break;
      case ParamValueForm::Int32: entry.Value = fields.Int32("int", 0); break;
      case ParamValueForm::VariablePosition:
      case ParamValueForm::VariableId:
        if (fields.Has("id")) entry.Value = fields.Int32("id", 0);
        else if (fields.Has("variable"))
          entry.Value = VariableIdByName(out, fields.Text("variable"), fields.Path("variable"));
        else if (ParamFormOfKind(entry.Kind) == ParamValueForm::VariableId && fields.Has("int"))
          entry.Value = fields.Int32("int", 0);
        else fields.Fail("id", "a variable parameter needs \"id\" or \"variable\"");
        break;
    }
    return entry;
  }

  std::vector<project::TKPFExeAction> Actions(const JsonFields& owner,
                                              const project::ProjectSource& out) const {
    std::vector<project::TKPFExeAction> actions;
    const auto& items = owner.Array("actions");
    for (size_t i = 0; i < items.size(); ++i) {
      JsonFields fields(items[i], Indexed(owner.Path("actions"), i));
      project::TKPFExeAction action;
      action.Name = fields.Text("name", "[none]");
      action.ActionType = fields.Int32("type", -1);
      action.Flags = fields.Int32("flags", 1);
      if (fields.Has("paramData")) {
        try {
          action.ParamData = FromHex(fields.Text("paramData"));
        } catch (const std::runtime_error& error) {
          fields.Fail("paramData", error.what());
        }
      } else {
        std::vector<ParamEntry> entries;
        const auto& params = fields.Array("params");
        for (size_t p = 0; p < params.size(); ++p)
          entries.push_back(Param(params[p], Indexed(fields.Path("params"), p), out));
        action.ParamData = EncodeParamBlock(entries);
      }
      if (action.ParamData.size() > static_cast<size_t>(project::kMaxParamSize))
        fields.Fail("params", "parameter block larger than " + std::to_string(project::kMaxParamSize));
      actions.push_back(std::move(action));
    }
    return actions;
  }

  void Scripts(const JsonFields& project, project::ProjectSource& out) {
    const auto& items = project.Array("scripts");
    int32_t fromMenu = 0;
    int64_t nextId = 1;
    std::vector<size_t> withoutId;
    for (size_t i = 0; i < items.size(); ++i) {
      JsonFields fields(items[i], Indexed(project.Path("scripts"), i));
      if (fields.Bool("fromMenu", false)) {
        ++fromMenu;
        continue;
      }
      project::TTaviScript script;
      if (fields.Has("id")) {
        script.Id = fields.Int32("id", 0);
        nextId = std::max<int64_t>(nextId, int64_t{script.Id} + 1);
      } else {
        withoutId.push_back(out.Scripts.size());
      }
      script.Name = fields.Text("name");
      script.Description = fields.Text("description");
      script.Trigger = fields.Int32("trigger", 0);
      script.Reserved1 = fields.Int32("reserved1", 1);
      script.Reserved2 = fields.Int32("reserved2", 0);
      script.Actions = Actions(fields, out);
      out.Scripts.push_back(std::move(script));
    }
    for (size_t position : withoutId) {
      if (nextId > kInt32Max) throw std::runtime_error("project.scripts: script ids run out");
      out.Scripts[position].Id = static_cast<int32_t>(nextId++);
    }
    int64_t stored = project.Has("nextScriptId")
                         ? int64_t{project.Int32("nextScriptId", 0)} - fromMenu
                         : std::min(nextId, kInt32Max);
    out.NextScriptId = static_cast<int32_t>(std::max(stored, kInt32Min));
  }

  // A script named by id (any integer, -1 none), by name, or null (-1).
  int32_t ScriptRef(const Json& ref, const std::string& context,
                    const project::ProjectSource& out) const {
    if (ref.is_null()) return -1;
    if (ref.is_string()) {
      std::string name = JsonText(ref, context);
      for (const auto& script : out.Scripts)
        if (project::SameText(script.Name, name)) return script.Id;
      throw std::runtime_error(context + ": no script named \"" + ref.get<std::string>() + "\"");
    }
    return static_cast<int32_t>(JsonInt(ref, context, kInt32Min, kInt32Max));
  }

  int32_t ScriptMember(const JsonFields& fields, const project::ProjectSource& out,
                       int32_t fallback) const {
    if (fields.Has("script")) return ScriptRef(*fields.Get("script"), fields.Path("script"), out);
    return fields.Int32("scriptId", fallback);
  }

  // ---- sounds, animations, frames ----------------------------------------------------------

  void Sounds(const JsonFields& project, project::ProjectSource& out) {
    const auto& items = project.Array("sounds");
    for (size_t i = 0; i < items.size(); ++i) {
      std::string where = Indexed(project.Path("sounds"), i);
      project::SoundSource sound;
      std::string file;
      if (items[i].is_string()) {
        file = items[i].get<std::string>();
      } else {
        JsonFields fields(items[i], where);
        file = fields.Reference("file");
        sound.Kind = static_cast<uint16_t>(fields.Int("kind", 101, 0, 65535));
        // An empty stored name stays empty; only a missing one takes the file's name.
        sound.Name = fields.Has("name") ? fields.Text("name") : StoredFileName(file, where);
      }
      if (items[i].is_string()) sound.Name = StoredFileName(file, where);
      try {
        sound.Data = ReadReferencedFile(folder_, file);
      } catch (const std::runtime_error& error) {
        throw std::runtime_error(where + ": " + error.what());
      }
      out.Sounds.push_back(std::move(sound));
    }
  }

  int32_t SoundRef(const JsonFields& fields, const project::ProjectSource& out) const {
    if (fields.Has("sound")) {
      std::string name = fields.Text("sound");
      for (size_t i = out.Sounds.size(); i-- > 0;)
        if (project::SameText(out.Sounds[i].Name, name)) return static_cast<int32_t>(i);
      fields.Fail("sound", "no sound named \"" + fields.Get("sound")->get<std::string>() + "\"");
    }
    if (out.Sounds.empty()) fields.Fail("soundIndex", "the project has no sounds");
    return static_cast<int32_t>(
        fields.Int("soundIndex", 0, 0, static_cast<int64_t>(out.Sounds.size()) - 1));
  }

  project::FrameSource Frame(const JsonFields& fields, const project::ProjectSource& out) {
    project::FrameSource frame;
    frame.Kind = static_cast<uint16_t>(fields.Int("kind", project::kImageFrame, 0, 65535));
    frame.X = static_cast<uint16_t>(fields.Int("x", 0, 0, 65535));
    frame.Y = static_cast<uint16_t>(fields.Int("y", 0, 0, 65535));
    frame.Duration = static_cast<uint16_t>(fields.Int("duration", 15, 0, 65535));
    if (frame.Kind == project::kImageFrame) {
      const Json* image = fields.Get("image");
      if (!image) fields.Fail("image", "an image frame needs an image");
      frame.BitmapIndex = images_.Resolve(*image, fields.Path("image"));
    }
    frame.UseTransparentColor = fields.Bool("useTransparentColor", false);
    frame.TransparentColor = static_cast<uint32_t>(fields.Int("transparentColor", 0, 0, 0xFFFFFF));
    if (fields.Has("region")) {
      try {
        frame.Region = FromHex(fields.Text("region"));
      } catch (const std::runtime_error& error) {
        fields.Fail("region", error.what());
      }
    }
    frame.Document = fields.Text("document");
    frame.ScriptId = ScriptMember(fields, out, -1);
    const auto& sounds = fields.Array("sounds");
    for (size_t i = 0; i < sounds.size(); ++i) {
      JsonFields sound(sounds[i], Indexed(fields.Path("sounds"), i));
      frame.Sounds.emplace_back(SoundRef(sound, out),
                                static_cast<uint8_t>(sound.Int("playMode", 1, 0, 255)));
    }
    return frame;
  }

  // Window size default: the largest image among the frames.
  void DefaultSize(const JsonFields& fields, project::AnimationSource& animation) const {
    int32_t width = 0, height = 0;
    for (const auto& frame : animation.Frames) {
      if (frame.Kind != project::kImageFrame) continue;
      const auto& image = images_.Images()[static_cast<size_t>(frame.BitmapIndex)];
      width = std::max(width, image.Width);
      height = std::max(height, image.Height);
    }
    animation.Width = static_cast<uint16_t>(fields.Int("width", std::min(width, 65535), 0, 65535));
    animation.Height = static_cast<uint16_t>(fields.Int("height", std::min(height, 65535), 0, 65535));
  }

  void Animations(const JsonFields& project, project::ProjectSource& out) {
    const auto& items = project.Array("animations");
    for (size_t i = 0; i < items.size(); ++i) {
      JsonFields fields(items[i], Indexed(project.Path("animations"), i));
      project::AnimationSource a;
      a.Id = fields.Int32("id", static_cast<int32_t>(i));
      a.Name = ShortText(fields, "name");
      a.EventIndex = static_cast<uint16_t>(fields.Int("eventIndex", 0, 0, 65535));
      a.RepeatCount = static_cast<uint16_t>(fields.Int("repeatCount", 2, 0, 65535));
      a.Option = static_cast<uint8_t>(fields.Int("option", 255, 0, 255));
      a.PosX = ShortText(fields, "posX", "<%RANDOM_SCREEN_WIDTH%>");
      a.PosY = ShortText(fields, "posY", "<%RANDOM_SCREEN_HEIGHT%>");
      a.MoveMode = static_cast<uint8_t>(fields.Int("moveMode", 0, 0, 255));
      const auto& params = fields.Array("params");
      for (size_t p = 0; p < params.size(); ++p)
        a.Params.push_back(static_cast<int32_t>(
            JsonInt(params[p], Indexed(fields.Path("params"), p), kInt32Min, kInt32Max)));
      auto cursor = fields.Int("cursor", 0, 0, 255);
      a.ExtraPresent = cursor != 0;
      if (a.ExtraPresent) a.Extra = {static_cast<uint8_t>(cursor)};
      const auto& slots = fields.Array("eventScripts");
      if (slots.size() > project::kEventScriptSlots)
        fields.Fail("eventScripts", "at most 15 slots");
      for (size_t s = 0; s < slots.size(); ++s)
        a.EventScripts[s] = ScriptRef(slots[s], Indexed(fields.Path("eventScripts"), s), out);
      const auto& frames = fields.Array("frames");
      for (size_t f = 0; f < frames.size(); ++f)
        a.Frames.push_back(Frame(JsonFields(frames[f], Indexed(fields.Path("frames"), f)), out));
      DefaultSize(fields, a);
      out.Animations.push_back(std::move(a));
    }
  }

  // ---- menus, play lists, dialogs, flags, captions, cursors --------------------------------

  void Menus(const JsonFields& project, project::ProjectSource& out) const {
    const auto& items = project.Array("menuEntries");
    int64_t generatedId = out.NextScriptId;  // the loader numbers menu scripts from here
    for (size_t i = 0; i < items.size(); ++i) {
      JsonFields fields(items[i], Indexed(project.Path("menuEntries"), i));
      project::MenuSource menu;
      menu.Caption = fields.Text("caption");
      menu.Actions = Actions(fields, out);
      int32_t ownScript = menu.Actions.empty() ? -1 : static_cast<int32_t>(generatedId++);
      menu.ItemKey = fields.Text("itemKey");
      menu.Image = ReadOptionalFile(fields, folder_, "image");
      menu.Flags = fields.Int32("flags", 3);
      menu.ImageColor = fields.Int32("imageColor", 0);
      menu.ScriptId = ScriptMember(fields, out, ownScript);
      out.Menus.push_back(std::move(menu));
    }
  }

  void Lists(const JsonFields& project, project::ProjectSource& out) const {
    const auto& playLists = project.Array("playLists");
    for (size_t i = 0; i < playLists.size(); ++i) {
      JsonFields fields(playLists[i], Indexed(project.Path("playLists"), i));
      project::TPlayList list;
      list.Name = fields.Text("name");
      list.Text = fields.Text("text");
      list.Mode = static_cast<uint8_t>(fields.Int("mode", 0, 0, 255));
      list.Value = static_cast<uint16_t>(fields.Int("value", 0, 0, 65535));
      const auto& names = fields.Array("items");
      for (size_t n = 0; n < names.size(); ++n)
        list.Items.push_back(JsonText(names[n], Indexed(fields.Path("items"), n)));
      out.PlayLists.push_back(std::move(list));
    }
    const auto& dialogs = project.Array("dialogs");
    int32_t nextDialogId = 0;
    for (size_t i = 0; i < dialogs.size(); ++i) {
      JsonFields fields(dialogs[i], Indexed(project.Path("dialogs"), i));
      project::TTaviDialog dialog;
      dialog.ID = fields.Int32("id", static_cast<int32_t>(i + 1));
      dialog.Name = fields.Text("name");
      dialog.Definition = ReadDialogSource(fields, folder_);
      if (dialog.ID < kInt32Max) nextDialogId = std::max(nextDialogId, dialog.ID + 1);
      out.Dialogs.push_back(std::move(dialog));
    }
    out.NextDialogId = project.Int32("nextDialogId", nextDialogId);
    const auto& flags = project.Array("optionFlags");
    for (size_t i = 0; i < flags.size(); ++i)
      out.OptionFlags.push_back(
          static_cast<uint8_t>(JsonInt(flags[i], Indexed(project.Path("optionFlags"), i), 0, 255)));
    const auto& captions = project.Array("menuCaptions");
    for (size_t i = 0; i < captions.size(); ++i)
      out.MenuCaptions.push_back(JsonText(captions[i], Indexed(project.Path("menuCaptions"), i)));
    const auto& cursors = project.Array("cursors");
    for (size_t i = 0; i < cursors.size(); ++i) {
      JsonFields fields(cursors[i], Indexed(project.Path("cursors"), i));
      project::TVrCursorItem cursor;
      cursor.HotSpotX = fields.Int32("hotSpotX", 0);
      cursor.HotSpotY = fields.Int32("hotSpotY", 0);
      cursor.TransparentColor = fields.Int32("transparentColor", project::kDefaultCursorColor);
      cursor.Bitmap = ReadOptionalFile(fields, folder_, "file");
      out.Cursors.push_back(std::move(cursor));
    }
  }

  fs::path folder_;
  PackImages images_;
};

}  // namespace

PackInput ReadSourceFolder(const fs::path& folder) {
  std::vector<uint8_t> bytes = ReadReferencedFile(folder, "project.json");
  Json root = ParseJson(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                     bytes.size()));
  SourceReader reader(folder);
  return reader.Read(root);
}

}  // namespace kpf::tools
