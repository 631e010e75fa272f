// The property interface of a dialog window: reading and changing its objects by code.
#include <algorithm>

#include "dialogs/PropertyCodes.hpp"
#include "dialogs/PropertyText.hpp"
#include "dialogs/TMyImage.hpp"
#include "dialogs/TMyLists.hpp"
#include "dialogs/TMyWebObjects.hpp"
#include "dialogs/TfmCustomForm.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::dialogs {

namespace {

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Number(int64_t value) { return std::to_string(value); }

int32_t IntegerOf(const std::string& value) { return project::ConvertToInteger(value); }

TMyItemsObject* ItemsOf(TMyObject& object) {
  switch (object.Type()) {
    case ObjectType::ComboBox:
    case ObjectType::RadioGroup:
    case ObjectType::ListBox: return static_cast<TMyItemsObject*>(&object);
    default: return nullptr;
  }
}

TMyHTML* HtmlOf(TMyObject& object) {
  return object.Type() == ObjectType::HTML ? static_cast<TMyHTML*>(&object) : nullptr;
}

TMyFlash* FlashOf(TMyObject& object) {
  return object.Type() == ObjectType::Flash ? static_cast<TMyFlash*>(&object) : nullptr;
}

}  // namespace

std::string TfmCustomForm::GetObjectProperty(std::string_view name, int code) {
  TMyObject* object = FindObject(name);
  return object ? GetProperty(*object, code) : std::string();
}

bool TfmCustomForm::SetObjectProperty(std::string_view name, int code, const std::string& value) {
  TMyObject* object = FindObject(name);
  return object != nullptr && SetProperty(*object, code, value);
}

bool TfmCustomForm::SetObjectPicture(std::string_view name, int code, std::span<const uint8_t> bytes) {
  TMyObject* object = FindObject(name);
  return object != nullptr && SetPicture(*object, code, bytes);
}

std::string TfmCustomForm::GetProperty(TMyObject& object, int code) {
  const auto hold = HoldWindow();
  TMyItemsObject* list = ItemsOf(object);
  TMyHTML* html = HtmlOf(object);
  TMyFlash* flash = FlashOf(object);
  switch (code) {
    case kPropCaption: return object.GetCaption();
    case kPropCursor: return Number(object.Cursor);
    case kPropEnabled: return Flag(object.Enabled);
    case kPropContentFile:
      if (flash && flash->FlashFile.Kind == kContentStoredFile) return flash->FlashFile.FileName;
      if (html && html->HTML.Kind == kContentStoredFile) return html->HTML.FileName;
      return kFoundText;
    case kPropHeight: return Number(object.Height);
    case kPropLeft: return Number(object.Left);
    case kPropTop: return Number(object.Top);
    case kPropAddress:
      if (flash && flash->FlashFile.Kind == kContentAddress) return flash->FlashFile.URL;
      if (html && html->HTML.Kind == kContentAddress) return html->HTML.URL;
      if (IsDialogObject(object)) return ActionURL;
      return kFoundText;
    case kPropValue: return object.GetValue();
    case kPropVisible: return Flag(IsDialogObject(object) ? Visible() : object.Visible);
    case kPropWidth: return Number(object.Width);
    case kPropTag: return Number(object.Tag);
    case kPropName: return object.Name;
    case kPropAlwaysOnTop: return Flag(IsDialogObject(object) && DialogObject->AlwaysOnTop);
    case kPropBrowserLocation: return html ? html->LocationURL : std::string();
    case kPropItems: return list ? ToCommaText(list->Items) : std::string();
    case kPropItemCount: return list ? Number(static_cast<int64_t>(list->Items.size())) : kFoundText;
    case kPropBusyOrAddItem: return html ? Flag(html->Busy) : "0";
    case kPropCompleteOrDeleteItem: return html ? Flag(html->Complete) : "0";
    default: return kFoundText;
  }
}

bool TfmCustomForm::SetProperty(TMyObject& object, int code, const std::string& value) {
  const auto hold = HoldWindow();
  if (IsDialogObject(object) && SetWindowProperty(code, value)) return true;
  switch (code) {
    case kPropCaption:
      object.SetCaption(value);
      object.ShowCaption();
      return true;
    case kPropCursor:
      object.Cursor = static_cast<int16_t>(IntegerOf(value));
      object.ApplyCursor();
      return true;
    case kPropEnabled: object.SetEnabled(IntegerOf(value) == 1); return true;
    case kPropContentFile:
      if (TMyFlash* flash = FlashOf(object)) {
        flash->FlashFile.Kind = kContentStoredFile;
        flash->FlashFile.FileName = value;
        flash->FlashFile.Data = services_.ReadFile(value).value_or(std::vector<uint8_t>{});
        return true;
      }
      return HtmlOf(object) != nullptr;
    case kPropHeight: object.Height = ClampExtent(IntegerOf(value)); object.ApplyBounds(); return true;
    case kPropLeft: object.Left = ClampCoordinate(IntegerOf(value)); object.ApplyBounds(); return true;
    case kPropTop: object.Top = ClampCoordinate(IntegerOf(value)); object.ApplyBounds(); return true;
    case kPropAddress:
      if (TMyFlash* flash = FlashOf(object)) {
        flash->FlashFile.Kind = kContentAddress;
        flash->FlashFile.URL = value;
        return true;
      }
      return HtmlOf(object) != nullptr;
    case kPropValue: object.SetValue(value); return true;
    case kPropVisible: object.Visible = IntegerOf(value) > 0; object.ApplyVisible(); return true;
    case kPropWidth: object.Width = ClampExtent(IntegerOf(value)); object.ApplyBounds(); return true;
    case kPropTag: object.Tag = IntegerOf(value); return true;
    case kPropName: object.Name = value; return true;
    case kPropBrowserLocation:
      if (TMyHTML* html = HtmlOf(object)) html->NavigateURL = value;
      return true;
    case kPropItems:
    case kPropItemCount:
    case kPropBusyOrAddItem:
    case kPropCompleteOrDeleteItem: SetListProperty(object, code, value); return true;
    case kPropClearLocation:
      if (TMyHTML* html = HtmlOf(object)) html->LocationURL.clear();
      return true;
    case kPropPicture:
    case kPropRawPicture: {
      if (object.Type() != ObjectType::Image) return true;
      const auto bytes = services_.StreamBytes(IntegerOf(value));
      if (bytes) SetPicture(object, code, *bytes);
      return true;
    }
    default: return true;
  }
}

// The dialog object's control is the window: these codes act on the window itself.
bool TfmCustomForm::SetWindowProperty(int code, const std::string& value) {
  TMyForm& form = *DialogObject;
  switch (code) {
    case kPropCaption:
      form.SetCaption(value);
      window_->SetCaption(form.Caption);
      return true;
    case kPropHeight:
    case kPropWidth:
      (code == kPropHeight ? form.Height : form.Width) = ClampExtent(IntegerOf(value));
      clientWidth_ = form.Width;
      clientHeight_ = form.Height;
      ApplyClientSize();
      return true;
    case kPropLeft:
    case kPropTop:
      (code == kPropLeft ? form.Left : form.Top) = ClampCoordinate(IntegerOf(value));
      window_->MoveTo(form.Left, form.Top);
      return true;
    case kPropAddress:
      form.ActionURL = ActionURL = value;
      return true;
    case kPropVisible:
      form.Visible = IntegerOf(value) > 0;
      if (form.Visible) {
        ShowDialog(ShowMode::Show);
      } else {
        Hide();
      }
      return true;
    case kPropAlwaysOnTop:
      form.AlwaysOnTop = alwaysOnTop_ = IntegerOf(value) != 0;
      window_->SetTopmost(alwaysOnTop_ || characterOnTop_);
      return true;
    default: return false;
  }
}

// Items of combo boxes, radio groups and lists: counts stay within 0..65535 and an index
// outside the list deletes nothing.
void TfmCustomForm::SetListProperty(TMyObject& object, int code, const std::string& value) {
  TMyItemsObject* list = ItemsOf(object);
  if (list == nullptr) return;
  std::vector<std::string>& items = list->Items;
  switch (code) {
    case kPropItems:
      items = FromCommaText(value);
      if (items.size() > kMaxListItems) items.resize(kMaxListItems);
      break;
    case kPropItemCount: {
      const int32_t count = IntegerOf(value);
      if (count < 0 || static_cast<size_t>(count) > kMaxListItems) return;
      items.resize(static_cast<size_t>(count));
      break;
    }
    case kPropBusyOrAddItem:
      if (items.size() < kMaxListItems) items.push_back(value);
      break;
    case kPropCompleteOrDeleteItem: {
      int64_t index = -1;
      if (LooksLikeInteger(value)) {
        index = IntegerOf(value);
      } else {
        const auto found = std::find(items.begin(), items.end(), value);
        if (found != items.end()) index = found - items.begin();
      }
      if (index >= 0 && static_cast<size_t>(index) < items.size()) items.erase(items.begin() + index);
      break;
    }
    default: return;
  }
  list->ApplyProperties();
}

bool TfmCustomForm::SetPicture(TMyObject& object, int code, std::span<const uint8_t> bytes) {
  if (object.Type() != ObjectType::Image) return true;
  static_cast<TMyImage&>(object).SetPicture(bytes, code == kPropPicture ? kPictureJpeg : kPictureRaw);
  return true;
}

}  // namespace kpf::dialogs
