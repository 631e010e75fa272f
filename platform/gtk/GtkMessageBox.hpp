#pragma once
// Modal message boxes: the given text (plain, never markup) and caption, an icon and buttons, run
// in a nested loop until the user answers. The player's texts are 8-bit strings; those that are
// not UTF-8 are shown as Windows-1252.
#include <functional>
#include <string>

#include "platform/MessageDialog.hpp"
#include "platform/Types.hpp"

namespace kpf::platform::gtk {

// The text as GTK must be given it (valid UTF-8).
std::string DisplayText(const std::string& text);

// The box centred on the screen, above the characters, its first button the default. Escape and
// the close control answer the dismiss result, and so does `closer` or `abandoned()` turning
// true (checked every 100 ms: the program is ending).
int RunMessageDialog(const MessageDialogRequest& request, MessageDialogCloser& closer,
                     const std::function<bool()>& abandoned);

// Closing the box without a button answers Cancel where there is a Cancel button, otherwise
// the answer of the last button (Ok, or No for Yes/No).
MessageBoxResult RunMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                               MessageBoxButtons buttons, const std::function<bool()>& abandoned);

}  // namespace kpf::platform::gtk
