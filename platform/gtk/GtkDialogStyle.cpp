#include "platform/gtk/GtkDialogStyle.hpp"

#include <gtk/gtk.h>

#include <array>
#include <cstdio>

#include "platform/gtk/GtkCursorTable.hpp"
#include "platform/gtk/GtkMessageBox.hpp"

namespace kpf::platform::gtk {

namespace {

constexpr const char* kProviderKey = "kpf-dialog-css";

// A face name inside CSS double quotes: quotes, backslashes and control bytes are dropped.
std::string QuotedFamily(const std::string& name) {
  std::string family = "\"";
  for (char c : DisplayText(name)) {
    if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) continue;
    family.push_back(c);
  }
  return family + "\"";
}

std::string GenericFamily(const std::string& name) {
  std::string keyword;
  for (char c : name) {
    if ((c >= 'a' && c <= 'z') || c == '-') keyword.push_back(c);
  }
  return keyword;
}

std::string Hex(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", rgb & 0xFFFFFF);
  return text;
}

const char* CursorName(StockCursor stock) {
  static constexpr std::array<const char*, 22> kNames = {
      "default",    "none",     "default",   "crosshair", "text",      "nesw-resize", "ns-resize", "nwse-resize",
      "ew-resize",  "default",  "wait",      "alias",     "no-drop",   "col-resize",  "row-resize", "copy",
      "progress",   "not-allowed", "progress", "help",    "pointer",   "move"};
  return kNames[static_cast<size_t>(stock)];
}

}  // namespace

std::string DialogCss(const std::optional<DialogFont>& font, std::optional<uint32_t> background) {
  std::string css = "* {";
  if (font) {
    css += " font-family: " + QuotedFamily(font->name);
    // A generic family is a keyword, not quoted.
    if (!font->fallbackFamily.empty()) css += ", " + GenericFamily(font->fallbackFamily);
    css += ";";
    css += " font-size: " + std::to_string(font->pixelHeight) + "px;";
    css += font->bold ? " font-weight: bold;" : " font-weight: normal;";
    css += font->italic ? " font-style: italic;" : " font-style: normal;";
    std::string lines;
    if (font->underline) lines += " underline";
    if (font->strikeOut) lines += " line-through";
    css += " text-decoration-line:" + (lines.empty() ? std::string(" none") : lines) + ";";
    css += " color: " + Hex(font->rgb) + ";";
  }
  if (background) css += " background-color: " + Hex(*background) + "; background-image: none;";
  return css + " }";
}

void ApplyCss(GtkWidget* widget, const std::string& css) {
  GtkStyleContext* context = gtk_widget_get_style_context(widget);
  auto* old = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(widget), kProviderKey));
  if (old != nullptr) gtk_style_context_remove_provider(context, GTK_STYLE_PROVIDER(old));
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), static_cast<gssize>(css.size()), nullptr);
  gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  // The widget keeps the provider; it is released with the widget or the next style.
  g_object_set_data_full(G_OBJECT(widget), kProviderKey, provider, g_object_unref);
}

GdkCursor* CursorFor(GtkWidget* widget, const DialogCursor& cursor) {
  if (cursor.registered > 0) {
    GdkCursor* registered = GtkCursorTable::Lookup(cursor.registered);
    return registered ? GDK_CURSOR(g_object_ref(registered)) : nullptr;
  }
  if (cursor.stock == StockCursor::Default) return nullptr;
  return gdk_cursor_new_from_name(gtk_widget_get_display(widget), CursorName(cursor.stock));
}

}  // namespace kpf::platform::gtk
