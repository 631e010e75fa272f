#include "platform/gtk/GtkDialogControl.hpp"

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/gtk/GtkDialogKinds.hpp"
#include "platform/gtk/GtkDialogStyle.hpp"

namespace kpf::platform::gtk {

GtkDialogControl::GtkDialogControl(GtkWidget* fixed, GtkWidget* widget, Colour colour)
    : fixed_(fixed), box_(gtk_event_box_new()), widget_(widget), colourOn_(colour) {
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box_), colour == Colour::Box ? TRUE : FALSE);
  gtk_widget_add_events(box_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  gtk_container_add(GTK_CONTAINER(box_), widget_);
  gtk_fixed_put(GTK_FIXED(fixed_), box_, 0, 0);
  gtk_widget_show_all(box_);
}

GtkDialogControl::~GtkDialogControl() {
  *alive_ = false;
  g_signal_handlers_disconnect_matched(box_, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
  gtk_widget_destroy(box_);
}

void GtkDialogControl::SetBounds(const Rect& bounds) {
  gtk_fixed_move(GTK_FIXED(fixed_), box_, bounds.left, bounds.top);
  gtk_widget_set_size_request(widget_, std::max(bounds.width(), 0), std::max(bounds.height(), 0));
}

void GtkDialogControl::SetVisible(bool visible) { gtk_widget_set_visible(box_, visible); }

void GtkDialogControl::SetEnabled(bool enabled) { gtk_widget_set_sensitive(box_, enabled); }

void GtkDialogControl::SetFont(const DialogFont& font) {
  font_ = font;
  ApplyStyle();
}

void GtkDialogControl::SetColor(uint32_t rgb) {
  if (colourOn_ == Colour::None) return;
  colour_ = rgb;
  ApplyStyle();
}

void GtkDialogControl::ApplyStyle() {
  ApplyCss(widget_, DialogCss(font_, colourOn_ == Colour::Widget ? colour_ : std::nullopt));
  if (colourOn_ == Colour::Box) ApplyCss(box_, DialogCss(std::nullopt, colour_));
}

void GtkDialogControl::SetCursor(const DialogCursor& cursor) {
  gtk_widget_realize(box_);
  GdkCursor* shape = CursorFor(box_, cursor);
  if (GdkWindow* window = gtk_widget_get_window(box_)) gdk_window_set_cursor(window, shape);
  if (shape != nullptr) g_object_unref(shape);
}

void GtkDialogControl::ClickOnRelease() {
  g_signal_connect(box_, "button-release-event", G_CALLBACK(&GtkDialogControl::OnRelease), this);
}

int GtkDialogControl::OnRelease(GtkWidget*, void* event, void* self) {
  auto* control = static_cast<GtkDialogControl*>(self);
  if (static_cast<GdkEventButton*>(event)->button != 1) return FALSE;
  if (DialogControlEvents* listener = control->Listener()) listener->ControlClicked();
  return FALSE;
}

std::unique_ptr<GtkDialogControl> GtkDialogControl::Make(DialogControlKind kind, const DialogControlStyle& style,
                                                         GtkWidget* fixed) {
  switch (kind) {
    case DialogControlKind::Label: return MakeLabel(fixed, style);
    case DialogControlKind::Edit: return MakeEdit(fixed, style);
    case DialogControlKind::Memo: return MakeMemo(fixed);
    case DialogControlKind::Button: return MakeButton(fixed);
    case DialogControlKind::CheckBox: return MakeCheckBox(fixed);
    case DialogControlKind::Panel: return MakePanel(fixed);
    case DialogControlKind::ComboBox: return MakeComboBox(fixed, style);
    case DialogControlKind::RadioGroup: return MakeRadioGroup(fixed);
    case DialogControlKind::ListBox: return MakeListBox(fixed);
    case DialogControlKind::Picture: return MakePicture(fixed, false);
    case DialogControlKind::PictureButton: return MakePicture(fixed, true);
    case DialogControlKind::Bevel: return MakeBevel(fixed, style);
  }
  return nullptr;
}

}  // namespace kpf::platform::gtk
