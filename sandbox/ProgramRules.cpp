#include "sandbox/ProgramRules.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "sandbox/FolderWalk.hpp"
#include "sandbox/NameRules.hpp"

namespace kpf::sandbox {

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if ((c == ' ' || c == '\t') && !quoted) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == '\\') {
      size_t slashes = 0;
      while (i < text.size() && text[i] == '\\') ++slashes, ++i;
      if (i < text.size() && text[i] == '"') {
        current.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          current.push_back('"');
          ++i;
        }
      } else {
        current.append(slashes, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        current.push_back('"');
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current.push_back(c);
    ++i;
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

bool IsWindowsProgramName(std::string_view path) {
  for (const char* extension : {".exe", ".com", ".bat", ".cmd", ".pif", ".scr", ".lnk"}) {
    if (EndsWithIgnoringCase(path, extension)) return true;
  }
  return false;
}

bool IsLauncherFile(const std::string& path) {
  for (const char* extension : {".desktop", ".kdelnk", ".jar", ".jnlp"}) {
    if (EndsWithIgnoringCase(path, extension)) return true;
  }
  // The desktop recognises an entry by its group header near the start, whatever the name.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return true;
  std::array<char, 512> start{};
  const ssize_t got = ::read(file.get(), start.data(), start.size());
  if (got < 0) return true;
  const std::string_view head(start.data(), static_cast<size_t>(got));
  for (const std::string_view group : {"[Desktop Entry]", "[Desktop Action", "[KDE Desktop Entry]"}) {
    if (head.find(group) != std::string_view::npos) return true;
  }
  return false;
}

bool IsStartableProgram(const std::string& path) {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) return false;
  std::array<char, 4> start{};
  if (::read(file.get(), start.data(), start.size()) < 2) return false;
  return std::string_view(start.data(), 4) == "\x7f" "ELF" || std::string_view(start.data(), 2) == "#!";
}

}  // namespace kpf::sandbox
