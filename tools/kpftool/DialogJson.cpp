#include "tools/kpftool/DialogJson.hpp"

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
#include "tools/kpftool/DialogJsonNames.hpp"
#include "tools/kpftool/ModelJson.hpp"

namespace kpf::tools {

namespace {

using namespace dialogs;

class ObjectWriter {
 public:
  ObjectWriter(JsonWriter& json, const BlockStore& store) : json_(json), store_(store) {}

  void Write(const TMyObject& object) {
    json_.BeginObject().Member("type", static_cast<int32_t>(object.TypeCode())).Member("class", object.ClassName());
    json_.Member("name", JsonText(object.Name)).Member("left", object.Left).Member("top", object.Top);
    json_.Member("width", object.Width).Member("height", object.Height).Member("tag", object.Tag);
    json_.Member("visible", object.Visible).Member("cursor", static_cast<int32_t>(object.Cursor));
    json_.Member("includeOnSubmit", object.IncludeOnSubmit).Member("enabled", object.Enabled);
    json_.Member("showPopup", object.Showpopup).Member("value", JsonText(object.GetValue()));
    json_.Key("scripts").BeginObject();
    for (ScriptSlot slot : object.StoredScriptSlots()) json_.Member(ScriptSlotKey(object, slot), object.Scripts[slot]);
    json_.EndObject();
    name_ = object.Name;
    WriteOwn(object);
    json_.EndObject();
  }

 private:
  void WriteOwn(const TMyObject& object) {
    switch (object.Type()) {
      case ObjectType::Form: return Form(static_cast<const TMyForm&>(object));
      case ObjectType::Label: {
        const auto& label = static_cast<const TMyLabel&>(object);
        Caption(label);
        json_.Member("wordWrap", label.WordWrap).Member("autoSize", label.AutoSize);
        json_.Member("transparent", label.Transparent);
        return FontOf(label);
      }
      case ObjectType::Image: return PictureOf("image", static_cast<const TMyImage&>(object).Image);
      case ObjectType::Edit: {
        const auto& edit = static_cast<const TMyEdit&>(object);
        json_.Member("text", JsonText(edit.Caption)).Member("passwordField", edit.PasswordField);
        return FontOf(edit);
      }
      case ObjectType::Button: {
        const auto& button = static_cast<const TMyButton&>(object);
        Caption(button);
        json_.Member("mode", static_cast<int32_t>(button.Mode)).Member("submitValue", JsonText(button.SubmitValue));
        return FontOf(button);
      }
      case ObjectType::ComboBox: {
        const auto& combo = static_cast<const TMyComboBox&>(object);
        Items(combo);
        json_.Member("mode", static_cast<int32_t>(combo.Mode)).Member("sorted", combo.Sorted);
        return FontOf(combo);
      }
      case ObjectType::RadioGroup: {
        const auto& radio = static_cast<const TMyRadioGroup&>(object);
        Caption(radio);
        json_.Member("color", radio.Color);
        Items(radio);
        return FontOf(radio);
      }
      case ObjectType::ListBox: Items(static_cast<const TMyItemsObject&>(object)); return FontOf(object);
      case ObjectType::CheckBox: {
        const auto& check = static_cast<const TMyCheckBox&>(object);
        Caption(check);
        json_.Member("checkedValue", JsonText(check.CheckedValue)).Member("checked", check.Checked);
        return FontOf(check);
      }
      case ObjectType::Memo:
        Texts("lines", static_cast<const TMyMemo&>(object).Lines);
        return FontOf(object);
      case ObjectType::HTML: return Html(static_cast<const TMyHTML&>(object).HTML);
      case ObjectType::Flash: return Flash(static_cast<const TMyFlash&>(object).FlashFile);
      case ObjectType::Bevel: {
        const auto& bevel = static_cast<const TMyBevel&>(object);
        json_.Member("style", static_cast<int32_t>(bevel.Style)).Member("shape", static_cast<int32_t>(bevel.Shape));
        return;
      }
      case ObjectType::BitBtn: {
        const auto& button = static_cast<const TMyBitBtn&>(object);
        json_.Member("mode", static_cast<int32_t>(button.Mode)).Member("submitValue", JsonText(button.SubmitValue));
        PictureOf("idle", button.IdleBitmap);
        PictureOf("hover", button.HoverBitmap);
        return PictureOf("click", button.ClickBitmap);
      }
    }
  }

  void Form(const TMyForm& form) {
    Caption(form);
    json_.Member("color", form.Color).Member("borderStyle", static_cast<int32_t>(form.BorderStyle));
    json_.Member("position", static_cast<int32_t>(form.Position)).Member("borderless", form.Borderless);
    json_.Member("borderIcons", static_cast<int32_t>(form.BorderIcons)).Member("actionURL", JsonText(form.ActionURL));
    json_.Member("alwaysOnTop", form.AlwaysOnTop).Member("fullScreen", form.FullScreen);
    json_.Member("dragable", form.Dragable);
    PictureOf("background", form.Background);
  }

  void Caption(const TMyObject& object) { json_.Member("caption", JsonText(object.Caption)); }

  void Texts(const char* key, const std::vector<std::string>& texts) {
    json_.Key(key).BeginArray();
    for (const auto& text : texts) json_.String(JsonText(text));
    json_.EndArray();
  }

  void Items(const TMyItemsObject& list) {
    Texts("items", list.Items);
    if (list.Type() == ObjectType::ComboBox) json_.Member("itemIndex", list.ItemIndex);
  }

  void FontOf(const TMyObject& object) {
    const TMyFont& font = object.Font;
    json_.Key("font").BeginObject().Member("name", JsonText(font.Name)).Member("color", font.Color);
    json_.Member("size", font.Size).Member("style", static_cast<int32_t>(font.Style));
    json_.Member("charset", static_cast<int32_t>(font.Charset)).Member("height", font.Height).EndObject();
  }

  // Size in info; a file in a source folder.
  void Block(std::span<const uint8_t> bytes, const std::string& what, uint8_t kind) {
    if (store_) {
      if (!bytes.empty()) json_.Member("file", store_(bytes, name_ + "-" + what, kind));
    } else {
      json_.Member("size", static_cast<uint64_t>(bytes.size()));
    }
  }

  void PictureOf(const char* key, const TMyFormBackground& picture) {
    json_.Key(key).BeginObject().Member("kind", static_cast<int32_t>(picture.Kind));
    json_.Member("transparentColor", picture.TransparentColor);
    Block(picture.Data, key, picture.Kind);
    json_.EndObject();
  }

  void Html(const TMyHTMLFile& html) {
    json_.Key("html").BeginObject().Member("fileName", JsonText(html.FileName));
    Texts("lines", html.Lines);
    Block(html.Data, "html", 0);
    json_.Member("url", JsonText(html.URL)).Member("kind", static_cast<int32_t>(html.Kind)).EndObject();
  }

  void Flash(const TMyFlashFile& flash) {
    json_.Key("flashFile").BeginObject().Member("fileName", JsonText(flash.FileName));
    Block(flash.Data, "flash", 0);
    json_.Member("url", JsonText(flash.URL)).Member("kind", static_cast<int32_t>(flash.Kind)).EndObject();
  }

  JsonWriter& json_;
  const BlockStore& store_;
  std::string name_;
};

}  // namespace

void WriteDialogObjectsJson(JsonWriter& json, const DialogDefinition& definition, const BlockStore& store) {
  ObjectWriter writer(json, store);
  json.Key("objects").BeginArray();
  for (const auto& object : definition.Objects) writer.Write(*object);
  json.EndArray();
  if (!definition.Error.empty()) json.Member("error", definition.Error);
}

}  // namespace kpf::tools
