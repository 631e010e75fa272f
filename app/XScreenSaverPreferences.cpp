#include "app/XScreenSaverPreferences.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "package/FileUtil.hpp"

namespace kpf::app {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t";
// The separator of two entries in the programs value: the two characters backslash and 'n'.
constexpr std::string_view kEntryEnd = "\\n";

struct Line {
  std::string content;  // without the line break
  std::string ending;   // "\n", or "" for a last line without one
};

// One entry of the programs list: its physical lines and its text without the separators.
struct Entry {
  size_t first = 0;
  size_t last = 0;
  std::string text;
};

std::string_view TrimLeft(std::string_view text) {
  const size_t start = text.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view TrimRight(std::string_view text) {
  const size_t end = text.find_last_not_of(kBlanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      lines.push_back({std::string(text), ""});
      break;
    }
    lines.push_back({std::string(text.substr(0, end)), "\n"});
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Where the value of resource `name` begins on this line (just after its colon); none when the
// line sets another resource.
std::optional<size_t> ValueStart(std::string_view line, std::string_view name) {
  const std::string_view rest = TrimLeft(line);
  if (!rest.starts_with(name)) return std::nullopt;
  const std::string_view after = TrimLeft(rest.substr(name.size()));
  if (after.empty() || after.front() != ':') return std::nullopt;
  return line.size() - after.size() + 1;
}

bool Continues(std::string_view content) { return !content.empty() && content.back() == '\\'; }

// The physical lines of the programs value and its entries.
struct ProgramsBlock {
  size_t header = 0;       // the line with "programs:"
  size_t valueStart = 0;   // offset of the value on that line
  size_t last = 0;         // the last line of the value
  std::vector<Entry> entries;
};

std::optional<ProgramsBlock> FindPrograms(const std::vector<Line>& lines) {
  ProgramsBlock block;
  bool found = false;
  for (size_t i = 0; i < lines.size() && !found; ++i) {
    if (const std::optional<size_t> start = ValueStart(lines[i].content, "programs")) {
      block.header = i;
      block.valueStart = *start;
      found = true;
    }
  }
  if (!found) return std::nullopt;
  block.last = block.header;
  while (Continues(lines[block.last].content) && block.last + 1 < lines.size()) ++block.last;

  Entry current;
  bool open = false;
  for (size_t i = block.header; i <= block.last; ++i) {
    std::string_view body = lines[i].content;
    if (i == block.header) body.remove_prefix(block.valueStart);
    if (Continues(body)) body.remove_suffix(1);
    const bool ends = TrimRight(body).ends_with(kEntryEnd);
    if (ends) body = TrimRight(body).substr(0, TrimRight(body).size() - kEntryEnd.size());
    if (!open && !Trim(body).empty()) {
      current = Entry{i, i, {}};
      open = true;
    }
    if (open) {
      current.text += body;
      current.last = i;
    }
    if (open && (ends || i == block.last)) {
      current.text = std::string(Trim(current.text));
      block.entries.push_back(current);
      open = false;
    }
  }
  return block;
}

// The program an entry runs: the first word of its command, without single quotes around it.
std::string EntryProgram(std::string_view text) {
  std::string_view rest = Trim(text);
  if (rest.starts_with('-')) rest = TrimLeft(rest.substr(1));
  if (!rest.empty() && rest.front() != '"') {
    const std::string_view word = rest.substr(0, rest.find_first_of(kBlanks));
    if (word.ends_with(':')) rest = TrimLeft(rest.substr(word.size()));
  }
  if (rest.starts_with('"')) {
    const size_t close = rest.find('"', 1);
    rest = close == std::string_view::npos ? std::string_view() : TrimLeft(rest.substr(close + 1));
  }
  if (rest.starts_with('\'')) {
    const size_t close = rest.find('\'', 1);
    return close == std::string_view::npos ? std::string() : std::string(rest.substr(1, close - 1));
  }
  return std::string(rest.substr(0, rest.find_first_of(kBlanks)));
}

// Sets the value of resource `name` on its line, keeping the blanks after the colon; appends
// the line when the file has none.
void SetResource(std::vector<Line>& lines, const ProgramsBlock& block, std::string_view name,
                 const std::string& value) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i >= block.header && i <= block.last) continue;
    const std::optional<size_t> start = ValueStart(lines[i].content, name);
    if (!start) continue;
    const std::string_view content = lines[i].content;
    const size_t valueAt = content.find_first_not_of(kBlanks, *start);
    const std::string kept(content.substr(0, valueAt == std::string_view::npos ? content.size() : valueAt));
    lines[i].content = kept + (kept.size() == *start ? "\t" : "") + value;
    return;
  }
  if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = "\n";
  lines.push_back({std::string(name) + ":\t\t" + value, "\n"});
}

bool SafeInPath(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("/._+,:@%=-").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string Join(const std::vector<Line>& lines) {
  std::string text;
  for (const Line& line : lines) text += line.content + line.ending;
  return text;
}

}  // namespace

std::string ProgramName(std::string_view path) {
  std::string name = fs::path(std::string(path)).stem().string();
  std::string shown;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '"' || c == '\\') continue;
    if (shown.size() >= kMaxProgramNameBytes) break;
    shown += c;
  }
  return shown.empty() ? "kpfplayer" : shown;
}

std::optional<std::string> ProgramCommand(std::string_view path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  bool plain = true;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '\'' || c == '"' || c == '\\' || c == '`') return std::nullopt;
    plain = plain && SafeInPath(byte);
  }
  const std::string program = plain ? std::string(path) : "'" + std::string(path) + "'";
  return program + " -root";
}

std::optional<std::string> WithProgramSelected(std::string_view preferences, std::string_view path) {
  const std::optional<std::string> command = ProgramCommand(path);
  if (!command) return std::nullopt;
  std::vector<Line> lines = SplitLines(preferences);
  const std::optional<ProgramsBlock> block = FindPrograms(lines);
  if (!block) return std::nullopt;
  const std::string entry = "\"" + ProgramName(path) + "\"\t" + *command;

  size_t position = 0;
  const Entry* own = nullptr;
  for (; position < block->entries.size() && own == nullptr; ++position) {
    if (EntryProgram(block->entries[position].text) == path) own = &block->entries[position];
  }
  if (own != nullptr) {
    --position;
    // Its lines become one, which continues the value when further lines follow.
    const bool moreFollow = own->last < block->last;
    const bool endedWithSeparator = TrimRight(lines[own->last].content).ends_with(kEntryEnd);
    std::string content = own->first == block->header ? lines[own->first].content.substr(0, block->valueStart) + "\t"
                                                      : std::string("\t\t");
    content += entry + (moreFollow ? "\t\\n\\" : endedWithSeparator ? "\t\\n" : "");
    const std::string ending = lines[own->last].ending;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(own->first) + 1,
                lines.begin() + static_cast<std::ptrdiff_t>(own->last) + 1);
    lines[own->first] = {content, ending};
  } else if (block->last > block->header && Trim(std::string_view(lines[block->header].content).substr(block->valueStart)) == "\\") {
    // The first of the list: no line of the file changes.
    position = 0;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(block->header) + 1, Line{"\t\t" + entry + "\t\\n\\", "\n"});
  } else {
    // The last of the list: the value's last line now continues onto the new one.
    position = block->entries.size();
    Line& last = lines[block->last];
    std::string_view body = last.content;
    if (block->last == block->header) body.remove_prefix(block->valueStart);
    last.content += Trim(body).empty() || TrimRight(body).ends_with(kEntryEnd) ? "\\" : "\t\\n\\";
    last.ending = "\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(block->last) + 1, Line{"\t\t" + entry + "\t\\n", "\n"});
  }
  const std::optional<ProgramsBlock> updated = FindPrograms(lines);
  SetResource(lines, *updated, "mode", "one");
  SetResource(lines, *updated, "selected", std::to_string(position));
  return Join(lines);
}

std::string PreferencesPath() {
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.xscreensaver";
}

bool InstallScreenSaver(const std::string& preferencesPath, std::string_view programPath) {
  std::error_code error;
  // Through a link (preferences kept elsewhere) to the file itself, which is what is replaced.
  const fs::path target = fs::canonical(preferencesPath, error);
  struct stat info {};
  if (error || stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<uintmax_t>(info.st_size) > kMaxPreferencesBytes) {
    return false;
  }
  std::ifstream in(target, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return false;
  const std::optional<std::string> updated = WithProgramSelected(text, programPath);
  if (!updated) return false;
  try {
    package::WriteFileAtomically(target.string(), std::span(reinterpret_cast<const uint8_t*>(updated->data()), updated->size()),
                                 info.st_mode & 0777);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

}  // namespace kpf::app
