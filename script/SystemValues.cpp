#include "script/SystemValues.hpp"

#include <exception>

#include "desktop/Network.hpp"
#include "script/ActiveWindow.hpp"

namespace kpf::script {

using project::VariantValue;

namespace {

constexpr uint32_t kRandomNumberRange = 65535;  // RANDOM_NUMBER reads 0..65534

}  // namespace

void PlayerState::SetProxyServer(std::string_view hostAndPort) {
  const size_t colon = hostAndPort.rfind(':');
  if (colon == std::string_view::npos) {
    ProxyHost = std::string(hostAndPort);
    ProxyPort.clear();
    return;
  }
  ProxyHost = std::string(hostAndPort.substr(0, colon));
  ProxyPort = std::string(hostAndPort.substr(colon + 1));
}

SystemValues::SystemValues(platform::Platform& platform, std::string documentsFolder,
                           RandomRange random, NetworkQueries network)
    : platform_(platform),
      documentsFolder_(std::move(documentsFolder)),
      random_(std::move(random)),
      network_(std::move(network)) {
  InitialiseProxy();
}

NetworkQueries DesktopNetworkQueries() {
  return {[] { return desktop::IsConnected(); }, [] { return desktop::GetProxyServer(); }};
}

void SystemValues::InitialiseProxy() {
  std::string proxy;
  try {
    if (network_.ProxyServer) proxy = network_.ProxyServer();
  } catch (const std::exception&) {
    // no readable proxy setting: none
  }
  State.SetProxyServer(proxy);
}

VariantValue SystemValues::ReadSystemValue(int sysIndex, const project::TTaviVariable& variable) {
  switch (sysIndex) {
    case 1: return platform_.ScreenRect().width();
    case 2: return platform_.ScreenRect().height();
    case 3:
      try {
        return network_.IsConnected && network_.IsConnected() ? 1 : 0;
      } catch (const std::exception&) {
        return 0;  // a failing query counts as not connected
      }
    case 4: case 5: case 6: case 7: case 8: case 9: case 10: return ReadClockValue(sysIndex);
    case 11: return RandomBelow(random_, kRandomNumberRange);
    case 12: return State.ProxyHost;
    case 13: return State.ProxyPort;
    case 14: return State.TimerCounter;
    case 15: return State.WindowLeft;
    case 16: return State.WindowTop;
    case 17: return State.WindowWidth;
    case 18: return State.WindowHeight;
    case 19: return State.LastKey;
    case 20: case 21: case 22: case 28: case 29: return ReadDesktopValue(sysIndex);
    case 23: case 24: case 25: case 26: case 33: return ReadActiveWindowValue(sysIndex);
    case 27: return int32_t{State.MouseButtons};
    case 30: return State.AnimationName;
    case 31: return State.AnimationIndex;
    case 32: return int32_t{State.WindowState};
    case 34: return State.FrameIndex;
    case 35: return State.DrawCount;
    case 36: return State.LastError;
    case 37: return State.LastErrorText;
    case 39: return documentsFolder_;
    case 41: case 44: case 45: case 46: return variable.Value;
    case 42: return State.ProxyUserName;
    case 43: return State.ProxyPassword;
    case 47: case 48: case 49: case 50: return ReadTaskbarValue(sysIndex);
    case 51: {
      const platform::Rect screen = platform_.ScreenRect();
      return screen.left + RandomBelow(random_, int64_t{screen.width()} - State.WindowWidth);
    }
    case 52: {
      const platform::Rect screen = platform_.ScreenRect();
      return screen.top + RandomBelow(random_, int64_t{screen.height()} - State.WindowHeight);
    }
    default:
      // A code without a row reads as the empty value of the variable's type.
      return variable.IsText() ? VariantValue(std::string()) : VariantValue(int32_t{0});
  }
}

VariantValue SystemValues::ReadClockValue(int sysIndex) {
  const platform::LocalTime now = platform_.Now();
  switch (sysIndex) {
    case 4: return now.hour;
    case 5: return now.minute;
    case 6: return now.second;
    case 7: return now.day;
    case 8: return now.month;
    case 9: return now.year;
    default: return now.dayOfWeek;
  }
}

VariantValue SystemValues::ReadDesktopValue(int sysIndex) {
  if (sysIndex == 22) return platform_.WorkArea().bottom;
  const platform::Point pointer = platform_.Pointer();
  return (sysIndex == 20 || sysIndex == 28) ? pointer.x : pointer.y;
}

VariantValue SystemValues::ReadActiveWindowValue(int sysIndex) {
  const ActiveWindowInfo active =
      FindActiveWindow(platform_.WindowsFromForeground(), platform_.TaskbarRect(),
                       platform_.ScreenRect(), platform_.WorkArea());
  switch (sysIndex) {
    case 23: return active.Rect.top;
    case 24: return active.Rect.left;
    case 25: return active.Rect.bottom;
    case 26: return active.Rect.right;
    // Scripts hold window handles in 32-bit integers.
    default: return static_cast<int32_t>(static_cast<uint32_t>(active.Id));
  }
}

VariantValue SystemValues::ReadTaskbarValue(int sysIndex) {
  const std::optional<platform::Rect> taskbar = platform_.TaskbarRect();
  if (!taskbar) return 0;
  switch (sysIndex) {
    case 47: return taskbar->top;
    case 48: return taskbar->left;
    case 49: return taskbar->right;
    default: return taskbar->bottom;
  }
}

void SystemValues::SystemValueWritten(int sysIndex, const project::TTaviVariable& variable) {
  const VariantValue& value = variable.Value;
  switch (sysIndex) {
    case 12: State.ProxyHost = value.ToText(); break;
    case 13: State.ProxyPort = value.ToText(); break;
    case 14: State.TimerCounter = value.ToInteger(); break;
    case 15: Move(value.ToInteger(), State.WindowTop); break;
    case 16: Move(State.WindowLeft, value.ToInteger()); break;
    case 30:
      State.AnimationName = value.ToText();
      if (Effects.OnAnimationName) Effects.OnAnimationName(State.AnimationName);
      break;
    case 31:
      State.AnimationIndex = value.ToInteger();
      if (Effects.OnAnimationIndex) Effects.OnAnimationIndex(State.AnimationIndex);
      break;
    case 32: {
      const int32_t stateValue = value.ToInteger();
      State.WindowState = static_cast<uint8_t>(stateValue);
      if (Effects.OnWindowState)
        Effects.OnWindowState(stateValue != 0);
      else
        platform_.SetApplicationMinimised(stateValue != 0);
      break;
    }
    case 34:
      State.FrameIndex = value.ToInteger();
      if (Effects.OnFrameIndex) Effects.OnFrameIndex(State.FrameIndex);
      break;
    case 35: State.DrawCount = value.ToInteger(); break;
    case 42: State.ProxyUserName = value.ToText(); break;
    case 43: State.ProxyPassword = value.ToText(); break;
    default: break;  // read-only values, and codes 41, 44-46 that read back `Value`
  }
}

void SystemValues::Move(int32_t left, int32_t top) {
  if (Effects.OnMove) Effects.OnMove(left, top);
}

}  // namespace kpf::script
