// Text files, files of lines into arrays, the file test, copies of the player and saved
// variables. Every name goes through the file-access rules; a refused name behaves exactly like
// a missing file.
#include <optional>

#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "project/Errors.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::engine::actions {

namespace {

constexpr int32_t kFileNotFound = 404;
// Most lines a file read into an array may have (an array's count is 16 bits).
constexpr size_t kMaxArrayLines = 65535;

// The lines of a text: CR, LF and CR LF end a line; a last line break adds no empty line.
std::vector<std::string> SplitLines(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

int LoadTextFile(ActionCall& call) {
  const std::string path = call.player.Evaluation().ResolveFileName(call.T[1]);
  std::optional<std::vector<uint8_t>> bytes;
  if (!path.empty()) bytes = call.player.Files().Read(path, sandbox::kMaxTextFileBytes);
  call.player.TraceFile(147, bytes ? std::optional<std::string>(path) : std::nullopt);
  if (!bytes) {
    call.player.State().LastError = kFileNotFound;
    return kResultNext;
  }
  // Every line ends with CR LF, the last one too.
  std::string text;
  text.reserve(bytes->size() + bytes->size() / 16 + 2);
  for (const std::string& line : SplitLines(*bytes)) text += line + "\r\n";
  call.Set(0, std::move(text));
  return kResultNext;
}

int FileExists(ActionCall& call) {
  const std::string path = call.player.Evaluation().ResolveFileName(call.T[1]);
  call.player.TraceFile(149, path.empty() ? std::nullopt : std::optional<std::string>(path));
  call.Set(0, path.empty() ? 0 : 1);
  return kResultNext;
}

// Reads and converts every line first: a file that is too long or a line that is no number
// leaves the array as it was.
int LoadArray(ActionCall& call) {
  TArrayItem* array = call.player.Arrays().Find(call.T[0]);
  if (array == nullptr) throw project::KpfError("no such array");
  const std::optional<std::vector<uint8_t>> bytes = call.player.Files().Read(call.T[1], sandbox::kMaxTextFileBytes);
  call.player.TraceFile(209, bytes ? call.player.Files().Readable(call.T[1]) : std::nullopt);
  if (!bytes) return kResultNext;
  std::vector<std::string> lines = SplitLines(*bytes);
  if (lines.size() > kMaxArrayLines) return kResultNext;
  std::vector<int32_t> values;
  if (array->ArrayType == 0) {
    values.reserve(lines.size());
    for (const std::string& line : lines) values.push_back(project::ConvertToInteger(line));
    lines.clear();
  }
  call.player.EnsureRoomFor(bytes->size() + values.size() * sizeof(int32_t));
  call.player.Arrays().Replace(*array, std::move(values), std::move(lines));
  return kResultNext;
}

int SavePlayerCopy(ActionCall& call) {
  call.player.SavePlayerCopy(call.T[0]);
  return kResultNext;
}

int SaveVariable(ActionCall& call) {
  call.player.Saved().Save(call.player.ApplicationTitle(), call.Variable(0));
  return kResultNext;
}

int LoadVariable(ActionCall& call) {
  call.Set(0, call.player.Saved().Load(call.player.ApplicationTitle(), call.Variable(0)));
  return kResultNext;
}

int DeleteSavedVariable(ActionCall& call) {
  call.player.Saved().Delete(call.player.ApplicationTitle(), call.Variable(0));
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {24, "I", SaveVariable}, {25, "I", LoadVariable},  {26, "I", DeleteSavedVariable}, {147, "IT", LoadTextFile},
    {149, "IT", FileExists}, {155, "T", SavePlayerCopy}, {209, "TT", LoadArray},
};

}  // namespace

std::span<const ActionEntry> FileActions() { return kEntries; }

}  // namespace kpf::engine::actions
