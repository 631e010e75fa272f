#pragma once
// The player's command line: which project to play and the switches applied to a new player.
// Parsing is a pure function of the argument list so every rule is testable on its own.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::app {

// Longest folder text kept from "-DLL" and "-KPFPATH".
constexpr size_t kMaxFolderText = 255;
// Title prefix of a secondary viewer ("-VE").
constexpr const char* kSecondaryViewerTitle = "ZIMR_PADOK";

// A switch applied to a player after its project has loaded, in argument order.
struct StartSwitch {
  enum class Kind { SetVariable, ViewerTitle, ParentTitle } kind = Kind::SetVariable;
  int variableNumber = 0;  // SetVariable: position among the variables whose SysIndex is 0
  std::string text;        // variable text, the full title, or the parent title
  bool operator==(const StartSwitch&) const = default;
};

// What the program is asked to do: play, or only answer one of its own "--" switches.
enum class ProgramRequest { Play, Help, Version, UnknownOption, InvalidValue };

struct CommandLine {
  ProgramRequest request = ProgramRequest::Play;  // the first of "-h"/"--help", "--version", "--x"
  std::string unknownOption;                      // the "--" argument that is not ours
  std::string invalidValue;                       // what is wrong with a switch's value
  // Every argument that is no switch, in order: character files (packages, project files) and
  // anything else the user named.
  std::vector<std::string> files;
  std::optional<std::string> projectFile;    // ".TMP" / ".KPF" argument, the last one wins
  std::optional<std::string> pluginFolder;   // "-DLL"
  std::optional<std::string> currentFolder;  // "-KPFPATH"
  bool screenSaverPreview = false;           // "-SCRPREVIEW"
  std::vector<StartSwitch> startSwitches;    // "-VS", "-VE", "-VH"
  std::optional<int> scale;                  // "--scale N": display pixels per character pixel
  std::optional<int> monitor;                // "--monitor N": the monitor that counts as the screen
  // False with "--no-fullscreen-hide": characters stay on screen over full-screen programs.
  bool fullScreenHide = true;
};

// Display scales "--scale" takes.
constexpr int kMinScaleOption = 1;
constexpr int kMaxScaleOption = 4;
// Monitors "--monitor" takes, counted from 0 in the desktop's order (as `xrandr --listmonitors`).
constexpr int kMaxMonitorOption = 63;

// Parses the arguments after the program name. Arguments starting with "--" are never files.
CommandLine ParseCommandLine(std::span<const std::string> arguments);

// True when `argument` names a project file: its upper-case form contains ".TMP" or ".KPF".
bool IsProjectFileArgument(const std::string& argument);

// The text with its ASCII letters in upper case (switches are compared so).
std::string UpperCase(std::string_view text);

// Folder text of "-DLL"/"-KPFPATH": at most kMaxFolderText characters, "_$_" read as a space.
std::string FolderText(const std::string& text);

}  // namespace kpf::app
