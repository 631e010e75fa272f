#pragma once
// A modal message box: the given text and caption, an icon and a set of buttons, run in a nested
// loop until the user answers. The player's texts are 8-bit strings; those that are not UTF-8
// are shown as Windows-1252.
#include <string>

#include "platform/Types.hpp"

namespace kpf::platform::gtk {

// The text as GTK must be given it (valid UTF-8).
std::string DisplayText(const std::string& text);

// Closing the box without a button answers Cancel where there is a Cancel button, otherwise
// the answer of the last button (Ok, or No for Yes/No).
MessageBoxResult RunMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                               MessageBoxButtons buttons);

}  // namespace kpf::platform::gtk
