#include "engine/TCustomKPFPlayer.hpp"

#include <filesystem>

#include "package/VariableValues.hpp"
#include "project/Errors.hpp"
#include "project/ProjectLoader.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::engine {

namespace {

script::PlayerFolders Folders(const PlayerOptions& options) {
  script::PlayerFolders folders = script::PlayerFolders::FromEnvironment();
  folders.ExecutableFolder = std::filesystem::path(options.executablePath).parent_path().string();
  folders.CurrentFolder = options.currentFolder.empty() ? folders.ExecutableFolder : options.currentFolder;
  if (!options.documentsFolder.empty()) folders.DocumentsFolder = script::WithoutTrailingSeparator(options.documentsFolder);
  if (!options.temporaryFolder.empty()) folders.TempFolder = script::WithoutTrailingSeparator(options.temporaryFolder);
  return folders;
}

sandbox::FileRoots Roots(const PlayerOptions& options, const script::PlayerFolders& folders) {
  return {.characterFolder = options.characterFolder.empty() ? folders.CurrentFolder : options.characterFolder,
          .temporaryFolder = options.temporaryFolder,
          .documentsFolder = folders.DocumentsFolder,
          .executableFolder = folders.ExecutableFolder,
          .executablePath = options.executablePath};
}

}  // namespace

TCustomKPFPlayer::TCustomKPFPlayer(platform::Platform& platform, PlayerOptions options)
    : TKPF(platform),
      options_(std::move(options)),
      random_(options_.randomSeed),
      randomRange_([this](uint32_t range) { return std::uniform_int_distribution<uint32_t>(0, range - 1)(random_); }),
      systemValues_(platform, Folders(options_).DocumentsFolder, randomRange_),
      state_(systemValues_.State),
      evaluation_(Model.Variables, Folders(options_), randomRange_),
      files_(Roots(options_, Folders(options_))),
      launcher_(platform, messageBoxes_, [this] { return RunMustEnd(); }),
      saved_(options_.settingsFolder, [this](const std::string& message) {
        Trace(Line("msgbox").Text("text", message));
        platform_.MessageBox(message, Title, platform::MessageBoxIcon::Error, platform::MessageBoxButtons::Ok);
      }) {
  evaluation_.FileFilter = [this](const std::string& candidate) { return files_.Readable(candidate); };
  if (options_.screenSaver) screenSaver_ = ScreenSaverRole(platform_, *options_.screenSaver);
  housekeeping_ = platform_.CreateTimer();
  housekeeping_->SetInterval(kQuickHousekeepingMs);
  // The ticks of every character in the process come in one wake-up.
  housekeeping_->SetSharesWakeUps(true);
  housekeeping_->SetOnTimer([this] { HousekeepingTick(); });
  systemValues_.Effects.OnMove = [this](int32_t x, int32_t y) { SetPosition(x, y); };
  state_.AnimationIndex = -1;
  state_.FrameIndex = -1;
  state_.LastKey = -1;
  UpdateSoundAvailability();
  InitHandlers();
}

TCustomKPFPlayer::~TCustomKPFPlayer() {
  *alive_ = false;
  if (housekeeping_) housekeeping_->SetEnabled(false);
  if (playbackTimer_) playbackTimer_->SetEnabled(false);
  timers_.RetireAll();
}

void TCustomKPFPlayer::SetSoundOutput(SoundOutput* output) { sound_ = output != nullptr ? output : &silent_; }

void TCustomKPFPlayer::Trace(const TraceLine& line) {
  if (trace_ && line.Enabled()) trace_(line.str());
}

void TCustomKPFPlayer::InitHandlers() {
  OnFrameDone = [this](const project::TTaviFrame& frame, int index) { FrameDone(frame, index); };
  OnCycleEnd = [this](int) {
    Trace(Line("cycle").Int("index", currentIndex_).Int("loop", loopCount_));
    FireTrigger(5);
  };
  OnAnimationEnd = [this](int eventIndex) { AnimationEnded(eventIndex); };
  dragging_ = false;
  dblClickPending_ = false;
  followMouse_ = false;
}

// ---- Loading ---------------------------------------------------------------------------------

void TCustomKPFPlayer::LoadProject(std::span<const uint8_t> compressedProject) {
  if (Busy()) throw project::KpfError("A project cannot be loaded while a script runs");
  // Every load first closes the current project (its close scripts run).
  if (!Model.Animations.empty() || !Model.Scripts.empty()) Close();
  loopFlags_.Clear();
  Clear();
  menu_.Reset();
  initialised_ = false;
  visibilityApplied_ = false;
  stopFlag_ = false;
  closed_ = false;
  project::LoadOptions options;
  options.VariableHost = &systemValues_;
  project::LoadProjectStream(compressedProject, Model, options);
  project::SetSystemVariableHost(Model.Variables, &systemValues_);
  dialogs_.Load(Model.Dialogs);
}

void TCustomKPFPlayer::SetHeader(const package::PackageHeader& header) {
  DesignVersion = header.DesignVersion;
  AboutText = header.AboutText;
  Title = header.Title;
  HeaderFlags = header.HeaderFlags;
}

void TCustomKPFPlayer::ApplyInitialValue(const package::VariableValueRecord& value) {
  package::ApplyVariableValue(Model, value);
}

std::vector<package::VariableValueRecord> TCustomKPFPlayer::ChangedStoredValues() const {
  return package::ChangedStoredValueRecords(Model);
}

// ---- Start and stop ----------------------------------------------------------------------------

bool TCustomKPFPlayer::Start() {
  BusyScope busy(*this);
  InitHandlers();
  if (!initialised_) Initialize();
  // Input during the start scripts already ends a running screen saver.
  screenSaver_.Watch([this] { EndOnScreenSaverInput(); });
  if (!Run()) {
    Close();
    return false;
  }
  if (closed_) return false;
  SetPopupMenu(true);
  if (!Model.Animations.empty() && IsPlaying()) ShowCharacter();
  return true;
}

void TCustomKPFPlayer::Initialize() {
  speed_ = 1;
  initialised_ = true;
  BuildPopupMenu();
  ApplyMenuVisibility();
}

bool TCustomKPFPlayer::Run() {
  BusyScope busy(*this);
  bool keepRunning = true;
  Trace(Line("run").Int("animations", static_cast<int64_t>(Model.Animations.size())));
  int startScripts = 0;
  for (const auto& script : Model.Scripts) startScripts += script.Trigger == 2 ? 1 : 0;
  FireGlobal(2);
  startScriptsRan_ = startScripts > 0;
  if (platform_.Loop().Terminating() || closed_) return keepRunning && !closed_;
  if (screenSaver_.Active() && screenSaver_.Mode() == ScreenSaverMode::Configure) {
    // The screen saver's settings: the project's own dialog, else the About box; then the
    // player closes.
    if (!ShowDialogModalByName(kScreenSaverSettingsDialog)) AboutClick();
    return false;
  }
  if (!IsPlaying()) PlayAnimation(1, 0, -1);
  if (!IsPlaying()) PlayAnimation(0, 0, -1);
  if (MenuItem* item = menu_.Command(MenuCommand::RunOnStartup)) {
    item->visible = Model.OptionFlag(3);
    if (IsPlaying() && item->visible) UpdateRunOnStartupState();
  }
  if (!IsPlaying()) {
    if (MenuItem* hide = menu_.Command(MenuCommand::Hide)) hide->visible = false;
    if (!startScriptsRan_ && !Model.OptionFlag(2)) {
      keepRunning = false;
    } else if (VisibleDialogCount() == 0 && !timers_.AnyEnabled() && !Model.OptionFlag(2)) {
      keepRunning = false;
    }
  }
  return keepRunning;
}

void TCustomKPFPlayer::Close() {
  if (closing_ || closed_) return;
  closing_ = true;
  BusyScope busy(*this);
  Trace(Line("close"));
  stopFlag_ = false;
  FireGlobal(1);
  stopFlag_ = true;
  // Scripts waiting in message boxes go on once this returns, and stop at the flag.
  messageBoxes_.CloseAll();
  dialogs_.CloseAll();
  StopAnimation();
  StopSounds();
  housekeeping_->SetEnabled(false);
  menu_.Reset();
  initialised_ = false;
  visibilityApplied_ = false;
  SetPopupMenu(false);
  timers_.RetireAll();
  surfaces_.HideAll();
  screenSaver_.StopWatching();
  if (!Model.OptionFlag(kOptionKeepDesktop)) {
    if (platform::ScreenSaverServices* services = platform_.ScreenSaver()) services->RepaintDesktop();
  }
  trayAnimation_.Stop();
  dragging_ = false;
  followMouse_ = false;
  attached_.reset();
  closed_ = true;
  closing_ = false;
  releasePending_ = true;
  Trace(Line("closed"));
  if (OnClosed) OnClosed();
}

void TCustomKPFPlayer::EndOnScreenSaverInput() {
  if (screenSaver_.EndsOnInput()) Close();
}

void TCustomKPFPlayer::Unwound() {
  PaceHousekeeping();
  if (!releasePending_) return;
  releasePending_ = false;
  // The retired timers are freed from the loop, never from inside one of their own ticks.
  std::weak_ptr<bool> alive = alive_;
  platform_.Loop().Post([this, alive] {
    if (auto flag = alive.lock(); flag && *flag) timers_.ReleaseRetired();
  });
  queue_.clear();
  arrays_.Clear();
  streams_.Clear();
  surfaces_.ReleaseAll();
  loopFlags_.Clear();
  Clear();
}

// ---- Triggers and scripts ----------------------------------------------------------------------

void TCustomKPFPlayer::FireScript(int32_t scriptId, const TriggerContext& context) {
  const project::TTaviScript* script = Model.ScriptById(scriptId);
  if (script == nullptr) return;
  context_ = context;
  RunScript(*script, -1);
}

void TCustomKPFPlayer::FireTrigger(int slot, int param) {
  const project::TTaviEvent* animation = CurrentAnimation();
  if (animation == nullptr || slot < 0 || static_cast<size_t>(slot) >= animation->EventScripts.size()) return;
  const project::TTaviScript* script = Model.ScriptById(animation->EventScripts[static_cast<size_t>(slot)]);
  if (script == nullptr || stopFlag_) return;
  Trace(Line("trigger").Int("slot", slot).Int("anim", currentIndex_));
  RunScript(*script, param);
}

void TCustomKPFPlayer::FireGlobal(int kind) {
  std::vector<int32_t> ids;
  for (const auto& script : Model.Scripts) {
    if (script.Trigger == kind) ids.push_back(script.Id);
  }
  if (ids.empty() || stopFlag_) return;
  Trace(Line("global").Int("kind", kind));
  for (const int32_t id : ids) FireScript(id, TriggerContext{});
}

void TCustomKPFPlayer::RunScript(const project::TTaviScript& script, int param) {
  if (stopFlag_) return;
  const int32_t id = script.Id;
  if (scriptDepth_ >= kMaxScriptDepth) {
    Trace(Line("script-dropped").Int("id", id));
    return;
  }
  BusyScope busy(*this);
  ++scriptDepth_;
  Trace(Line("script-start").Int("id", id).Text("name", script.Name));
  RunScriptItems(script, param, *this);
  Trace(Line("script-end").Int("id", id));
  --scriptDepth_;
}

bool TCustomKPFPlayer::RunMustEnd() { return stopFlag_ || platform_.Loop().Terminating(); }

void TCustomKPFPlayer::YieldToLoop() { platform_.Loop().ProcessEventsFor(1); }

// Waits in slices so that Close (the stop flag) and the end of the program end a long wait early.
void TCustomKPFPlayer::WaitMs(int64_t ms) {
  constexpr int64_t kSliceMs = 100;
  while (ms > 0 && !RunMustEnd()) {
    const int64_t slice = std::min(ms, kSliceMs);
    platform_.Loop().ProcessEventsFor(static_cast<uint32_t>(slice));
    ms -= slice;
  }
}

void TCustomKPFPlayer::FrameDone(const project::TTaviFrame& frame, int frameIndex) {
  state_.FrameIndex = frameIndex;
  ++state_.DrawCount;
  if (const project::TTaviScript* script = Model.ScriptById(frame.ScriptId)) RunScript(*script, -1);
  FireTrigger(2);
  FireGlobal(3);
}

void TCustomKPFPlayer::AnimationEnded(int eventIndex) {
  Trace(Line("anim-end").Int("index", currentIndex_).Int("kind", eventIndex));
  if (eventIndex == 2 && stopFlag_) {
    FireTrigger(1);
    Close();
    return;
  }
  const int index = currentIndex_;
  FireTrigger(1);
  const project::TTaviEvent* animation = CurrentAnimation();
  if (index != currentIndex_ || animation == nullptr || animation->RepeatCount > loopCount_) return;
  if (PlaybackEnabled()) return;
  if (!queue_.empty()) {
    const std::string next = queue_.front();
    queue_.pop_front();
    const uint64_t generation = generation_;
    PlayAnimationByName(next);
    // A queued name that plays nothing (missing animation) must not leave the character frozen.
    if (generation == generation_ && !PlaybackEnabled()) PlayAnimation(0, 0, -1);
  } else {
    PlayAnimation(0, 0, -1);
  }
}

void TCustomKPFPlayer::StopSounds() { sound_->StopSounds(); }

void TCustomKPFPlayer::PlaySoundNamed(const std::string& name, int mode) {
  if (muted_ || steppedAside_) return;
  int32_t found = -1;
  for (size_t i = 0; i < Model.Sounds.size(); ++i) {
    if (project::SameText(Model.Sounds[i].Name, name)) found = static_cast<int32_t>(i);
  }
  if (found >= 0) sound_->PlaySound(found, Model.Sounds[static_cast<size_t>(found)], mode);
}

void TCustomKPFPlayer::PauseOtherTimers(bool allTimers) {
  if (!allTimers) return;
  timers_.PauseAll();
  if (housekeeping_) housekeeping_->SetEnabled(false);
}

// ---- Frames --------------------------------------------------------------------------------------

void TCustomKPFPlayer::PlayFrameSounds(const project::TTaviFrame& frame, int frameIndex) {
  if (muted_ || steppedAside_ || frame.Sounds.empty()) return;
  if (frameIndex < 0 || static_cast<size_t>(frameIndex) >= soundCounters_.size()) return;
  auto& counters = soundCounters_[static_cast<size_t>(frameIndex)];
  counters.resize(frame.Sounds.size(), 0);
  for (size_t i = 0; i < frame.Sounds.size(); ++i) {
    const project::TTaviSound& reference = frame.Sounds[i];
    const int32_t count = ++counters[i];
    const int mode = reference.PlayMode;
    const bool play = mode == 2 || ((mode == 1 || mode == 3 || mode == 4) && count == 1);
    if (!play) continue;
    const int32_t index = reference.SoundIndex;
    if (index < 0 || static_cast<size_t>(index) >= Model.Sounds.size()) continue;
    sound_->PlaySound(index, Model.Sounds[static_cast<size_t>(index)], mode);
  }
}

void TCustomKPFPlayer::ShowFrame(int x, int y, const project::TTaviFrame& frame, int variant) {
  const uint64_t generation = generation_;
  if (x != left_ || y != top_) MoveAs(PlayerScreens::Move::Step, x, y);
  if (generation == generation_) DrawFrame(left_, top_, variant, frame);
}

void TCustomKPFPlayer::FrameShown(const project::TTaviFrame& frame, int index, int x, int y) {
  if (!trace_) return;
  const project::TTaviEvent* animation = CurrentAnimation();
  const int variant = animation != nullptr ? animation->Variant : 0;
  TraceLine line(NowMs(), "frame");
  line.Int("anim", currentIndex_).Int("index", index);
  if (frame.Kind == project::kImageFrame) {
    line.Int("image", frame.Variants[static_cast<size_t>(variant % 3)].Image).Int("variant", variant);
  } else {
    line.Int("kind", frame.Kind);
  }
  line.Int("x", x).Int("y", y);
  if (animation != nullptr) line.Int("w", animation->Width).Int("h", animation->Height);
  line.Int("ms", FrameIntervalMs(frame.Duration, speed_));
  Trace(line);
  if (frame.Kind == project::kDocumentFrame) Trace(Line("shell").Text("open", frame.Document));
}

}  // namespace kpf::engine
