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

// "--scale N" or "--scale=N", N a whole number 1..4; how many arguments it took (0: none,
// another switch). A missing or wrong value makes the request InvalidValue.
size_t ScaleSwitch(std::span<const std::string> rest, CommandLine& line) {
  constexpr std::string_view kName = "--scale";
  const std::string& argument = rest.front();
  std::optional<std::string_view> value;
  size_t used = 1;
  if (argument == kName) {
    if (rest.size() > 1) value = rest[1], used = 2;
  } else if (argument.starts_with("--scale=")) {
    value = std::string_view(argument).substr(kName.size() + 1);
  } else {
    return 0;
  }
  const bool valid = value && value->size() == 1 && (*value)[0] >= '0' + kMinScaleOption &&
                     (*value)[0] <= '0' + kMaxScaleOption;
  if (valid) {
    line.scale = (*value)[0] - '0';
  } else if (line.request == ProgramRequest::Play) {
    line.request = ProgramRequest::InvalidValue;
    line.invalidValue = "--scale takes a whole number from 1 to 4";
  }
  return used;
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
    if (const size_t used = ScaleSwitch(arguments.subspan(index), line)) {
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
