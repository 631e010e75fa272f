#pragma once
// What a character may start: the rules that decide between starting a program, opening a
// document, and doing nothing, and how its argument text becomes an argument vector.
#include <string>
#include <string_view>
#include <vector>

namespace kpf::sandbox {

// Splits a command-line text by the rules Windows programs read their arguments with: spaces and
// tabs separate; double quotes group (and "" inside a group is one quote); backslashes are
// literal except before a double quote, where 2n of them give n and the quote keeps its meaning,
// and 2n+1 give n and a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view text);

// Names of Windows programs and shortcuts (.exe, .com, .bat, .cmd, .pif, .scr, .lnk, any case):
// never started, and no emulator is asked to.
bool IsWindowsProgramName(std::string_view path);

// Files whose opening by the desktop runs a command line or code of their own: launcher entries
// (".desktop", ".kdelnk", or any name whose content starts a desktop entry group) and Java
// archives or start files (".jar", ".jnlp"). Never handed to the desktop, whatever they are named.
bool IsLauncherFile(const std::string& path);

// A regular file with an execute bit whose content starts as a program does (ELF or "#!");
// anything else is a document, opened with the desktop's application for its type.
bool IsStartableProgram(const std::string& path);

}  // namespace kpf::sandbox
