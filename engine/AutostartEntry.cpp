#include "engine/AutostartEntry.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <system_error>

#include "package/FileUtil.hpp"
#include "project/Errors.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::engine {

namespace fs = std::filesystem;

namespace {

// File names start with the program's name, so that our entries are told apart from others.
constexpr std::string_view kFilePrefix = "kpfplayer-";

// A name shown to the user: one line, control characters as blanks.
std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return out;
}

// Desktop-entry string values escape backslashes and line breaks.
std::string EscapeValue(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '\n' || c == '\r') {
      out.push_back('\\');
      out.push_back(c == '\n' ? 'n' : c == '\r' ? 'r' : '\\');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// Exec arguments are quoted; inside quotes ", `, $ and \ take a backslash, and "%" (a field
// code to the launcher) is doubled.
std::string QuoteExecArgument(std::string_view path) {
  std::string out(1, '"');
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out.push_back('\\');
    if (c == '%') out.push_back('%');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// The launcher starts Exec from no particular folder.
std::string AbsolutePath(std::string_view path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(fs::path(path), error);
  return error ? std::string(path) : absolute.lexically_normal().string();
}

}  // namespace

AutostartEntry::AutostartEntry(std::string title, std::string executablePath)
    : title_(std::move(title)), executable_(std::move(executablePath)) {}

std::string AutostartEntry::SanitisedName(std::string_view title) {
  std::string name(kFilePrefix);
  for (const char c : title) {
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    name.push_back(kept ? c : '_');
  }
  return name;
}

std::string AutostartEntry::AutostartFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    return (fs::path(config) / "autostart").string();
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return (fs::path(home) / ".config" / "autostart").string();
  }
  return {};
}

std::string AutostartEntry::FilePath() const {
  const std::string folder = AutostartFolder();
  if (folder.empty()) return {};
  return (fs::path(folder) / SanitisedName(title_).append(".desktop")).string();
}

std::string AutostartEntry::DesktopEntryText(std::string_view title, std::string_view executablePath) {
  std::ostringstream text;
  text << "[Desktop Entry]\n"
       << "Type=Application\n"
       << "Name=" << EscapeValue(OneLine(title)) << "\n"
       << "Exec=" << EscapeValue(QuoteExecArgument(AbsolutePath(executablePath))) << "\n"
       << "X-GNOME-Autostart-enabled=true\n";
  return text.str();
}

bool AutostartEntry::IsEnabled() const {
  const std::string path = FilePath();
  if (path.empty()) return false;
  std::ifstream in(path);
  if (!in) return false;
  std::string expected("Exec=");
  expected.append(EscapeValue(QuoteExecArgument(AbsolutePath(executable_))));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (project::SameText(line, expected)) return true;
  }
  return false;
}

bool AutostartEntry::Enable() const {
  const std::string path = FilePath();
  if (path.empty()) return false;
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  const std::string text = DesktopEntryText(title_, executable_);
  try {
    // Replaced in one step: the desktop never reads a half-written entry at login.
    package::WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                                 0644);
  } catch (const project::KpfError&) {
    return false;
  }
  return true;
}

bool AutostartEntry::Disable() const {
  const std::string path = FilePath();
  if (path.empty()) return true;
  std::error_code error;
  fs::remove(path, error);
  return !error;
}

}  // namespace kpf::engine
