#pragma once
// Web addresses, documents and programs a character opens or starts. Characters are untrusted,
// so every request goes through the same rules: web addresses only as the web-address rule
// allows, opened by the desktop without asking; a file only after the user said Yes to a modal
// question naming the character, the file and its arguments (a Yes holds for the same file and
// arguments until the player goes); programs started directly with an argument vector in their
// own folder, documents opened with the desktop's application; Windows programs and launcher
// files never. At most 5 openings, starts and questions per character in any 10 seconds (a
// question counts whatever its answer, so a script cannot ask without end), and at most 16
// programs of the process running at once; more are dropped. Every refusal is silent.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/OpenMessageBoxes.hpp"
#include "platform/Platform.hpp"

namespace kpf::engine {

constexpr int kMaxOpeningsPerWindow = 5;
constexpr int64_t kOpeningWindowMs = 10'000;
constexpr size_t kMaxLiveChildProcesses = 16;

enum class OpenOutcome { Opened, Started, Refused, Declined, Failed };
const char* OutcomeName(OpenOutcome outcome);

class DocumentLauncher {
 public:
  // The questions are boxes of the character's own (a closing character ends them); `stopped`
  // tells whether the character is going, after which nothing is opened even on a Yes.
  DocumentLauncher(platform::Platform& platform, OpenMessageBoxes& boxes, std::function<bool()> stopped)
      : platform_(platform), boxes_(boxes), stopped_(std::move(stopped)) {}

  // An address the web-address rule allows, handed to the desktop's launcher.
  OpenOutcome OpenWebAddress(const std::string& address);
  // A file that passed the read side of the file-access rules (its absolute path): asked about,
  // then started (a program) or opened (a document). `asked` is called just before the question.
  OpenOutcome OpenFile(const std::string& title, const std::string& path, const std::string& arguments,
                       const std::function<void()>& asked = {});
  // A copy of the player for a project file: no question (it is the player itself), but the
  // bound on running programs holds. False when it was not started.
  bool StartPlayerCopy(const std::string& executable, const std::vector<std::string>& arguments);

  // Programs of this process still running (ended ones are forgotten).
  static size_t LiveChildren();

 private:
  bool WithinRate();
  void CountOpening();
  bool StartChild(const platform::ProcessStart& start);
  bool Ask(const std::string& title, const std::string& path, const std::string& arguments, bool program);

  platform::Platform& platform_;
  OpenMessageBoxes& boxes_;
  std::function<bool()> stopped_;
  std::deque<int64_t> openings_;  // loop times of the openings in the last window
  std::set<std::pair<std::string, std::string>> approved_;
};

// A text that names a web address rather than a file: it begins with "HTTP:" or "MAILTO:" (any
// case). Whether it may be opened is the web-address rule's to say.
bool IsWebAddressText(std::string_view text);

// The question asked before a file is opened or started.
std::string OpenQuestion(const std::string& title, const std::string& path, const std::string& arguments,
                         bool program);

}  // namespace kpf::engine
