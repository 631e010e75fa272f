#pragma once
// Plain value types shared by the platform interface and its users.
#include <algorithm>
#include <cstdint>
#include <string>

namespace kpf::platform {

// Window and pointer positions as the window system takes them: X11 carries them in 16 bits, so
// larger values would wrap around instead of staying at the far edge.
inline constexpr int kMinWindowCoordinate = -32768;
inline constexpr int kMaxWindowCoordinate = 32767;
inline int ClampToWindowSystem(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, kMinWindowCoordinate, kMaxWindowCoordinate));
}

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// Edges in screen pixels; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct LocalTime {
  int year = 2000;
  int month = 1;      // 1..12
  int day = 1;        // 1..31
  int hour = 0;       // 0..23
  int minute = 0;
  int second = 0;
  int dayOfWeek = 7;  // 1 = Sunday ... 7 = Saturday
};

// How a top-level window of the desktop is shown.
enum class ShowState { Normal = 1, Minimised = 2, Maximised = 3 };

// One top-level window of the desktop, as the attach rule and the active-window values see it.
struct DesktopWindow {
  uint64_t id = 0;
  std::string title;
  bool visible = true;
  ShowState showState = ShowState::Normal;
  Rect rect;
  // The window covers its monitor as a full-screen program does (a video, a game).
  bool fullScreen = false;
  // The window has the keyboard focus of the desktop.
  bool active = false;
};

enum class MessageBoxIcon { None, Information, Warning, Error, Question };
enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageBoxResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class MouseButton { Left, Right, Middle };

}  // namespace kpf::platform
