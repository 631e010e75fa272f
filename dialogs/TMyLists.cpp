#include "dialogs/TMyLists.hpp"

#include <algorithm>

#include "project/SystemColors.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::dialogs {

namespace {

constexpr size_t kComboExtension = 6;
constexpr int kComboModeCount = 2;

int32_t IndexOf(const std::vector<std::string>& items, const std::string& value) {
  const auto found = std::find(items.begin(), items.end(), value);
  return found == items.end() ? -1 : static_cast<int32_t>(found - items.begin());
}

}  // namespace

// ---- items and selection -----------------------------------------------------------------

void TMyItemsObject::ApplyProperties() {
  TMyObject::ApplyProperties();
  CheckItemIndex();
  if (!Control) return;
  Control->SetItems(ShownItems());
  Control->SetSelection(ItemIndex);
}

std::string TMyItemsObject::SelectedItem() const {
  const int32_t index = CurrentIndex();
  const std::vector<std::string> shown = ShownItems();
  return index >= 0 && static_cast<size_t>(index) < shown.size() ? shown[static_cast<size_t>(index)] : std::string();
}

void TMyItemsObject::CheckItemIndex() {
  if (ItemIndex < -1 || ItemIndex >= static_cast<int64_t>(Items.size())) ItemIndex = -1;
}

void TMyItemsObject::ApplyValue(const std::string& value) {
  ItemIndex = IndexOf(ShownItems(), value);
  if (Control) Control->SetSelection(ItemIndex);
}

void TMyItemsObject::TakeControlState() {
  if (Control) ItemIndex = Control->Selection();
  CheckItemIndex();
  Value = GetValue();
}

int32_t TMyItemsObject::CurrentIndex() const { return Control ? Control->Selection() : ItemIndex; }

// ---- combo box ----------------------------------------------------------------------------

void TMyComboBox::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  if (extension.size() >= kComboExtension) {
    ItemIndex = Int32At(extension, 0);
    Mode = EnumFromByte(extension[4], kComboModeCount, TDropDownMode::ddmnormal);
    Sorted = extension[5] != 0;
  }
  Items = reader.Strings();
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
  CheckItemIndex();
  Caption = SelectedItem();
}

void TMyComboBox::Save(PayloadWriter& writer) const {
  uint8_t extension[kComboExtension];
  PutInt32(extension, ItemIndex);
  extension[4] = static_cast<uint8_t>(Mode);
  extension[5] = Sorted ? 1 : 0;
  WriteCommon(writer, extension);
  writer.Strings(Items);
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyComboBox::CreateControl(platform::DialogWindow& window) {
  platform::DialogControlStyle style;
  style.editable = Mode == TDropDownMode::ddmnormal;
  MakeControl(window, platform::DialogControlKind::ComboBox, style);
  ApplyProperties();
}

void TMyComboBox::ApplyProperties() {
  const std::string text = EditText();
  TMyItemsObject::ApplyProperties();
  if (Control && Mode == TDropDownMode::ddmnormal && ItemIndex < 0) Control->SetText(text);
}

// A sorted combo box shows its items in the order of their upper-case forms.
std::vector<std::string> TMyComboBox::ShownItems() const {
  if (!Sorted) return Items;
  std::vector<std::string> sorted = Items;
  std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
    return project::UpperName(a) < project::UpperName(b);
  });
  return sorted;
}

std::string TMyComboBox::GetValue() const {
  return Mode == TDropDownMode::ddmnormal ? EditText() : SelectedItem();
}

void TMyComboBox::ApplyValue(const std::string& value) {
  if (Mode == TDropDownMode::ddmlist) {
    TMyItemsObject::ApplyValue(value);
    Caption = SelectedItem();
    return;
  }
  Caption = value;
  ItemIndex = IndexOf(ShownItems(), value);
  if (Control) Control->SetText(value);
}

void TMyComboBox::TakeControlState() {
  TMyItemsObject::TakeControlState();
  Caption = Mode == TDropDownMode::ddmnormal && Control ? Control->Text() : SelectedItem();
  Value = GetValue();
}

// ---- radio group --------------------------------------------------------------------------

void TMyRadioGroup::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Items = reader.Strings();
  Caption = reader.Text();
  Color = static_cast<TColor>(reader.Int32());
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
}

void TMyRadioGroup::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Strings(Items);
  writer.Text(Caption);
  writer.Int32(static_cast<int32_t>(Color));
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyRadioGroup::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::RadioGroup);
  if (!Control) return;
  Control->SetText(Caption);
  Control->SetColor(project::ColorToArgb(Color) & 0xFFFFFF);
  ApplyProperties();
}

// ---- list box -----------------------------------------------------------------------------

void TMyListBox::Load(PayloadReader& reader) {
  std::span<const uint8_t> extension;
  ReadCommon(reader, extension);
  Items = reader.Strings();
  Font.Load(reader);
  Scripts[kOnClick] = ReadScript(reader);
}

void TMyListBox::Save(PayloadWriter& writer) const {
  WriteCommon(writer);
  writer.Strings(Items);
  Font.Save(writer);
  writer.Int32(Scripts[kOnClick]);
}

void TMyListBox::CreateControl(platform::DialogWindow& window) {
  MakeControl(window, platform::DialogControlKind::ListBox);
  ApplyProperties();
}

}  // namespace kpf::dialogs
