#pragma once
// A popup menu shown with GTK: the model becomes a GtkMenu tree (separators, check marks,
// pictures, sub-menus, hidden and disabled entries) that pops up at a screen point. A choice is
// reported from an idle callback after the menu has closed, so the handler may pop up, replace
// or destroy this menu.
#include <memory>
#include <string>

#include "platform/PopupMenu.hpp"

typedef struct _GtkWidget GtkWidget;

namespace kpf::platform::gtk {

class GtkPopupMenu : public PopupMenu {
 public:
  GtkPopupMenu();
  ~GtkPopupMenu() override;
  GtkPopupMenu(const GtkPopupMenu&) = delete;
  GtkPopupMenu& operator=(const GtkPopupMenu&) = delete;

  void Popup(const MenuModel& entries, Point at, MenuChoice onChosen) override;
  void Close() override;
  bool IsOpen() const override { return open_; }

  // The GtkMenu of the last popup (null before the first), for tests.
  GtkWidget* MenuWidget() const { return menu_; }
  // Builds the menu tree without showing it; the menu is owned by this object like a popup's.
  // Entries deeper than kMaxMenuDepth are left out.
  GtkWidget* Build(const MenuModel& entries, MenuChoice onChosen);

 private:
  GtkWidget* BuildLevel(const MenuModel& entries, int depth);
  GtkWidget* BuildItem(const MenuEntry& entry, int depth);
  void DestroyMenu();
  static void OnActivate(GtkWidget* item, void* self);
  static void OnDeactivate(GtkWidget* menu, void* self);
  static int DeliverChoice(void* self);

  GtkWidget* menu_ = nullptr;
  MenuChoice onChosen_;
  bool open_ = false;
  int pendingId_ = 0;
  unsigned idleSource_ = 0;
};

// The caption as a GTK mnemonic label: "&x" underlines x, "&&" is "&", "_" stays "_".
std::string MnemonicCaption(const std::string& caption);

}  // namespace kpf::platform::gtk
