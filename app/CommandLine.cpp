#include "app/CommandLine.hpp"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace kpf::app {

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

namespace {

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() && UpperCase(std::string_view(text).substr(0, prefix.size())) == prefix;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  size_t start = 0;
  for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
    result.append(text.substr(start, at - start));
    result.append(to);
    start = at + from.size();
  }
  result.append(text.substr(start));
  return result;
}

// "-VS" followed by the variable digit and the text; a non-digit counts as variable 0.
std::optional<StartSwitch> VariableSwitch(const std::string& argument) {
  if (argument.size() < 4) return std::nullopt;
  const char digit = argument[3];
  StartSwitch setting;
  setting.kind = StartSwitch::Kind::SetVariable;
  setting.variableNumber = std::isdigit(static_cast<unsigned char>(digit)) ? digit - '0' : 0;
  setting.text = argument.substr(4);
  return setting;
}

// The value of "--name N" or "--name=N" (none when it is missing) and how many arguments the
// switch took; 0 when `rest` starts with another argument.
struct SwitchValue {
  std::optional<std::string_view> value;
  size_t used = 0;
};

SwitchValue ValuedSwitch(std::span<const std::string> rest, std::string_view name) {
  const std::string& argument = rest.front();
  if (argument == name) return rest.size() > 1 ? SwitchValue{rest[1], 2} : SwitchValue{std::nullopt, 1};
  if (argument.size() > name.size() && argument.starts_with(name) && argument[name.size()] == '=') {
    return SwitchValue{std::string_view(argument).substr(name.size() + 1), 1};
  }
  return {};
}

// A whole number of one or two digits from `low` to `high`.
std::optional<int> SmallNumber(std::optional<std::string_view> text, int low, int high) {
  if (!text || text->empty() || text->size() > 2) return std::nullopt;
  int number = 0;
  for (const char digit : *text) {
    if (digit < '0' || digit > '9') return std::nullopt;
    number = number * 10 + (digit - '0');
  }
  if (number < low || number > high) return std::nullopt;
  return number;
}

void RejectValue(CommandLine& line, std::string message) {
  if (line.request != ProgramRequest::Play) return;
  line.request = ProgramRequest::InvalidValue;
  line.invalidValue = std::move(message);
}

// "--scale N" (1..4) and "--monitor N" (0..kMaxMonitorOption); how many arguments they took (0:
// another argument). A missing or wrong value makes the request InvalidValue.
size_t ValuedSwitches(std::span<const std::string> rest, CommandLine& line) {
  if (const SwitchValue scale = ValuedSwitch(rest, "--scale"); scale.used != 0) {
    line.scale = SmallNumber(scale.value, kMinScaleOption, kMaxScaleOption);
    if (!line.scale) RejectValue(line, "--scale takes a whole number from 1 to 4");
    return scale.used;
  }
  if (const SwitchValue monitor = ValuedSwitch(rest, "--monitor"); monitor.used != 0) {
    line.monitor = SmallNumber(monitor.value, 0, kMaxMonitorOption);
    if (!line.monitor) RejectValue(line, "--monitor takes a monitor number from 0 to " + std::to_string(kMaxMonitorOption));
    return monitor.used;
  }
  if (rest.front() == "--no-fullscreen-hide") {
    line.fullScreenHide = false;
    return 1;
  }
  return 0;
}

// "-h", "--help", "--version" and any other "--" argument; the first one decides.
bool ProgramSwitch(const std::string& argument, CommandLine& line) {
  ProgramRequest request = ProgramRequest::Play;
  if (argument == "-h" || argument == "--help") {
    request = ProgramRequest::Help;
  } else if (argument == "--version") {
    request = ProgramRequest::Version;
  } else if (argument.starts_with("--")) {
    request = ProgramRequest::UnknownOption;
  } else {
    return false;
  }
  if (line.request == ProgramRequest::Play) {
    line.request = request;
    if (request == ProgramRequest::UnknownOption) line.unknownOption = argument;
  }
  return true;
}

}  // namespace

std::string FolderText(const std::string& text) {
  return ReplaceAll(std::string_view(text).substr(0, kMaxFolderText), "_$_", " ");
}

bool IsProjectFileArgument(const std::string& argument) {
  const std::string upper = UpperCase(argument);
  return upper.find(".TMP") != std::string::npos || upper.find(".KPF") != std::string::npos;
}

CommandLine ParseCommandLine(std::span<const std::string> arguments) {
  CommandLine line;
  for (size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (const size_t used = ValuedSwitches(arguments.subspan(index), line)) {
      index += used - 1;
      continue;
    }
    // Switches come first, so a switch whose text holds ".tmp" is never taken for a project.
    if (ProgramSwitch(argument, line)) continue;
    if (argument == "-SCRPREVIEW") {
      line.screenSaverPreview = true;
    } else if (StartsWithNoCase(argument, "-KPFPATH")) {
      line.currentFolder = FolderText(argument.substr(8));
    } else if (StartsWithNoCase(argument, "-DLL")) {
      line.pluginFolder = FolderText(argument.substr(4));
    } else if (StartsWithNoCase(argument, "-VS")) {
      if (auto setting = VariableSwitch(argument)) line.startSwitches.push_back(*setting);
    } else if (StartsWithNoCase(argument, "-VE")) {
      // The whole text after the switch: a viewer started as child number 10 or later must not
      // share the title of child 1.
      if (argument.size() >= 4) {
        line.startSwitches.push_back({StartSwitch::Kind::ViewerTitle, 0, kSecondaryViewerTitle + argument.substr(3)});
      }
    } else if (StartsWithNoCase(argument, "-VH")) {
      line.startSwitches.push_back({StartSwitch::Kind::ParentTitle, 0, argument.substr(3)});
    } else if (IsProjectFileArgument(argument)) {
      line.projectFile = argument;
      line.files.push_back(argument);
    } else if (!argument.starts_with("-")) {
      // Other single-dash arguments are switches this program does not know; they are ignored.
      line.files.push_back(argument);
    }
  }
  return line;
}

}  // namespace kpf::app
