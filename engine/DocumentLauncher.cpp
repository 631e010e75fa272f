#include "engine/DocumentLauncher.hpp"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

#include "sandbox/NameRules.hpp"
#include "sandbox/ProgramRules.hpp"
#include "sandbox/WebAddress.hpp"

namespace kpf::engine {

namespace {

// The programs every player of the process started (the bound is the process's).
struct ChildRegistry {
  std::mutex mutex;
  std::vector<std::shared_ptr<platform::ChildProcess>> children;

  size_t Live() {
    const std::lock_guard lock(mutex);
    std::erase_if(children, [](const auto& child) { return !child->Running(); });
    return children.size();
  }
  void Add(std::shared_ptr<platform::ChildProcess> child) {
    const std::lock_guard lock(mutex);
    children.push_back(std::move(child));
  }
};

ChildRegistry& Children() {
  static ChildRegistry registry;
  return registry;
}

}  // namespace

const char* OutcomeName(OpenOutcome outcome) {
  switch (outcome) {
    case OpenOutcome::Opened: return "opened";
    case OpenOutcome::Started: return "started";
    case OpenOutcome::Refused: return "refused";
    case OpenOutcome::Declined: return "declined";
    case OpenOutcome::Failed: return "failed";
  }
  return "failed";
}

bool IsWebAddressText(std::string_view text) {
  const auto starts = [&](std::string_view prefix) {
    return text.size() >= prefix.size() && sandbox::SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
  };
  return starts("HTTP:") || starts("MAILTO:");
}

std::string OpenQuestion(const std::string& title, const std::string& path, const std::string& arguments,
                         bool program) {
  std::string text = "The character \"" + title + "\" wants to " + (program ? "start the program" : "open the file") +
                     "\n\n" + path;
  if (!arguments.empty()) text += "\n\nwith the arguments\n\n" + arguments;
  return text + "\n\nDo you allow this?";
}

size_t DocumentLauncher::LiveChildren() { return Children().Live(); }

bool DocumentLauncher::WithinRate() {
  const int64_t now = platform_.Loop().NowMs();
  while (!openings_.empty() && now - openings_.front() >= kOpeningWindowMs) openings_.pop_front();
  return openings_.size() < static_cast<size_t>(kMaxOpeningsPerWindow);
}

void DocumentLauncher::CountOpening() { openings_.push_back(platform_.Loop().NowMs()); }

OpenOutcome DocumentLauncher::OpenWebAddress(const std::string& address) {
  if (!sandbox::IsAllowedWebAddress(address) || !WithinRate()) return OpenOutcome::Refused;
  CountOpening();
  return platform_.ShellOpen(address) ? OpenOutcome::Opened : OpenOutcome::Failed;
}

bool DocumentLauncher::StartChild(const platform::ProcessStart& start) {
  if (LiveChildren() >= kMaxLiveChildProcesses) return false;
  std::shared_ptr<platform::ChildProcess> child = platform_.StartProcess(start);
  if (!child) return false;
  Children().Add(std::move(child));
  return true;
}

// A modal box of the character's own, No unless the user chooses Yes.
bool DocumentLauncher::Ask(const std::string& title, const std::string& path, const std::string& arguments,
                           bool program) {
  constexpr int kYes = static_cast<int>(platform::MessageBoxResult::Yes);
  constexpr int kNo = static_cast<int>(platform::MessageBoxResult::No);
  platform::MessageDialogRequest question{OpenQuestion(title, path, arguments, program), title,
                                          platform::MessageBoxIcon::Warning, {{"&Yes", kYes}, {"&No", kNo}}};
  question.defaultButton = 1;
  question.dismissResult = kNo;
  const std::shared_ptr<platform::MessageDialogCloser> closer = boxes_.Open();
  return platform_.ShowMessageDialog(question, *closer) == kYes;
}

OpenOutcome DocumentLauncher::OpenFile(const std::string& title, const std::string& path, const std::string& arguments,
                                       const std::function<void()>& asked) {
  if (path.empty() || sandbox::IsWindowsProgramName(path) || sandbox::IsLauncherFile(path)) {
    return OpenOutcome::Refused;
  }
  if (!WithinRate()) return OpenOutcome::Refused;
  const bool program = sandbox::IsStartableProgram(path);
  if (program && LiveChildren() >= kMaxLiveChildProcesses) return OpenOutcome::Refused;
  // Counted before asking: a declined or unanswered question uses up the window as an opening does.
  CountOpening();
  const std::pair<std::string, std::string> request{path, arguments};
  if (!approved_.contains(request)) {
    if (asked) asked();
    if (!Ask(title, path, arguments, program)) return OpenOutcome::Declined;
    // The question let the loop run: the character may have closed meanwhile.
    if (stopped_ && stopped_()) return OpenOutcome::Refused;
    approved_.insert(request);
  }
  if (!program) return platform_.ShellOpen(path) ? OpenOutcome::Opened : OpenOutcome::Failed;
  const platform::ProcessStart start{path, sandbox::SplitCommandLine(arguments),
                                     std::filesystem::path(path).parent_path().string()};
  return StartChild(start) ? OpenOutcome::Started : OpenOutcome::Failed;
}

bool DocumentLauncher::StartPlayerCopy(const std::string& executable, const std::vector<std::string>& arguments) {
  if (!WithinRate()) return false;
  CountOpening();
  return StartChild({executable, arguments, {}});
}

}  // namespace kpf::engine
