// The objects of a dialog read back from the JSON of a source folder.
#include <optional>

#include "dialogs/TMyBevel.hpp"
#include "dialogs/TMyButtons.hpp"
#include "dialogs/TMyCheckBox.hpp"
#include "dialogs/TMyEdit.hpp"
#include "dialogs/TMyForm.hpp"
#include "dialogs/TMyImage.hpp"
#include "dialogs/TMyLabel.hpp"
#include "dialogs/TMyLists.hpp"
#include "dialogs/TMyMemo.hpp"
#include "dialogs/TMyWebObjects.hpp"
#include "tools/kpftool/DialogJson.hpp"
#include "tools/kpftool/DialogJsonNames.hpp"
#include "tools/kpftool/PackRecords.hpp"

namespace kpf::tools {

namespace {

using namespace dialogs;
namespace fs = std::filesystem;

constexpr int64_t kUInt32Max = UINT32_MAX;

class ObjectReader {
 public:
  ObjectReader(const JsonFields& fields, const fs::path& folder) : fields_(fields), folder_(folder) {}

  std::shared_ptr<TMyObject> Read() {
    const auto type = static_cast<uint16_t>(fields_.Int("type", 0, 1, 14));
    std::shared_ptr<TMyObject> object = CreateObject(type);
    TMyObject& o = *object;
    o.Name = fields_.Text("name");
    o.Left = static_cast<int32_t>(fields_.Int("left", o.Left, kMinCoordinate, kMaxCoordinate));
    o.Top = static_cast<int32_t>(fields_.Int("top", o.Top, kMinCoordinate, kMaxCoordinate));
    o.Width = static_cast<int32_t>(fields_.Int("width", o.Width, 0, kMaxExtent));
    o.Height = static_cast<int32_t>(fields_.Int("height", o.Height, 0, kMaxExtent));
    o.Tag = fields_.Int32("tag", 0);
    o.Visible = fields_.Bool("visible", true);
    o.Cursor = static_cast<int16_t>(fields_.Int("cursor", 0, INT16_MIN, INT16_MAX));
    o.IncludeOnSubmit = fields_.Bool("includeOnSubmit", true);
    o.Enabled = fields_.Bool("enabled", true);
    o.Showpopup = fields_.Bool("showPopup", false);
    if (const Json* scripts = fields_.Get("scripts")) {
      JsonFields slots(*scripts, fields_.Path("scripts"));
      for (ScriptSlot slot : o.StoredScriptSlots()) o.Scripts[slot] = slots.Int32(ScriptSlotKey(o, slot), -1);
    }
    ReadOwn(o);
    return object;
  }

 private:
  void ReadOwn(TMyObject& object) {
    switch (object.Type()) {
      case ObjectType::Form: return Form(static_cast<TMyForm&>(object));
      case ObjectType::Label: {
        auto& label = static_cast<TMyLabel&>(object);
        label.Caption = fields_.Text("caption");
        label.WordWrap = fields_.Bool("wordWrap", false);
        label.AutoSize = fields_.Bool("autoSize", true);
        label.Transparent = fields_.Bool("transparent", true);
        return FontOf(label);
      }
      case ObjectType::Image: return PictureOf("image", static_cast<TMyImage&>(object).Image);
      case ObjectType::Edit: {
        auto& edit = static_cast<TMyEdit&>(object);
        edit.Caption = fields_.Text("text");
        edit.PasswordField = fields_.Bool("passwordField", false);
        return FontOf(edit);
      }
      case ObjectType::Button: {
        auto& button = static_cast<TMyButton&>(object);
        button.Caption = fields_.Text("caption", "Button");
        Button(button);
        return FontOf(button);
      }
      case ObjectType::ComboBox: {
        auto& combo = static_cast<TMyComboBox&>(object);
        combo.Items = Texts("items");
        combo.ItemIndex = static_cast<int32_t>(fields_.Int("itemIndex", -1, -1, static_cast<int64_t>(combo.Items.size()) - 1));
        combo.Mode = static_cast<TDropDownMode>(fields_.Int("mode", 0, 0, 1));
        combo.Sorted = fields_.Bool("sorted", false);
        return FontOf(combo);
      }
      case ObjectType::RadioGroup: {
        auto& radio = static_cast<TMyRadioGroup&>(object);
        radio.Caption = fields_.Text("caption");
        radio.Color = Colour("color", kFaceColor);
        radio.Items = Texts("items");
        return FontOf(radio);
      }
      case ObjectType::ListBox:
        static_cast<TMyListBox&>(object).Items = Texts("items");
        return FontOf(object);
      case ObjectType::CheckBox: {
        auto& check = static_cast<TMyCheckBox&>(object);
        check.Caption = fields_.Text("caption");
        check.CheckedValue = fields_.Text("checkedValue");
        check.Checked = fields_.Bool("checked", false);
        return FontOf(check);
      }
      case ObjectType::Memo:
        static_cast<TMyMemo&>(object).Lines = Texts("lines");
        return FontOf(object);
      case ObjectType::HTML: return Html(static_cast<TMyHTML&>(object).HTML);
      case ObjectType::Flash: return Flash(static_cast<TMyFlash&>(object).FlashFile);
      case ObjectType::Bevel: {
        auto& bevel = static_cast<TMyBevel&>(object);
        bevel.Style = static_cast<TBevelStyle>(fields_.Int("style", 1, 0, 1));
        bevel.Shape = static_cast<TBevelShape>(fields_.Int("shape", 0, 0, 6));
        return;
      }
      case ObjectType::BitBtn: {
        auto& button = static_cast<TMyBitBtn&>(object);
        Button(button);
        PictureOf("idle", button.IdleBitmap);
        PictureOf("hover", button.HoverBitmap);
        return PictureOf("click", button.ClickBitmap);
      }
    }
  }

  void Form(TMyForm& form) {
    form.Caption = fields_.Text("caption");
    form.Color = Colour("color", kFaceColor);
    form.BorderStyle = static_cast<TFormBorder>(fields_.Int("borderStyle", 3, 0, 6));
    form.Position = static_cast<TFormPosition>(fields_.Int("position", 0, 0, 16));
    form.Borderless = fields_.Bool("borderless", false);
    form.BorderIcons = static_cast<uint8_t>(fields_.Int("borderIcons", form.BorderIcons, 0, 255));
    form.ActionURL = fields_.Text("actionURL");
    form.AlwaysOnTop = fields_.Bool("alwaysOnTop", false);
    form.FullScreen = fields_.Bool("fullScreen", false);
    form.Dragable = fields_.Bool("dragable", false);
    PictureOf("background", form.Background);
  }

  void Button(TMyButtonBase& button) {
    button.Mode = static_cast<TButtonMode>(fields_.Int("mode", 0, 0, 2));
    button.SubmitValue = fields_.Text("submitValue");
  }

  TColor Colour(std::string_view key, TColor fallback) const {
    return static_cast<TColor>(fields_.Int(key, fallback, 0, kUInt32Max));
  }

  std::vector<std::string> Texts(std::string_view key) const {
    std::vector<std::string> texts;
    const auto& items = fields_.Array(key);
    for (size_t i = 0; i < items.size(); ++i) texts.push_back(JsonText(items[i], Indexed(fields_.Path(key), i)));
    return texts;
  }

  void FontOf(TMyObject& object) const {
    const Json* value = fields_.Get("font");
    if (value == nullptr) return;
    JsonFields font(*value, fields_.Path("font"));
    TMyFont& f = object.Font;
    f.Name = font.Text("name", f.Name);
    f.Color = static_cast<TColor>(font.Int("color", f.Color, 0, kUInt32Max));
    f.Size = font.Int32("size", f.Size);
    f.Style = static_cast<uint8_t>(font.Int("style", 0, 0, 255));
    f.Charset = static_cast<uint8_t>(font.Int("charset", f.Charset, 0, 255));
    f.Height = font.Int32("height", f.Height);
  }

  JsonFields Member(std::string_view key) const {
    const Json* value = fields_.Get(key);
    if (value == nullptr) fields_.Fail(key, "missing");
    return JsonFields(*value, fields_.Path(key));
  }

  void PictureOf(std::string_view key, TMyFormBackground& picture) const {
    if (!fields_.Has(key)) return;
    JsonFields stored = Member(key);
    picture.Kind = static_cast<uint8_t>(stored.Int("kind", 0, 0, 255));
    picture.TransparentColor = stored.Int32("transparentColor", 0);
    picture.Data = ReadOptionalFile(stored, folder_, "file");
  }

  // What HTML and Flash objects share: the kind, the stored file's name and bytes, the address.
  template <typename Content>
  std::optional<JsonFields> ContentOf(std::string_view key, Content& content) const {
    if (!fields_.Has(key)) return std::nullopt;
    JsonFields stored = Member(key);
    content.Kind = static_cast<uint8_t>(stored.Int("kind", kContentStoredFile, 0, 255));
    content.FileName = stored.Text("fileName");
    content.URL = stored.Text("url");
    content.Data = ReadOptionalFile(stored, folder_, "file");
    return stored;
  }

  void Html(TMyHTMLFile& html) const {
    const std::optional<JsonFields> stored = ContentOf("html", html);
    if (!stored) return;
    const auto& lines = stored->Array("lines");
    for (size_t i = 0; i < lines.size(); ++i) html.Lines.push_back(JsonText(lines[i], Indexed(stored->Path("lines"), i)));
  }

  void Flash(TMyFlashFile& flash) const { ContentOf("flashFile", flash); }

  const JsonFields& fields_;
  const fs::path& folder_;
};

}  // namespace

ObjectList ReadDialogObjectsJson(const JsonFields& dialog, const fs::path& folder) {
  ObjectList objects;
  const auto& items = dialog.Array("objects");
  if (items.size() > kMaxObjects) dialog.Fail("objects", "more than " + std::to_string(kMaxObjects) + " objects");
  for (size_t i = 0; i < items.size(); ++i) {
    JsonFields fields(items[i], Indexed(dialog.Path("objects"), i));
    objects.push_back(ObjectReader(fields, folder).Read());
  }
  return objects;
}

}  // namespace kpf::tools
