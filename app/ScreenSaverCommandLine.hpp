#pragma once
// Which role the program starts in. A program whose name ends in ".SCR" (any case; a copy or a
// symbolic link of that name) follows the screen-saver command line: "-INSTALL", configure, the
// preview with a window, or run. Started with a screen-saver daemon's display-program arguments
// ("-root", or "-window-id" and a window) it plays inside that window instead. Anything else is
// the ordinary player, whose command line CommandLine.hpp reads.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ScreenSaverRole.hpp"

namespace kpf::app {

enum class StartRole { Player, Install, ScreenSaver, Preview, Hosted };

struct ScreenSaverStart {
  StartRole role = StartRole::Player;
  // ScreenSaver: Run or Configure.
  engine::ScreenSaverMode mode = engine::ScreenSaverMode::Run;
  // Preview: the preview window. Hosted: the window given with "-window-id". None when the
  // argument is missing or not a window id.
  std::optional<uint64_t> window;
  // Hosted with "-root" (and no "-window-id"): the whole screen's window.
  bool onScreenWindow = false;
  bool operator==(const ScreenSaverStart&) const = default;
};

// True when the file name of `path` ends in ".SCR", in any case.
bool HasScreenSaverName(std::string_view path);

// A window id as a decimal number or "0x" and hexadecimal digits, 1 to 2^32 - 1; none for
// anything else (signs, blanks, other characters, 0, too large).
std::optional<uint64_t> ParseWindowId(std::string_view text);

// The arguments without the daemon's "-root", "-window-id" and "-geometry" with their values,
// and "-fps".
std::vector<std::string> WithoutDaemonArguments(std::span<const std::string> arguments);

// `invokedName` is argv[0] (the name of a link), `executablePath` the file that runs.
ScreenSaverStart DecideStart(std::string_view invokedName, std::string_view executablePath,
                             std::span<const std::string> arguments);

}  // namespace kpf::app
