#pragma once
// The engine: animation choice and play lists, window movement rules, triggers and scripts,
// input handlers, user timers, the popup-menu model and its commands, start (Run) and orderly
// stop (Close). Window operations are abstract; TFormKPFPlayer supplies them over a
// platform::NativeWindow.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "engine/DrawingSurfaces.hpp"
#include "engine/DocumentLauncher.hpp"
#include "engine/MainFormHandlers.hpp"
#include "engine/MemoryStreams.hpp"
#include "engine/OpenMessageBoxes.hpp"
#include "engine/PlayerDialogs.hpp"
#include "engine/PlayerDesktop.hpp"
#include "engine/PlayerMenu.hpp"
#include "engine/PlayerScreens.hpp"
#include "engine/ScreenSaverRole.hpp"
#include "engine/ScriptArrays.hpp"
#include "engine/SavedVariables.hpp"
#include "engine/ScriptRunner.hpp"
#include "engine/SoundOutput.hpp"
#include "engine/TKPF.hpp"
#include "engine/TrayAnimation.hpp"
#include "engine/Trace.hpp"
#include "engine/UserTimers.hpp"
#include "package/PackageHost.hpp"
#include "sandbox/FileAccess.hpp"
#include "script/RandomRange.hpp"
#include "script/SystemValues.hpp"
#include "script/TextEvaluator.hpp"

namespace kpf::dialogs {
class TMyObject;
}

namespace kpf::engine {

// The housekeeping tick's two paces (see PaceHousekeeping).
inline constexpr uint32_t kQuickHousekeepingMs = 100;
inline constexpr uint32_t kIdleHousekeepingMs = 1000;

// Longest text a variable holds, and most bytes one player's variables, arrays and streams hold
// together; an action that would go beyond is abandoned.
constexpr size_t kMaxScriptTextBytes = size_t{16} << 20;
constexpr size_t kMaxPlayerBytes = size_t{512} << 20;
// Most body bytes of an internet transfer (a whole character may be larger).
constexpr size_t kMaxTransferBytes = size_t{16} << 20;
constexpr size_t kMaxCharacterTransferBytes = size_t{64} << 20;

// How an internet transfer ended for the script: the body, or why there is none.
struct TransferOutcome {
  bool ok = false;
  std::vector<uint8_t> body;
  std::string failure;
};

// Deepest nesting of script runs; deeper runs are dropped.
constexpr int kMaxScriptDepth = 64;
// How often a close request waiting for project dialogs is retried.
constexpr int kMaxCloseRetries = 50;
// The project dialog the screen saver's settings mode shows (name compared without case).
constexpr const char* kScreenSaverSettingsDialog = "SSCONFIG";
// Option flag: the desktop is not repainted when the player closes.
constexpr int kOptionKeepDesktop = 10;
// Deepest nesting of play-list references ("<<RANDOM:" names inside play lists).
constexpr int kMaxPlayListDepth = 16;

// Who fired the running script.
struct TriggerContext {
  enum class SenderKind { Player, MenuEntry, Timer, Dialog, Surface } sender = SenderKind::Player;
  int32_t senderId = 0;  // which surface window (for SenderKind::Surface)
  int32_t menuTag = -1;
  std::string firstName;
  std::string secondName;
  // The dialog object behind a dialog trigger; it reads as empty once its window is gone.
  std::weak_ptr<dialogs::TMyObject> dialogObject;
};

// Arguments of a copy of the player started for a project file: the file (never mistaken for a
// switch), "-ve" with the child number and "-vh" with the parent's title.
std::vector<std::string> ProjectInstanceArguments(const std::string& projectFile, int32_t childNumber,
                                                  const std::string& parentTitle);

struct PlayerOptions {
  std::string executablePath = {};  // the running program, for "Run On Startup"
  std::string currentFolder = {};   // CURRENT_FOLDER and "{currdir}"
  // The character's own folder, a root of the file-access rules where relative names lie: that
  // of its package or project file, or "-KPFPATH" ("" = the current folder).
  std::string characterFolder = {};
  bool preview = false;        // project came from a project file, not the own package
  // The character steps aside (windows hidden, sounds muted) while a full-screen program is the
  // active window on its monitor.
  bool fullScreenHide = true;
  std::optional<ScreenSaverMode> screenSaver;  // none: the ordinary role
  // The file whose package the player plays (its own executable or a character file named on
  // the command line): the file a player copy is made from. Empty for project files and streams.
  std::string packagePath = {};
  uint32_t randomSeed = 0;
  // The character's private temporary folder: "{temp}", where its package's resources lie ("" =
  // none: the temporary folder is then no root of the file-access rules).
  std::string temporaryFolder = {};
  std::string documentsFolder = {};  // "" = the user's documents folder
  std::string settingsFolder = {};   // the per-user settings store ("" = its default folder)
  bool offline = false;         // every internet transfer fails at once
  // Tests only: internet transfers may reach loopback addresses (their own servers).
  bool allowLoopbackTransfers = false;
};

class TCustomKPFPlayer : public TKPF, public package::PackageHost, public ScriptRunnerHost {
 public:
  TCustomKPFPlayer(platform::Platform& platform, PlayerOptions options);
  ~TCustomKPFPlayer() override;

  // Wiring.
  // Called at the end of Close (the owner drops or hides the player).
  std::function<void()> OnClosed;
  // The Exit action: end the program (default: quit the event loop).
  std::function<void()> OnExitRequested;
  void SetTraceSink(TraceSink sink) { trace_ = std::move(sink); }
  void SetSoundOutput(SoundOutput* output);  // not owned; null: silent
  // Speech bubble and About box on the desktop (not owned; null: none).
  void SetDesktop(PlayerDesktop* desktop) { desktop_ = desktop; }
  // The main form's services (unset members: the actions that need them do nothing).
  void SetMainFormHandlers(MainFormHandlers handlers) { mainForm_ = std::move(handlers); }
  const PlayerOptions& Options() const { return options_; }
  script::PlayerState& State() { return state_; }
  script::SystemValues& SystemValues() { return systemValues_; }
  std::mt19937& Random() { return random_; }
  script::TextEvaluator& Evaluation() { return evaluation_; }
  // The files this character's actions may reach.
  const sandbox::FileAccess& Files() const { return files_; }
  const script::RandomRange& RandomSource() const { return randomRange_; }

  // Loading (PackageHost): closes the current project, then loads the compressed stream.
  void LoadProject(std::span<const uint8_t> compressedProject) override;
  void SetHeader(const package::PackageHeader& header) override;
  void ApplyInitialValue(const package::VariableValueRecord& value) override;
  std::vector<package::VariableValueRecord> ChangedStoredValues() const override;

  // Start routine: handlers, initialisation with the menu, Run; false when the player closed.
  bool Start();
  void InitHandlers();
  void Initialize();
  bool Run();
  void Close();
  bool Closed() const { return closed_; }
  // Closed and unwound: nothing of the player runs any more, so its owner may destroy it.
  bool Released() const { return closed_ && !releasePending_; }

  // Animations.
  void PlayAnimation(int kind, int subkind, int index);
  void PlayAnimationByName(const std::string& name);
  void PlayPlayList(const std::string& name);
  void StartAnimation() override;
  void SetPosition(int x, int y);
  void HousekeepingTick();
  // Ten housekeeping ticks a second while something counts them (a hint closing, a character
  // following the pointer or attached to a window, a screen saver that ends on input), else one:
  // the rest of the tick (monitors, full-screen programs, the once-a-second trigger) needs no
  // more, and an idle character then wakes once a second between its frames.
  void PaceHousekeeping();
  // True while the character's windows are hidden and its sounds muted for a full-screen program.
  bool SteppedAside() const { return steppedAside_; }

  // Triggers and scripts.
  void FireScript(int32_t scriptId, const TriggerContext& context);
  // FireScript from an event of a window (a dialog control, a dialog window).
  void FireEventScript(int32_t scriptId, const TriggerContext& context);
  void FireTrigger(int slot, int param = -1);
  void FireGlobal(int kind);
  void RunScript(const project::TTaviScript& script, int param);
  int ScriptDepth() const { return scriptDepth_; }
  const TriggerContext& Context() const { return context_; }
  // A sender that is going away: the trigger context no longer names it.
  void ForgetSender(TriggerContext::SenderKind kind, int32_t id) {
    if (context_.sender == kind && context_.senderId == id) context_ = TriggerContext{};
  }

  // Input from the character window.
  void MouseDown(platform::MouseButton button, int x, int y);
  void MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY);
  void MouseUp(platform::MouseButton button);
  void DblClick();
  void KeyDown(int keyCode);
  void KeyUp(int keyCode);

  // Menu and commands.
  PlayerMenu& Menu() { return menu_; }
  void BuildPopupMenu();
  void ApplyMenuVisibility();
  void HideClick();
  void MuteClick();
  void AboutClick();
  void RunOnStartupClick();
  void StayOnTopClick(bool redraw);
  void UninstallClick();
  void CloseClick(bool fromMenu);
  void MenuItemClick(int32_t tag);
  // Clicks a menu item (command or project entry).
  void ClickMenuItem(const MenuItem& item);
  void ShowCharacter();
  void HideCharacter();
  void Mute();
  void Unmute();
  void SetMenuProperty(const std::string& entryName, int property, const std::string& value);
  // The ShowHint action: PrepareHint, the bubble with its tail at (x, y), and the countdown of
  // `ticks` housekeeping ticks after which it closes.
  void ShowSpeechHint(const std::string& text, int x, int y, int ticks);

  // Script-visible services.
  UserTimers& Timers() { return timers_; }
  // A user timer running `scriptId` every `periodMs`; its index, or -1 when none could be made.
  int32_t CreateUserTimer(int32_t scriptId, uint32_t periodMs, int32_t repeatCount);
  ScriptArrays& Arrays() { return arrays_; }
  MemoryStreams& Streams() { return streams_; }
  PlayerDialogs& Dialogs() { return dialogs_; }
  DrawingSurfaces& Surfaces() { return surfaces_; }
  ScreenSaverRole& ScreenSaver() { return screenSaver_; }
  void ClearAnimationQueue() { queue_.clear(); }
  // The Exit action: ends the program from the event loop (OnExitRequested), unless closing.
  void RequestExit();
  void StopSounds();
  // Plays the project sound with that name (case-insensitive, the last match wins) with the play
  // mode, unless muted; an unknown name plays nothing.
  void PlaySoundNamed(const std::string& name, int mode);
  // Lets the loop run for `ms`, ending early when the loop ends (the Wait action).
  void WaitMs(int64_t ms);
  // A line for Trace stamped with the loop time; an empty one that formats nothing while no
  // trace sink is set.
  TraceLine Line(std::string_view event) const { return trace_ ? TraceLine(NowMs(), event) : TraceLine(); }
  void Trace(const TraceLine& line);
  bool Tracing() const { return static_cast<bool>(trace_); }
  // Other characters: child processes and further characters started so far (the number the
  // next child process is given), and the handle of this character (CURRENT_INSTANCE).
  int32_t ChildInstanceCount() const { return childInstances_; }
  int32_t OwnHandle() const;
  void RunProjectInstance(const std::string& name);
  // The new character's handle (0: none was made); nothing without the main form.
  std::optional<int32_t> LoadCharacter(const std::string& name);
  void SendVariable(int32_t target, const project::TTaviVariable& variable);
  void CloseCharacters(int32_t parentHandle, int32_t handle);
  // A further character from a package or project held in memory (0: none was made); nothing
  // without the main form.
  std::optional<int32_t> LoadCharacterFromBytes(std::span<const uint8_t> bytes);

  // Files, documents, programs and transfers (PlayerFiles.cpp).
  // Throws (abandoning the action) when `extraBytes` more would take the player's variables,
  // arrays and streams beyond kMaxPlayerBytes.
  void EnsureRoomFor(size_t extraBytes) const;
  size_t HeldBytes() const;
  SavedVariables& Saved() { return saved_; }
  // A web address (HTTP: or MAILTO:) goes to the desktop; any other text is a file name,
  // resolved, then asked about and opened or started with `arguments`.
  OpenOutcome OpenDocument(const std::string& text, const std::string& arguments);
  OpenOutcome OpenWebAddress(const std::string& address);
  // A copy of the package the character came from with the changed stored values, written
  // through the rules for player copies; false when nothing was written.
  bool SavePlayerCopy(const std::string& name);
  // Transfers `url` while the script waits (messages go on being processed); the player's stop
  // flag, --offline, the address rules and the caps make it fail.
  TransferOutcome Transfer(const std::string& url, size_t maxBodyBytes);
  // A "file" trace line: the action's code and the resolved name, or "refused".
  void TraceFile(int code, const std::optional<std::string>& path);

  // The window, message-box and tray side of the player (PlayerWindow.cpp).
  const MainFormHandlers& MainForm() const { return mainForm_; }
  bool FollowsMouse() const { return followMouse_; }
  // The application was minimised or restored: the window state and global trigger 7 or 8.
  void ApplicationMinimised(bool minimised);
  // The animation alpha (what "Stay On Top" re-applies) and the window's opacity, 0..255.
  void SetOpacity(int64_t alpha);
  // "Run On Startup" from a script: the autostart entry and the menu tick (not on preview).
  void SetRunOnStartup(bool enabled);
  // The application's title (player 0's), this player's own without a main form.
  std::string ApplicationTitle() const;
  OpenMessageBoxes& MessageBoxes() { return messageBoxes_; }
  TrayAnimation& TrayIconAnimation() { return trayAnimation_; }

  // ScriptRunnerHost.
  int ExecuteAction(const project::TTaviScript& script, const project::TKPFExeAction& item, int param,
                    RunState& state) override;
  bool RunMustEnd() override;
  void YieldToLoop() override;
  ForLoopFlags& LoopFlags() override { return loopFlags_; }

  // Window operations supplied by the concrete player.
  virtual void DrawFrame(int x, int y, int variant, const project::TTaviFrame& frame) = 0;
  virtual void SetAlpha(uint8_t alpha) = 0;
  virtual void SetFormStyle(bool stayOnTop) = 0;
  virtual bool GetFormStyle() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  // Hides the character window for a full-screen program, or brings it back as it was.
  virtual void SetWindowAside(bool aside) { (void)aside; }
  virtual void RepaintWindow() = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  // Shows the project cursor at that position over the character; -1: the default cursor.
  virtual void SetCursor(int cursorIndex) = 0;
  virtual void PrepareHint() = 0;
  virtual void MenuPopup() = 0;
  // Pops the player's menu up at the mouse pointer when the player has one (ShowPopupMenu).
  virtual void PopupMenuAtPointer() = 0;
  virtual void SetPopupMenu(bool attached) = 0;
  // Moves the character window (the window part of SetPosition); while window updates are
  // suspended the move is only stored.
  virtual void MoveWindow(int x, int y) = 0;
  // Raises and activates the character window through the window manager.
  virtual void ActivateWindow() = 0;
  // Restacks the character window directly below the desktop window `windowId`, at its position
  // with the current animation's size; false when that window cannot be used.
  virtual bool PlaceBelowWindow(uint64_t windowId) = 0;
  // Visible project dialogs.
  virtual int VisibleDialogCount() const;
  // Shows the project dialog with that name (compared without case) modally and returns when it
  // has closed; false, showing nothing, when there is no such dialog (the screen saver's settings
  // mode then shows the About box).
  virtual bool ShowDialogModalByName(std::string_view name);
  // Gives the picture object named "DIALOG.OBJECT" the picture held in `stream` through its
  // property `code` (20: a stored picture, 21: an animated picture); nothing without dialogs.
  virtual void SetObjectPictureFromStream(std::string_view objectName, int code, const MemoryStream& stream);

 protected:
  void PlayFrameSounds(const project::TTaviFrame& frame, int frameIndex) override;
  void OpenDocumentFrame(const std::string& document) override;
  void ShowFrame(int x, int y, const project::TTaviFrame& frame, int variant) override;
  void FrameShown(const project::TTaviFrame& frame, int index, int x, int y) override;
  void AfterMove(int x, int y);
  // The rectangle of the character window at that corner, with the current animation's size.
  platform::Rect WindowAt(int x, int y);
  void PauseOtherTimers(bool allTimers) override;
  void StopSoundPlayers() override { StopSounds(); }
  void SetLeftTop(int x, int y) { left_ = x; top_ = y; }

 private:
  void FrameDone(const project::TTaviFrame& frame, int frameIndex);
  void AnimationEnded(int eventIndex);
  void PlayAnimationByNameAt(const std::string& name, int depth);
  void AttachCheck(const project::TTaviEvent& animation);
  // Whether the active window is a full-screen program on the character's monitor (and not the
  // character's own full-screen dialog).
  bool FullScreenProgramCovers();
  void StepAside(bool aside);
  std::optional<platform::DesktopWindow> FindAttachWindow();
  void RetryCloseRequest();
  void Unwound() override;
  void UpdateRunOnStartupState();
  void CountChildInstance();
  void TimerFired(size_t index);
  // Screen-saver input that ends the player (in the running mode only).
  void EndOnScreenSaverInput();
  void ShowTrayFrame(const project::TTaviEvent& animation, int frameIndex, uint32_t intervalMs);

  PlayerOptions options_;
  std::mt19937 random_;
  script::RandomRange randomRange_;
  script::SystemValues systemValues_;
  script::PlayerState& state_;
  script::TextEvaluator evaluation_;
  sandbox::FileAccess files_;
  TraceSink trace_;
  SilentSoundOutput silent_;
  SoundOutput* sound_ = &silent_;
  PlayerMenu menu_;
  UserTimers timers_;
  ScriptArrays arrays_;
  ForLoopFlags loopFlags_;
  MemoryStreams streams_;
  DrawingSurfaces surfaces_{*this};
  OpenMessageBoxes messageBoxes_;  // before the launcher, whose questions it holds
  DocumentLauncher launcher_;
  SavedVariables saved_;
  ScreenSaverRole screenSaver_;
  TrayAnimation trayAnimation_{platform_, Model, [this](const project::TTaviEvent& animation, int frame,
                                                        uint32_t ms) { ShowTrayFrame(animation, frame, ms); }};
  std::deque<std::string> queue_;
  std::unique_ptr<platform::Timer> housekeeping_;
  TriggerContext context_;
  PlayerScreens screens_{platform_};
  // How the move being made came about (what the character's monitor follows).
  PlayerScreens::Move moving_ = PlayerScreens::Move::Place;
  // Makes SetPosition(x, y) a move of that kind.
  void MoveAs(PlayerScreens::Move how, int x, int y);

  bool steppedAside_ = false;
  bool initialised_ = false;
  bool visibilityApplied_ = false;
  bool stopFlag_ = false;
  bool closing_ = false;
  bool closed_ = false;
  bool releasePending_ = false;
  int scriptDepth_ = 0;
  int afterMoveDepth_ = 0;
  int closeRetries_ = 0;
  bool draggable_ = true;
  bool dragging_ = false;
  bool dblClickPending_ = false;
  int grabX_ = 0;
  int grabY_ = 0;
  std::optional<platform::DesktopWindow> attached_;
  platform::Point lastPointer_{};
  int hintCountdown_ = -1;
  PlayerDesktop* desktop_ = nullptr;
  MainFormHandlers mainForm_;
  int32_t childInstances_ = 0;
  int tickCount_ = 0;
  uint8_t animationAlpha_ = 255;
  bool startScriptsRan_ = false;
  // Play counters of the current animation's frame sound references.
  std::vector<std::vector<int32_t>> soundCounters_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // Last, so the dialog windows go first.
  PlayerDialogs dialogs_{*this};
};

}  // namespace kpf::engine
