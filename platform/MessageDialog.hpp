#pragma once
// A modal message box with buttons of the caller's choosing, which its owner can end from outside
// (a character that closes ends the boxes its scripts opened). The call returns when the user
// answers; the event loop runs meanwhile, so timers, menus and other windows go on working.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::platform {

struct MessageDialogButton {
  // '&' marks the keyboard accelerator ("N&o to All"); "&&" shows one '&'.
  std::string label;
  // What choosing the button answers.
  int result = 0;
  bool operator==(const MessageDialogButton&) const = default;
};

struct MessageDialogRequest {
  std::string text;  // plain text, never markup
  std::string caption;
  MessageBoxIcon icon{};  // none
  // In the order shown; the first one is the default button.
  std::vector<MessageDialogButton> buttons;
  // The answer of Escape, of the window's close control and of a box its owner ended.
  int dismissResult = 2;
};

// Lets the owner of an open box end it. The backend showing the box sets what ending does; a
// closer that was closed before the box came up keeps the box from showing at all.
class MessageDialogCloser {
 public:
  void Close() {
    if (closed_) return;
    closed_ = true;
    if (onClose_) onClose_();
  }
  bool Closed() const { return closed_; }
  // Called by the backend while it shows the box (null when the box has gone).
  void SetOnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }

 private:
  bool closed_ = false;
  std::function<void()> onClose_;
};

}  // namespace kpf::platform
