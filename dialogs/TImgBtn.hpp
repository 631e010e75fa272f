#pragma once
// The picture button's state: the idle, hover and pressed pictures and which one shows as the
// pointer enters, leaves, presses and releases. Every change raises OnChange.
#include <functional>

#include "platform/PopupMenu.hpp"

namespace kpf::dialogs {

class TImgBtn {
 public:
  platform::Picture Pic;      // idle
  platform::Picture PicDown;  // pressed
  platform::Picture PicUp;    // pointer over it
  bool Supported = true;
  bool MouseInside = false;
  bool Pressed = false;
  std::function<void()> OnChange;
  // Receives each picture as it is shown.
  std::function<void(const platform::Picture&)> OnShow;

  void MouseEnter();
  void MouseLeave();
  void MouseDown();
  void MouseUp();
  // The picture shown now; a state without its own picture shows the idle one.
  const platform::Picture& Shown() const;

 private:
  enum class Face { Idle, Down, Up };
  void Show(Face face);
  Face shown_ = Face::Idle;
};

}  // namespace kpf::dialogs
