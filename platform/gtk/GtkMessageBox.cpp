#include "platform/gtk/GtkMessageBox.hpp"

#include <gtk/gtk.h>

#include <utility>
#include <vector>

#include "platform/gtk/GtkPopupMenu.hpp"

namespace kpf::platform::gtk {

namespace {

constexpr guint kAbandonCheckMs = 100;

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

std::vector<MessageDialogButton> ButtonsOf(MessageBoxButtons buttons) {
  const MessageDialogButton ok{"&OK", static_cast<int>(MessageBoxResult::Ok)};
  const MessageDialogButton cancel{"&Cancel", static_cast<int>(MessageBoxResult::Cancel)};
  const MessageDialogButton yes{"&Yes", static_cast<int>(MessageBoxResult::Yes)};
  const MessageDialogButton no{"&No", static_cast<int>(MessageBoxResult::No)};
  switch (buttons) {
    case MessageBoxButtons::Ok: return {ok};
    case MessageBoxButtons::OkCancel: return {ok, cancel};
    case MessageBoxButtons::YesNo: return {yes, no};
    case MessageBoxButtons::YesNoCancel: return {yes, no, cancel};
  }
  return {ok};
}

gboolean CheckAbandoned(gpointer data) {
  auto* state = static_cast<std::pair<GtkDialog*, const std::function<bool()>*>*>(data);
  if ((*state->second)()) gtk_dialog_response(state->first, GTK_RESPONSE_DELETE_EVENT);
  return G_SOURCE_CONTINUE;
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

int RunMessageDialog(const MessageDialogRequest& request, MessageDialogCloser& closer,
                     const std::function<bool()>& abandoned) {
  if (closer.Closed() || (abandoned && abandoned())) return request.dismissResult;
  const std::string shownText = DisplayText(request.text);
  // The text goes in as an argument, never as the format, and the label is not markup: "%" and
  // "<b>" are shown as they are.
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageType(request.icon), GTK_BUTTONS_NONE,
                                             "%s", shownText.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), DisplayText(request.caption).c_str());
  // Above the character, which may itself stay on top.
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  for (size_t i = 0; i < request.buttons.size(); ++i) {
    const std::string label = MnemonicCaption(DisplayText(request.buttons[i].label));
    gtk_dialog_add_button(GTK_DIALOG(dialog), label.c_str(), static_cast<gint>(i));
  }
  if (!request.buttons.empty()) gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
  closer.SetOnClose([dialog] { gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_DELETE_EVENT); });
  std::pair<GtkDialog*, const std::function<bool()>*> watch{GTK_DIALOG(dialog), &abandoned};
  const guint watcher = abandoned ? g_timeout_add(kAbandonCheckMs, &CheckAbandoned, &watch) : 0;
  gtk_window_present(GTK_WINDOW(dialog));
  // Escape and the close control answer GTK_RESPONSE_DELETE_EVENT.
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  if (watcher != 0) g_source_remove(watcher);
  closer.SetOnClose(nullptr);
  gtk_widget_destroy(dialog);
  if (closer.Closed() || response < 0 || static_cast<size_t>(response) >= request.buttons.size()) {
    return request.dismissResult;
  }
  return request.buttons[static_cast<size_t>(response)].result;
}

MessageBoxResult RunMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                               MessageBoxButtons buttons, const std::function<bool()>& abandoned) {
  MessageDialogRequest request{text, caption, icon, ButtonsOf(buttons), 0};
  request.dismissResult = request.buttons.back().result;
  for (const MessageDialogButton& button : request.buttons) {
    if (button.result == static_cast<int>(MessageBoxResult::Cancel)) request.dismissResult = button.result;
  }
  MessageDialogCloser closer;
  return static_cast<MessageBoxResult>(RunMessageDialog(request, closer, abandoned));
}

}  // namespace kpf::platform::gtk
