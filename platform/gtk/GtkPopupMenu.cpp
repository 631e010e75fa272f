#include "platform/gtk/GtkPopupMenu.hpp"

#include "platform/gtk/GdkScale.hpp"

#include <gtk/gtk.h>

#include <string>
#include <utility>

#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/GtkPicture.hpp"

namespace kpf::platform::gtk {
namespace {

constexpr const char* kIdKey = "kpf-menu-id";

GtkWidget* ItemContent(const MenuEntry& entry) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  if (GdkPixbuf* pixbuf = PixbufFromPicture(entry.picture)) {
    GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    gtk_widget_show(image);
    gtk_box_pack_start(GTK_BOX(box), image, FALSE, FALSE, 0);
  }
  GtkWidget* label = gtk_label_new_with_mnemonic(MnemonicCaption(DisplayText(entry.caption)).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_widget_show(label);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  gtk_widget_show(box);
  return box;
}

}  // namespace

std::string MnemonicCaption(const std::string& caption) {
  std::string result;
  result.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    if (c == '_') {
      result += "__";
    } else if (c == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] == '&') {
        result += '&';
      } else {
        result += '_';
        result += caption[i] == '_' ? std::string("__") : std::string(1, caption[i]);
      }
    } else {
      result += c;
    }
  }
  return result;
}

GtkPopupMenu::GtkPopupMenu() = default;

GtkPopupMenu::~GtkPopupMenu() {
  if (idleSource_ != 0) g_source_remove(idleSource_);
  DestroyMenu();
}

void GtkPopupMenu::DestroyMenu() {
  if (menu_ == nullptr) return;
  g_signal_handlers_disconnect_by_data(menu_, this);
  gtk_widget_destroy(menu_);
  g_object_unref(menu_);
  menu_ = nullptr;
  open_ = false;
}

GtkWidget* GtkPopupMenu::Build(const MenuModel& entries, MenuChoice onChosen) {
  DestroyMenu();
  onChosen_ = std::move(onChosen);
  menu_ = BuildLevel(entries, 0);
  g_object_ref_sink(menu_);
  g_signal_connect(menu_, "deactivate", G_CALLBACK(&GtkPopupMenu::OnDeactivate), this);
  return menu_;
}

GtkWidget* GtkPopupMenu::BuildLevel(const MenuModel& entries, int depth) {
  GtkWidget* menu = gtk_menu_new();
  for (const MenuEntry& entry : entries) {
    GtkWidget* item = BuildItem(entry, depth);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  }
  return menu;
}

GtkWidget* GtkPopupMenu::BuildItem(const MenuEntry& entry, int depth) {
  GtkWidget* item = nullptr;
  if (entry.separator) {
    item = gtk_separator_menu_item_new();
  } else {
    item = entry.checked ? gtk_check_menu_item_new() : gtk_menu_item_new();
    if (entry.checked) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    gtk_container_add(GTK_CONTAINER(item), ItemContent(entry));
    gtk_widget_set_sensitive(item, entry.enabled ? TRUE : FALSE);
    if (!entry.children.empty()) {
      // Beyond the depth limit the entry stays, without a sub-menu and not clickable.
      if (depth + 1 < kMaxMenuDepth) {
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), BuildLevel(entry.children, depth + 1));
      } else {
        gtk_widget_set_sensitive(item, FALSE);
      }
    } else {
      g_object_set_data(G_OBJECT(item), kIdKey, GINT_TO_POINTER(entry.id));
      g_signal_connect(item, "activate", G_CALLBACK(&GtkPopupMenu::OnActivate), this);
    }
  }
  gtk_widget_set_visible(item, entry.visible ? TRUE : FALSE);
  return item;
}

void GtkPopupMenu::Popup(const MenuModel& entries, Point at, MenuChoice onChosen) {
  Build(entries, std::move(onChosen));
  const int scale = GdkWindowScale();
  at = {ToGdk(at.x, scale), ToGdk(at.y, scale)};
  GdkRectangle rect{at.x, at.y, 1, 1};
  // GTK places and grabs for the event that opened the menu; outside an event handler (a menu
  // opened by a script, a choice delivered later) a button press at the point stands in for it.
  GdkEvent* trigger = gtk_get_current_event();
  if (trigger == nullptr) {
    trigger = gdk_event_new(GDK_BUTTON_PRESS);
    GdkWindow* root = gdk_get_default_root_window();
    trigger->button.window = GDK_WINDOW(g_object_ref(root));
    trigger->button.time = GDK_CURRENT_TIME;
    trigger->button.x_root = at.x;
    trigger->button.y_root = at.y;
    trigger->button.button = 3;
    gdk_event_set_device(trigger, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  }
  gtk_menu_popup_at_rect(GTK_MENU(menu_), gdk_get_default_root_window(), &rect, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, trigger);
  gdk_event_free(trigger);
  open_ = true;
}

void GtkPopupMenu::Close() {
  if (menu_ != nullptr) gtk_menu_popdown(GTK_MENU(menu_));
  open_ = false;
}

void GtkPopupMenu::OnActivate(GtkWidget* item, void* self) {
  auto& menu = *static_cast<GtkPopupMenu*>(self);
  menu.pendingId_ = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kIdKey));
  if (menu.idleSource_ == 0) menu.idleSource_ = g_idle_add(&GtkPopupMenu::DeliverChoice, self);
}

void GtkPopupMenu::OnDeactivate(GtkWidget*, void* self) { static_cast<GtkPopupMenu*>(self)->open_ = false; }

int GtkPopupMenu::DeliverChoice(void* self) {
  auto& menu = *static_cast<GtkPopupMenu*>(self);
  menu.idleSource_ = 0;
  menu.open_ = false;
  // A copy: the handler may replace the menu and its handler.
  const MenuChoice handler = menu.onChosen_;
  if (handler) handler(menu.pendingId_);
  return G_SOURCE_REMOVE;
}

}  // namespace kpf::platform::gtk
