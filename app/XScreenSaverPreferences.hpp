#pragma once
// Making this program the user's screen saver in the xscreensaver preferences file
// (~/.xscreensaver, X resource syntax). Its "programs:" value is one list of entries, one per
// physical line ending in the two characters "\n" and a backslash-newline continuation; an
// entry reads [-] [visual:] ["Name"] command [arguments]. The entry of this program is replaced,
// or added as the first of the list; "mode:" becomes "one" and "selected:" its position. Every
// other line of the file stays byte for byte.
#include <optional>
#include <string>
#include <string_view>

namespace kpf::app {

// Largest preferences file that is read.
inline constexpr size_t kMaxPreferencesBytes = 4 * 1024 * 1024;
// Longest name the entry shows.
inline constexpr size_t kMaxProgramNameBytes = 64;

// The name shown in xscreensaver's list: the file name without its extension, quotes, backslashes
// and control bytes left out, at most kMaxProgramNameBytes; "kpfplayer" when nothing is left.
std::string ProgramName(std::string_view path);

// The entry's command for the program at `path`, which runs it on the daemon's window: the path
// (single-quoted when it holds blanks or shell characters) and "-root". None for a relative path
// or one holding a quote, backslash, backquote or control byte, which the entry cannot carry.
std::optional<std::string> ProgramCommand(std::string_view path);

// The preferences with the entry for `path` in place and selected; none when the text has no
// "programs:" list or the path cannot be written there.
std::optional<std::string> WithProgramSelected(std::string_view preferences, std::string_view path);

// $HOME/.xscreensaver.
std::string PreferencesPath();

// Rewrites the existing preferences file at `preferencesPath` (through a link to its target),
// atomically and keeping its permissions; false when the file does not exist, is not a regular
// file, is larger than kMaxPreferencesBytes, has no programs list, or cannot be written.
bool InstallScreenSaver(const std::string& preferencesPath, std::string_view programPath);

}  // namespace kpf::app
