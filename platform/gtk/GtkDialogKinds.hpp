#pragma once
// The kinds of dialog controls on GTK, one factory each.
#include <memory>

#include "platform/gtk/GtkDialogControl.hpp"

namespace kpf::platform::gtk {

// Texts: GtkTextControls.cpp.
std::unique_ptr<GtkDialogControl> MakeLabel(GtkWidget* fixed, const DialogControlStyle& style);
std::unique_ptr<GtkDialogControl> MakeEdit(GtkWidget* fixed, const DialogControlStyle& style);
std::unique_ptr<GtkDialogControl> MakeMemo(GtkWidget* fixed);
std::unique_ptr<GtkDialogControl> MakeButton(GtkWidget* fixed);
std::unique_ptr<GtkDialogControl> MakeCheckBox(GtkWidget* fixed);
std::unique_ptr<GtkDialogControl> MakePanel(GtkWidget* fixed);
// Lists: GtkListControls.cpp.
std::unique_ptr<GtkDialogControl> MakeComboBox(GtkWidget* fixed, const DialogControlStyle& style);
std::unique_ptr<GtkDialogControl> MakeRadioGroup(GtkWidget* fixed);
std::unique_ptr<GtkDialogControl> MakeListBox(GtkWidget* fixed);
// Drawn controls: GtkPictureControls.cpp.
std::unique_ptr<GtkDialogControl> MakePicture(GtkWidget* fixed, bool button);
std::unique_ptr<GtkDialogControl> MakeBevel(GtkWidget* fixed, const DialogControlStyle& style);

}  // namespace kpf::platform::gtk
