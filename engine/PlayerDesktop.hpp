#pragma once
// Desktop services a player calls when they are attached (DesktopServices): the speech bubble and
// the About box. Without them hints show nothing and About is a message box.
#include <string>

namespace kpf::engine {

class PlayerDesktop {
 public:
  virtual ~PlayerDesktop() = default;
  // Shows the bubble with its tail at the screen point (x, y).
  virtual void ShowHint(const std::string& text, int x, int y) = 0;
  virtual void CloseHint() = 0;
  // The character moved by (dx, dy); an open bubble follows it.
  virtual void MoveHintBy(int dx, int dy) = 0;
  virtual void SetHintStayOnTop(bool stayOnTop) = 0;
  virtual void ShowAbout() = 0;
};

}  // namespace kpf::engine
