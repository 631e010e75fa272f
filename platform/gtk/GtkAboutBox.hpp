#pragma once
// The About box: a small modal dialog with the project's title as caption and heading, its about
// text (or a notice naming the authoring tool), "Created with" and the product label, and an OK
// button.
#include "platform/DesktopServices.hpp"

typedef struct _GtkWidget GtkWidget;

namespace kpf::platform::gtk {

// The notice shown when the project has no about text of its own.
inline constexpr const char* kAboutNotice = "This character was made with Tavimo Design.";

// Builds the dialog without showing it; the caller destroys it. For ShowAbout and tests.
GtkWidget* BuildAboutDialog(const AboutInfo& info);
// Shows the dialog modally until it is closed.
void RunAboutBox(const AboutInfo& info);

}  // namespace kpf::platform::gtk
