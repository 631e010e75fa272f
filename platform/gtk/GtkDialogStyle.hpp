#pragma once
// How dialog controls look on GTK: fonts and colours as a widget's own CSS (the stored face
// names go to fontconfig, which picks a metric-compatible substitute; the pixel height decides
// the size), and the pointer shapes by their CSS cursor names.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/DialogWindow.hpp"

typedef struct _GtkWidget GtkWidget;
typedef struct _GdkCursor GdkCursor;

namespace kpf::platform::gtk {

// The CSS rule for a font and, when given, a background colour (0xRRGGBB).
std::string DialogCss(const std::optional<DialogFont>& font, std::optional<uint32_t> background);
// Replaces the widget's own style with `css` (its children inherit font and colour).
void ApplyCss(GtkWidget* widget, const std::string& css);
// A new cursor (the caller unrefs it), or null for the default pointer.
GdkCursor* CursorFor(GtkWidget* widget, const DialogCursor& cursor);

}  // namespace kpf::platform::gtk
