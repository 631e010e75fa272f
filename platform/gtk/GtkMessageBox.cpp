#include "platform/gtk/GtkMessageBox.hpp"

#include <gtk/gtk.h>

#include <utility>
#include <vector>

namespace kpf::platform::gtk {

namespace {

GtkMessageType MessageType(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::Information: return GTK_MESSAGE_INFO;
    case MessageBoxIcon::Warning: return GTK_MESSAGE_WARNING;
    case MessageBoxIcon::Error: return GTK_MESSAGE_ERROR;
    case MessageBoxIcon::Question: return GTK_MESSAGE_QUESTION;
    case MessageBoxIcon::None: break;
  }
  return GTK_MESSAGE_OTHER;
}

struct Button {
  const char* label;
  MessageBoxResult result;
};

std::vector<Button> ButtonsOf(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::Ok: return {{"_OK", MessageBoxResult::Ok}};
    case MessageBoxButtons::OkCancel: return {{"_OK", MessageBoxResult::Ok}, {"_Cancel", MessageBoxResult::Cancel}};
    case MessageBoxButtons::YesNo: return {{"_Yes", MessageBoxResult::Yes}, {"_No", MessageBoxResult::No}};
    case MessageBoxButtons::YesNoCancel:
      return {{"_Yes", MessageBoxResult::Yes}, {"_No", MessageBoxResult::No}, {"_Cancel", MessageBoxResult::Cancel}};
  }
  return {{"_OK", MessageBoxResult::Ok}};
}

}  // namespace

std::string DisplayText(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  gsize written = 0;
  gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8", "WINDOWS-1252", nullptr,
                               &written, nullptr);
  if (converted == nullptr) {
    // Bytes Windows-1252 leaves undefined: let GLib replace what is not valid.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
  }
  std::string result(converted, written);
  g_free(converted);
  return result;
}

MessageBoxResult RunMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                               MessageBoxButtons buttons) {
  const std::string shownText = DisplayText(text);
  // The text goes in as an argument, never as the format: a "%" in it is shown as it is.
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageType(icon), GTK_BUTTONS_NONE,
                                             "%s", shownText.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), DisplayText(caption).c_str());
  // Above the character, which may itself stay on top.
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  const std::vector<Button> choices = ButtonsOf(buttons);
  for (size_t i = 0; i < choices.size(); ++i) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), choices[i].label, static_cast<gint>(i));
  }
  // A warning that asks Yes or No asks before something that could do harm: No is the default.
  const bool noByDefault = buttons == MessageBoxButtons::YesNo && icon == MessageBoxIcon::Warning;
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), noByDefault ? 1 : 0);
  gtk_window_present(GTK_WINDOW(dialog));
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  if (response >= 0 && static_cast<size_t>(response) < choices.size()) return choices[response].result;
  for (const Button& choice : choices) {
    if (choice.result == MessageBoxResult::Cancel) return MessageBoxResult::Cancel;
  }
  return choices.back().result;
}

}  // namespace kpf::platform::gtk
