#pragma once
// Objects that hold a list of items with one selected: combo boxes (type code 6), radio groups
// (7) and list boxes (8). Their value is the selected item (the edit text of an editable combo
// box); a value selects the item equal to it. The property interface edits their items.
#include <string>
#include <vector>

#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

class TMyItemsObject : public TMyObject {
 public:
  using TMyObject::TMyObject;
  std::vector<std::string> Items;
  int32_t ItemIndex = -1;

  void ApplyProperties() override;
  std::string GetValue() const override { return SelectedItem(); }
  // The selected item, or empty without a selection.
  std::string SelectedItem() const;
  // An ItemIndex outside the items means no selection.
  void CheckItemIndex();

 protected:
  void ApplyValue(const std::string& value) override;
  void TakeControlState() override;
  // The items in the order the control shows them.
  virtual std::vector<std::string> ShownItems() const { return Items; }
  int32_t CurrentIndex() const;
};

class TMyComboBox : public TMyItemsObject {
 public:
  TMyComboBox() : TMyItemsObject(ObjectType::ComboBox, 145, 21) {}
  const char* ClassName() const override { return "TMyComboBox"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  TDropDownMode Mode = TDropDownMode::ddmnormal;
  bool Sorted = false;

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
  void ApplyProperties() override;
  std::string GetCaption() const override { return Mode == TDropDownMode::ddmnormal ? EditText() : Caption; }
  std::string GetValue() const override;

 protected:
  void ApplyValue(const std::string& value) override;
  void TakeControlState() override;
  std::vector<std::string> ShownItems() const override;

 private:
  std::string EditText() const { return Control ? Control->Text() : Caption; }
};

class TMyRadioGroup : public TMyItemsObject {
 public:
  TMyRadioGroup() : TMyItemsObject(ObjectType::RadioGroup, 185, 105) {}
  const char* ClassName() const override { return "TMyRadioGroup"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
};

class TMyListBox : public TMyItemsObject {
 public:
  TMyListBox() : TMyItemsObject(ObjectType::ListBox, 121, 97) {}
  const char* ClassName() const override { return "TMyListBox"; }
  std::vector<ScriptSlot> StoredScriptSlots() const override { return {kOnClick}; }

  void Load(PayloadReader& reader) override;
  void Save(PayloadWriter& writer) const override;
  void CreateControl(platform::DialogWindow& window) override;
};

}  // namespace kpf::dialogs
