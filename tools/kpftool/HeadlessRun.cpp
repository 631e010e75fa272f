#include "tools/kpftool/HeadlessRun.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine/RecordingSoundOutput.hpp"
#include "engine/TFormKPFPlayer.hpp"
#include "package/PackageReader.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "script/ProcessRandom.hpp"

namespace kpf::tools {

namespace fs = std::filesystem;
using platform::MouseButton;

namespace {

int64_t ToNumber(const std::string& text, const char* what) {
  size_t used = 0;
  int64_t value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty()) throw std::invalid_argument(std::string("bad ") + what + ": " + text);
  return value;
}

// "A,B" into two numbers.
std::pair<int, int> Pair(const std::string& text, char separator, const char* what) {
  const size_t at = text.find(separator);
  if (at == std::string::npos) throw std::invalid_argument(std::string("bad ") + what + ": " + text);
  return {static_cast<int>(ToNumber(text.substr(0, at), what)), static_cast<int>(ToNumber(text.substr(at + 1), what))};
}

// "VALUE@T": the value and the time.
std::pair<std::string, int64_t> AtTime(const std::string& text) {
  const size_t at = text.rfind('@');
  if (at == std::string::npos) throw std::invalid_argument("missing @TIME in: " + text);
  return {text.substr(0, at), ToNumber(text.substr(at + 1), "time")};
}

// The player's package rule on the file's last bytes, without reading the whole file.
bool IsPackage(const std::string& file) {
  if (!std::ifstream(file, std::ios::binary)) throw std::runtime_error("cannot open " + file);
  return package::IsPackageFile(file);
}

class Session {
 public:
  Session(const RunOptions& options, const std::function<void(const std::string&)>& sink)
      : options_(options), sink_(sink) {}

  int Run();

 private:
  void Emit(const std::string& line) {
    if (options_.trace && sink_) sink_(line);
  }
  void Apply(const RunInput& input);
  bool Inside(int x, int y) const;
  void Press(int x, int y);

  const RunOptions& options_;
  const std::function<void(const std::string&)>& sink_;
  platform::headless::HeadlessPlatform platform_;
  std::unique_ptr<engine::TFormKPFPlayer> player_;
  platform::headless::HeadlessWindow* window_ = nullptr;
};

bool Session::Inside(int x, int y) const {
  const platform::Rect bounds = window_->Bounds();
  return window_->Visible() && x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
}

void Session::Press(int x, int y) {
  const platform::Rect bounds = window_->Bounds();
  platform_.SetPointer({x, y});
  window_->PressMouse(MouseButton::Left, x - bounds.left, y - bounds.top);
}

void Session::Apply(const RunInput& input) {
  const auto miss = [&] {
    Emit(engine::TraceLine(platform_.NowMs(), "input-miss").Int("x", input.x1).Int("y", input.y1).str());
  };
  switch (input.kind) {
    case RunInput::Kind::Click:
      if (!Inside(input.x1, input.y1)) return miss();
      Press(input.x1, input.y1);
      window_->ReleaseMouse(MouseButton::Left);
      break;
    case RunInput::Kind::DoubleClick:
      if (!Inside(input.x1, input.y1)) return miss();
      Press(input.x1, input.y1);
      window_->ReleaseMouse(MouseButton::Left);
      window_->DoubleClick();
      window_->ReleaseMouse(MouseButton::Left);
      break;
    case RunInput::Kind::Drag: {
      if (!Inside(input.x1, input.y1)) return miss();
      Press(input.x1, input.y1);
      constexpr int kSteps = 4;
      for (int step = 1; step <= kSteps && !player_->Closed(); ++step) {
        platform_.AdvanceBy(10);
        const int x = input.x1 + (input.x2 - input.x1) * step / kSteps;
        const int y = input.y1 + (input.y2 - input.y1) * step / kSteps;
        platform_.SetPointer({x, y});
        window_->MoveMouse(true, false, x, y);
      }
      window_->ReleaseMouse(MouseButton::Left);
      break;
    }
    case RunInput::Kind::Key:
      window_->PressKey(input.code);
      window_->ReleaseKey(input.code);
      break;
    case RunInput::Kind::Menu: {
      engine::MenuItem* item = player_->Menu().FindByCaption(input.caption);
      if (item == nullptr) {
        Emit(engine::TraceLine(platform_.NowMs(), "menu-missing").Text("caption", input.caption).str());
        return;
      }
      const engine::MenuItem copy = *item;
      player_->ClickMenuItem(copy);
      break;
    }
  }
}

int Session::Run() {
  platform_.SetScreenRect({0, 0, options_.screenWidth, options_.screenHeight});
  script::SeedProcessRandom(options_.seed);
  const bool package = IsPackage(options_.file);
  engine::PlayerOptions playerOptions;
  playerOptions.executablePath = fs::absolute(options_.file).string();
  playerOptions.currentFolder = fs::absolute(options_.file).parent_path().string();
  playerOptions.preview = !package;
  if (package) playerOptions.packagePath = playerOptions.executablePath;
  playerOptions.randomSeed = options_.seed;
  player_ = std::make_unique<engine::TFormKPFPlayer>(platform_, playerOptions);
  window_ = platform_.LastWindow();
  engine::RecordingSoundOutput sounds([this](const std::string& line) { Emit(line); },
                                      [this] { return platform_.NowMs(); });
  player_->SetSoundOutput(&sounds);
  player_->SetTraceSink([this](const std::string& line) { Emit(line); });
  player_->OnExitRequested = [this] { platform_.VirtualLoop().Quit(0); };
  // The one player is the whole application: it hears of its minimise and restore.
  platform_.SetOnApplicationMinimised([this](bool minimised) { player_->ApplicationMinimised(minimised); });
  std::vector<RunAnswer> answers = options_.answers;
  std::stable_sort(answers.begin(), answers.end(), [](const RunAnswer& a, const RunAnswer& b) { return a.at < b.at; });
  for (const RunAnswer& answer : answers) platform_.QueueAnswer(answer.code, answer.at);

  const fs::path resources = fs::temp_directory_path() / ("kpftool-run-" + std::to_string(::getpid()));
  package::ExtractedFileList extracted;
  if (package) {
    fs::create_directories(resources);
    package::ReadPackage(options_.file, *player_, extracted, resources.string() + "/");
  } else {
    package::LoadFromFile(options_.file, *player_, [this](const std::string& message) {
      Emit(engine::TraceLine(platform_.NowMs(), "msgbox").Text("text", message).str());
    });
  }

  // What the main form sets at start.
  auto setVariable = [this](const char* name, const project::VariantValue& value) {
    if (project::TTaviVariable* variable = player_->Model.VariableByName(name)) variable->SetValue(value);
  };
  setVariable("CURRENT_FOLDER", playerOptions.currentFolder);
  setVariable("CURRENT_ANIMATION_COUNT", static_cast<int32_t>(player_->Model.Animations.size()));
  setVariable("CURRENT_INSTANCE", 1);
  setVariable("PARENT_HANDLE", 0);

  // Ends scripts that loop without waiting: their yields move the virtual clock to this timer.
  const int64_t endMs = std::max<int64_t>(0, options_.seconds) * 1000;
  auto endTimer = platform_.CreateTimer();
  endTimer->SetInterval(static_cast<uint32_t>(std::max<int64_t>(1, endMs)));
  endTimer->SetOnTimer([this] { platform_.VirtualLoop().Quit(0); });
  endTimer->SetEnabled(true);

  if (player_->Start()) {
    std::vector<RunInput> inputs = options_.inputs;
    std::stable_sort(inputs.begin(), inputs.end(), [](const RunInput& a, const RunInput& b) { return a.at < b.at; });
    for (const RunInput& input : inputs) {
      if (input.at > endMs) break;
      platform_.AdvanceTo(input.at);
      if (player_->Closed() || platform_.Loop().Terminating()) break;
      Apply(input);
    }
    if (!player_->Closed() && !platform_.Loop().Terminating()) platform_.AdvanceTo(endMs);
  }
  Emit(engine::TraceLine(platform_.NowMs(), "end").str());
  platform_.SetOnApplicationMinimised(nullptr);
  endTimer.reset();
  player_.reset();
  extracted.DeleteAll();
  std::error_code error;
  fs::remove_all(resources, error);
  return 0;
}

}  // namespace

RunOptions ParseRunArguments(const Arguments& args) {
  RunOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--seconds") {
      options.seconds = ToNumber(value(), "seconds");
    } else if (arg == "--seed") {
      options.seed = static_cast<uint32_t>(ToNumber(value(), "seed"));
    } else if (arg == "--screen") {
      std::tie(options.screenWidth, options.screenHeight) = Pair(value(), 'x', "screen size");
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--answer") {
      const auto [code, at] = AtTime(value());
      options.answers.push_back({static_cast<int>(ToNumber(code, "answer code")), at});
    } else if (arg == "--click" || arg == "--dblclick" || arg == "--key" || arg == "--menu" || arg == "--drag") {
      const auto [what, at] = AtTime(value());
      RunInput input;
      input.at = at;
      if (arg == "--key") {
        input.kind = RunInput::Kind::Key;
        input.code = static_cast<int>(ToNumber(what, "key code"));
      } else if (arg == "--menu") {
        input.kind = RunInput::Kind::Menu;
        input.caption = what;
      } else if (arg == "--drag") {
        input.kind = RunInput::Kind::Drag;
        const size_t colon = what.find(':');
        if (colon == std::string::npos) throw std::invalid_argument("bad drag: " + what);
        std::tie(input.x1, input.y1) = Pair(what.substr(0, colon), ',', "point");
        std::tie(input.x2, input.y2) = Pair(what.substr(colon + 1), ',', "point");
      } else {
        input.kind = arg == "--click" ? RunInput::Kind::Click : RunInput::Kind::DoubleClick;
        std::tie(input.x1, input.y1) = Pair(what, ',', "point");
      }
      options.inputs.push_back(std::move(input));
    } else if (!arg.empty() && arg[0] == '-') {
      throw std::invalid_argument("unknown option " + arg);
    } else if (options.file.empty()) {
      options.file = arg;
    } else {
      throw std::invalid_argument("more than one file: " + arg);
    }
  }
  if (options.file.empty()) throw std::invalid_argument("no file given");
  return options;
}

int RunHeadless(const RunOptions& options, const std::function<void(const std::string&)>& sink) {
  Session session(options, sink);
  return session.Run();
}

}  // namespace kpf::tools
