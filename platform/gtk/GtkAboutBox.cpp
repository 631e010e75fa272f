#include "platform/gtk/GtkAboutBox.hpp"

#include <gtk/gtk.h>

#include <string>

#include "platform/gtk/GtkMessageBox.hpp"

namespace kpf::platform::gtk {
namespace {

constexpr int kClientWidth = 316;
constexpr int kInfoWidth = 265;
constexpr int kInfoHeight = 42;

GtkWidget* InfoView(const AboutInfo& info) {
  GtkWidget* view = gtk_text_view_new();
  gtk_widget_set_name(view, "Info");
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
  const std::string text = DisplayText(info.aboutText.empty() ? std::string(kAboutNotice) : info.aboutText);
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(), -1);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_widget_set_size_request(scroller, kInfoWidth, kInfoHeight);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  return scroller;
}

GtkWidget* ProductLabel(const AboutInfo& info) {
  const std::string product = DisplayText(info.product);
  GtkWidget* label = nullptr;
  if (info.productLink.empty()) {
    label = gtk_label_new(product.c_str());
  } else {
    label = gtk_link_button_new_with_label(info.productLink.c_str(), product.c_str());
    gtk_button_set_relief(GTK_BUTTON(label), GTK_RELIEF_NONE);
  }
  gtk_widget_set_name(label, "lblApp");
  return label;
}

}  // namespace

GtkWidget* BuildAboutDialog(const AboutInfo& info) {
  const std::string title = DisplayText(info.title);
  GtkWidget* dialog = gtk_dialog_new();
  gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_widget_set_size_request(dialog, kClientWidth, -1);

  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_container_set_border_width(GTK_CONTAINER(content), 6);
  gtk_box_set_spacing(GTK_BOX(content), 4);

  GtkWidget* header = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  GtkWidget* icon = gtk_image_new_from_icon_name("application-x-executable", GTK_ICON_SIZE_DND);
  gtk_box_pack_start(GTK_BOX(header), icon, FALSE, FALSE, 0);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  GtkWidget* appName = gtk_label_new(title.c_str());
  gtk_widget_set_name(appName, "lbAppName");
  gtk_label_set_xalign(GTK_LABEL(appName), 0.0f);
  gtk_box_pack_start(GTK_BOX(column), appName, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), InfoView(info), TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(header), column, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(content), header, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(content), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 0);

  GtkWidget* footer = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  GtkWidget* created = gtk_label_new("Created with");
  gtk_widget_set_name(created, "lbCreated");
  gtk_box_pack_start(GTK_BOX(footer), created, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(footer), ProductLabel(info), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), footer, FALSE, FALSE, 0);

  GtkWidget* ok = gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK);
  gtk_widget_set_name(ok, "btnOK");
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  gtk_widget_grab_focus(ok);
  gtk_widget_show_all(content);
  return dialog;
}

void RunAboutBox(const AboutInfo& info) {
  GtkWidget* dialog = BuildAboutDialog(info);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

}  // namespace kpf::platform::gtk
