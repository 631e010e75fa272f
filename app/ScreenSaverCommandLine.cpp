#include "app/ScreenSaverCommandLine.hpp"

#include <limits>

#include "app/CommandLine.hpp"

namespace kpf::app {

namespace {

// Display-program arguments; none when the command line has neither "-root" nor "-window-id".
// "-geometry" takes a value, which is skipped like "-fps" and every other argument.
std::optional<ScreenSaverStart> HostedStart(std::span<const std::string> arguments) {
  ScreenSaverStart start;
  start.role = StartRole::Hosted;
  bool hosted = false;
  bool windowGiven = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-root") {
      hosted = true;
      start.onScreenWindow = true;
    } else if (argument == "-window-id") {
      hosted = true;
      windowGiven = true;
      start.window = i + 1 < arguments.size() ? ParseWindowId(arguments[++i]) : std::nullopt;
    } else if (argument == "-geometry") {
      ++i;
    }
  }
  if (!hosted) return std::nullopt;
  // An explicit window wins over the screen; a bad one names nothing at all.
  if (windowGiven) start.onScreenWindow = false;
  return start;
}

bool StartsWith(const std::string& text, std::string_view prefix) { return text.starts_with(prefix); }

}  // namespace

bool HasScreenSaverName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = UpperCase(slash == std::string_view::npos ? path : path.substr(slash + 1));
  return name.ends_with(".SCR");
}

std::optional<uint64_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return value;
}

std::vector<std::string> WithoutDaemonArguments(std::span<const std::string> arguments) {
  std::vector<std::string> kept;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-window-id" || argument == "-geometry") {
      ++i;
    } else if (argument != "-root" && argument != "-fps") {
      kept.push_back(argument);
    }
  }
  return kept;
}

ScreenSaverStart DecideStart(std::string_view invokedName, std::string_view executablePath,
                             std::span<const std::string> arguments) {
  if (std::optional<ScreenSaverStart> hosted = HostedStart(arguments)) return *hosted;
  ScreenSaverStart start;
  if (!HasScreenSaverName(invokedName) && !HasScreenSaverName(executablePath)) return start;
  const std::string first = arguments.empty() ? std::string() : UpperCase(arguments[0]);
  if (first == "-INSTALL") {
    start.role = StartRole::Install;
  } else if (arguments.empty() || StartsWith(first, "/C") || StartsWith(first, "-C") || first[0] == 'C') {
    start.role = StartRole::ScreenSaver;
    start.mode = engine::ScreenSaverMode::Configure;
  } else if (StartsWith(first, "/P") || StartsWith(first, "-P") || first[0] == 'P') {
    start.role = StartRole::Preview;
    if (arguments.size() > 1) start.window = ParseWindowId(arguments[1]);
  } else {
    start.role = StartRole::ScreenSaver;
  }
  return start;
}

}  // namespace kpf::app
