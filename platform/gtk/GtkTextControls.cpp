// Labels, edits, memos, buttons, check boxes and panels.
#include <gtk/gtk.h>

#include "platform/gtk/GtkDialogKinds.hpp"
#include "platform/gtk/GtkMessageBox.hpp"

namespace kpf::platform::gtk {

namespace {

std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

class Label : public GtkDialogControl {
 public:
  Label(GtkWidget* fixed, const DialogControlStyle& style)
      : GtkDialogControl(fixed, gtk_label_new(""), style.transparent ? Colour::None : Colour::Box), style_(style) {
    GtkLabel* label = GTK_LABEL(Widget());
    gtk_label_set_line_wrap(label, style.wordWrap ? TRUE : FALSE);
    gtk_label_set_xalign(label, 0.0f);
    gtk_label_set_yalign(label, 0.0f);
    ClickOnRelease();
  }
  void SetBounds(const Rect& bounds) override {
    if (!style_.autoSize) return GtkDialogControl::SetBounds(bounds);
    GtkDialogControl::SetBounds({bounds.left, bounds.top, bounds.left - 1, bounds.top - 1});
  }
  void SetText(const std::string& text) override {
    text_ = text;
    gtk_label_set_text(GTK_LABEL(Widget()), DisplayText(text).c_str());
  }
  std::string Text() const override { return text_; }

 private:
  DialogControlStyle style_;
  std::string text_;
};

class Edit : public GtkDialogControl {
 public:
  Edit(GtkWidget* fixed, const DialogControlStyle& style) : GtkDialogControl(fixed, gtk_entry_new()) {
    if (style.password) {
      gtk_entry_set_visibility(GTK_ENTRY(Widget()), FALSE);
      gtk_entry_set_invisible_char(GTK_ENTRY(Widget()), '*');
    }
    gtk_entry_set_width_chars(GTK_ENTRY(Widget()), 1);
    g_signal_connect(Widget(), "changed", G_CALLBACK(&Edit::OnChanged), this);
  }
  ~Edit() override { g_signal_handlers_disconnect_by_data(Widget(), this); }
  void SetText(const std::string& text) override {
    Quietly([&] { gtk_entry_set_text(GTK_ENTRY(Widget()), DisplayText(text).c_str()); });
  }
  std::string Text() const override { return gtk_entry_get_text(GTK_ENTRY(Widget())); }

 private:
  static void OnChanged(GtkWidget*, void* self) {
    if (DialogControlEvents* listener = static_cast<Edit*>(self)->Listener()) listener->ControlChanged();
  }
};

class Memo : public GtkDialogControl {
 public:
  explicit Memo(GtkWidget* fixed) : GtkDialogControl(fixed, gtk_scrolled_window_new(nullptr, nullptr)) {
    view_ = gtk_text_view_new();
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(Widget()), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(Widget()), view_);
    gtk_widget_show(view_);
    g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_)), "changed", G_CALLBACK(&Memo::OnChanged), this);
    g_signal_connect(view_, "button-release-event", G_CALLBACK(&Memo::OnRelease), this);
  }
  ~Memo() override {
    g_signal_handlers_disconnect_by_data(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_)), this);
    g_signal_handlers_disconnect_by_data(view_, this);
  }
  void SetText(const std::string& text) override {
    const std::string shown = DisplayText(WithoutCarriageReturns(text));
    Quietly([&] {
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_)), shown.data(),
                               static_cast<gint>(shown.size()));
    });
  }
  std::string Text() const override {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view_));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string result(text);
    g_free(text);
    return result;
  }

 private:
  static void OnChanged(GtkTextBuffer*, void* self) {
    if (DialogControlEvents* listener = static_cast<Memo*>(self)->Listener()) listener->ControlChanged();
  }
  static int OnRelease(GtkWidget*, GdkEventButton* event, void* self) {
    if (event->button != 1) return FALSE;
    if (DialogControlEvents* listener = static_cast<Memo*>(self)->Listener()) listener->ControlClicked();
    return FALSE;
  }
  GtkWidget* view_;
};

// Buttons and check boxes: a GtkButton or GtkCheckButton with its caption as label.
class Button : public GtkDialogControl {
 public:
  Button(GtkWidget* fixed, GtkWidget* button, const char* signal) : GtkDialogControl(fixed, button) {
    g_signal_connect(Widget(), signal, G_CALLBACK(&Button::OnActivated), this);
  }
  ~Button() override { g_signal_handlers_disconnect_by_data(Widget(), this); }
  void SetText(const std::string& text) override {
    text_ = text;
    gtk_button_set_label(GTK_BUTTON(Widget()), DisplayText(text).c_str());
  }
  std::string Text() const override { return text_; }
  void SetChecked(bool checked) override {
    if (!GTK_IS_TOGGLE_BUTTON(Widget())) return;
    Quietly([&] { gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Widget()), checked ? TRUE : FALSE); });
  }
  bool Checked() const override {
    return GTK_IS_TOGGLE_BUTTON(Widget()) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Widget()));
  }

 private:
  static void OnActivated(GtkWidget*, void* self) {
    if (DialogControlEvents* listener = static_cast<Button*>(self)->Listener()) listener->ControlClicked();
  }
  std::string text_;
};

class Panel : public GtkDialogControl {
 public:
  explicit Panel(GtkWidget* fixed) : GtkDialogControl(fixed, gtk_frame_new(nullptr)) {
    gtk_frame_set_shadow_type(GTK_FRAME(Widget()), GTK_SHADOW_IN);
    ClickOnRelease();
  }
};

}  // namespace

std::unique_ptr<GtkDialogControl> MakeLabel(GtkWidget* fixed, const DialogControlStyle& style) {
  return std::make_unique<Label>(fixed, style);
}
std::unique_ptr<GtkDialogControl> MakeEdit(GtkWidget* fixed, const DialogControlStyle& style) {
  return std::make_unique<Edit>(fixed, style);
}
std::unique_ptr<GtkDialogControl> MakeMemo(GtkWidget* fixed) { return std::make_unique<Memo>(fixed); }
std::unique_ptr<GtkDialogControl> MakeButton(GtkWidget* fixed) {
  return std::make_unique<Button>(fixed, gtk_button_new_with_label(""), "clicked");
}
std::unique_ptr<GtkDialogControl> MakeCheckBox(GtkWidget* fixed) {
  return std::make_unique<Button>(fixed, gtk_check_button_new_with_label(""), "toggled");
}
std::unique_ptr<GtkDialogControl> MakePanel(GtkWidget* fixed) { return std::make_unique<Panel>(fixed); }

}  // namespace kpf::platform::gtk
