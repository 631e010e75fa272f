#pragma once
// The player state that system variables publish, and the engine's handlers for the system
// variables whose writing acts on the player.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kpf::script {

struct PlayerState {
  std::string ProxyHost;  // from the system's proxy setting at start
  std::string ProxyPort;
  std::string ProxyUserName;
  std::string ProxyPassword;
  int32_t TimerCounter = 0;  // seconds since start, advanced by the housekeeping timer
  int32_t WindowLeft = 0;
  int32_t WindowTop = 0;
  int32_t WindowWidth = 0;
  int32_t WindowHeight = 0;
  int32_t LastKey = 0;  // virtual-key code of the last key pressed, -1 once released
  uint8_t MouseButtons = 0;  // bit 0 left, bit 1 right button down
  std::string AnimationName;
  int32_t AnimationIndex = 0;
  uint8_t WindowState = 0;  // 1 while the application is minimised
  int32_t FrameIndex = 0;
  int32_t DrawCount = 0;
  int32_t LastError = 0;
  std::string LastErrorText;

  // Splits "host:port" at its last colon (so a bracketed IPv6 host stays whole); a text without
  // a colon is all host.
  void SetProxyServer(std::string_view hostAndPort);
};

// Installed by the engine; an empty handler means the write only changes the stored state.
struct SystemValueEffects {
  std::function<void(int32_t left, int32_t top)> OnMove;
  std::function<void(const std::string& name)> OnAnimationName;
  std::function<void(int32_t index)> OnAnimationIndex;
  std::function<void(int32_t index)> OnFrameIndex;
  // Minimise (true) or restore (false) the application; without a handler the platform does it.
  std::function<void(bool minimised)> OnWindowState;
};

}  // namespace kpf::script
