// Combo boxes, radio groups and list boxes.
#include <gtk/gtk.h>

#include "platform/gtk/GtkDialogKinds.hpp"
#include "platform/gtk/GtkMessageBox.hpp"

namespace kpf::platform::gtk {

namespace {

class ComboBox : public GtkDialogControl {
 public:
  ComboBox(GtkWidget* fixed, const DialogControlStyle& style)
      : GtkDialogControl(fixed, style.editable ? gtk_combo_box_text_new_with_entry() : gtk_combo_box_text_new()),
        editable_(style.editable) {
    g_signal_connect(Widget(), "changed", G_CALLBACK(&ComboBox::OnChanged), this);
  }
  ~ComboBox() override { g_signal_handlers_disconnect_by_data(Widget(), this); }
  void SetItems(const std::vector<std::string>& items) override {
    Quietly([&] {
      const std::string text = Text();
      GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(Widget());
      gtk_combo_box_text_remove_all(combo);
      for (const auto& item : items) gtk_combo_box_text_append_text(combo, DisplayText(item).c_str());
      if (editable_) gtk_entry_set_text(Entry(), text.c_str());
    });
  }
  void SetSelection(int index) override {
    Quietly([&] { gtk_combo_box_set_active(GTK_COMBO_BOX(Widget()), index); });
  }
  int Selection() const override { return gtk_combo_box_get_active(GTK_COMBO_BOX(Widget())); }
  void SetText(const std::string& text) override {
    if (editable_) Quietly([&] { gtk_entry_set_text(Entry(), DisplayText(text).c_str()); });
  }
  std::string Text() const override {
    if (editable_) return gtk_entry_get_text(Entry());
    gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(Widget()));
    std::string text = active ? active : "";
    g_free(active);
    return text;
  }

 private:
  GtkEntry* Entry() const { return GTK_ENTRY(gtk_bin_get_child(GTK_BIN(Widget()))); }
  // A pick from the list is a click; typing into the entry is not.
  static void OnChanged(GtkWidget* widget, void* self) {
    if (gtk_combo_box_get_active(GTK_COMBO_BOX(widget)) < 0) return;
    if (DialogControlEvents* listener = static_cast<ComboBox*>(self)->Listener()) listener->ControlClicked();
  }
  bool editable_;
};

// A frame with one radio button per item. A hidden first button stands for "no selection",
// which a GTK radio group cannot show otherwise.
class RadioGroup : public GtkDialogControl {
 public:
  explicit RadioGroup(GtkWidget* fixed) : GtkDialogControl(fixed, gtk_frame_new(""), Colour::Widget) {
    column_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(Widget()), column_);
    gtk_widget_show(column_);
    Rebuild({});
  }
  ~RadioGroup() override { Disconnect(); }
  void SetText(const std::string& text) override {
    text_ = text;
    gtk_frame_set_label(GTK_FRAME(Widget()), DisplayText(text).c_str());
  }
  std::string Text() const override { return text_; }
  void SetItems(const std::vector<std::string>& items) override {
    const int selected = Selection();
    Quietly([&] { Rebuild(items); });
    SetSelection(selected);
  }
  void SetSelection(int index) override {
    Quietly([&] {
      const bool valid = index >= 0 && static_cast<size_t>(index) + 1 < buttons_.size();
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(buttons_[valid ? static_cast<size_t>(index) + 1 : 0]), TRUE);
    });
  }
  int Selection() const override {
    for (size_t i = 1; i < buttons_.size(); ++i) {
      if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(buttons_[i]))) return static_cast<int>(i - 1);
    }
    return -1;
  }

 private:
  void Disconnect() {
    for (GtkWidget* button : buttons_) g_signal_handlers_disconnect_by_data(button, this);
  }
  void Rebuild(const std::vector<std::string>& items) {
    Disconnect();
    for (GtkWidget* button : buttons_) gtk_widget_destroy(button);
    buttons_.clear();
    GtkWidget* none = gtk_radio_button_new(nullptr);
    buttons_.push_back(none);
    gtk_box_pack_start(GTK_BOX(column_), none, FALSE, FALSE, 0);
    for (const auto& item : items) {
      GtkWidget* button = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(none), DisplayText(item).c_str());
      gtk_box_pack_start(GTK_BOX(column_), button, FALSE, FALSE, 0);
      gtk_widget_show(button);
      g_signal_connect(button, "toggled", G_CALLBACK(&RadioGroup::OnToggled), this);
      buttons_.push_back(button);
    }
  }
  static void OnToggled(GtkWidget* button, void* self) {
    if (!gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button))) return;
    if (DialogControlEvents* listener = static_cast<RadioGroup*>(self)->Listener()) listener->ControlClicked();
  }
  GtkWidget* column_;
  std::vector<GtkWidget*> buttons_;
  std::string text_;
};

class ListBox : public GtkDialogControl {
 public:
  explicit ListBox(GtkWidget* fixed) : GtkDialogControl(fixed, gtk_scrolled_window_new(nullptr, nullptr)) {
    list_ = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(list_), GTK_SELECTION_SINGLE);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(Widget()), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(Widget()), list_);
    gtk_widget_show(list_);
    g_signal_connect(list_, "row-selected", G_CALLBACK(&ListBox::OnSelected), this);
  }
  ~ListBox() override { g_signal_handlers_disconnect_by_data(list_, this); }
  void SetItems(const std::vector<std::string>& items) override {
    Quietly([&] {
      GList* rows = gtk_container_get_children(GTK_CONTAINER(list_));
      for (GList* row = rows; row != nullptr; row = row->next) gtk_widget_destroy(GTK_WIDGET(row->data));
      g_list_free(rows);
      for (const auto& item : items) {
        GtkWidget* label = gtk_label_new(DisplayText(item).c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_list_box_insert(GTK_LIST_BOX(list_), label, -1);
        gtk_widget_show(label);
      }
    });
  }
  void SetSelection(int index) override {
    Quietly([&] {
      GtkListBoxRow* row = index >= 0 ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(list_), index) : nullptr;
      if (row != nullptr) {
        gtk_list_box_select_row(GTK_LIST_BOX(list_), row);
      } else {
        gtk_list_box_unselect_all(GTK_LIST_BOX(list_));
      }
    });
  }
  int Selection() const override {
    GtkListBoxRow* row = gtk_list_box_get_selected_row(GTK_LIST_BOX(list_));
    return row ? gtk_list_box_row_get_index(row) : -1;
  }

 private:
  static void OnSelected(GtkListBox*, GtkListBoxRow* row, void* self) {
    if (row == nullptr) return;
    if (DialogControlEvents* listener = static_cast<ListBox*>(self)->Listener()) listener->ControlClicked();
  }
  GtkWidget* list_;
};

}  // namespace

std::unique_ptr<GtkDialogControl> MakeComboBox(GtkWidget* fixed, const DialogControlStyle& style) {
  return std::make_unique<ComboBox>(fixed, style);
}
std::unique_ptr<GtkDialogControl> MakeRadioGroup(GtkWidget* fixed) { return std::make_unique<RadioGroup>(fixed); }
std::unique_ptr<GtkDialogControl> MakeListBox(GtkWidget* fixed) { return std::make_unique<ListBox>(fixed); }

}  // namespace kpf::platform::gtk
