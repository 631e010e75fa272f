#pragma once
// The message box of the MessageBox action: the dialog type selects caption and icon, bits 0 to
// 9 of the button set select the buttons, shown in a fixed order with their accelerators.
#include <cstdint>
#include <string>

#include "platform/MessageDialog.hpp"

namespace kpf::engine {

// Answers of the buttons (and of Escape or the close control: Cancel).
enum ScriptMessageBoxResult : int {
  kBoxOk = 1, kBoxCancel = 2, kBoxAbort = 3, kBoxRetry = 4, kBoxIgnore = 5,
  kBoxYes = 6, kBoxNo = 7, kBoxAll = 8, kBoxNoToAll = 9, kBoxYesToAll = 10,
};

// Types 0 "Warning", 1 "Error", 2 "Information", 3 "Confirm" with their icons; 4 and any other
// value: the application's title and no icon. Bits above 9 are ignored; with none of bits 0 to 9
// the box has no button and only Escape or the close control end it.
platform::MessageDialogRequest ScriptMessageBox(const std::string& text, int32_t type, int32_t buttonBits,
                                                const std::string& applicationTitle);

}  // namespace kpf::engine
