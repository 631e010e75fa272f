#pragma once
// The hidden main form: creates and owns the players of the process (one per running character),
// offers them its services (further players, messages between players, tray, close of child
// characters) and ends the program when no player runs any more.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/ApplicationTitles.hpp"
#include "app/CommandLine.hpp"
#include "app/MessageChannel.hpp"
#include "engine/DesktopServices.hpp"
#include "engine/SoundOutput.hpp"
#include "engine/TFormKPFPlayer.hpp"
#include "package/ExtractedFileList.hpp"
#include "package/PrivateTempFolder.hpp"
#include "package/TemporaryFile.hpp"
#include "package/PackageReader.hpp"
#include "platform/Platform.hpp"

namespace kpf::app {

// Option flag: the tray icon shows (else it and the "Hide" item are hidden).
constexpr int kOptionTrayIcon = 2;
// Option flag of player 0: secondary players keep their "Hide" item hidden.
constexpr int kOptionHideSecondaryHide = 6;

// Further characters that scripts load: how deeply loads may nest (a character whose start
// script loads itself) and how many characters may run in the process at once.
constexpr int kMaxNestedLoads = 8;
constexpr size_t kMaxRunningPlayers = 32;
// A secondary viewer whose title another process holds tries "<title>_2" and on, this many.
constexpr int kMaxViewerTitleAttempts = 1000;

// Codes of the messages other processes send to the application (see MessageChannel).
constexpr int32_t kMessageRunScript = 128;       // param: position in the script list
constexpr int32_t kMessagePlayAnimation = 129;   // param: position in the animation list
constexpr int32_t kMessageCloseNow = 130;        // forget the parent title, close at once
constexpr int32_t kMessageCloseRequest = 131;    // forget the parent title, ask to close
constexpr int32_t kMessageEndProgram = 132;      // end the program

// What the main form last asked of the tray icon (the icon itself belongs to player 0's desktop
// services).
struct TrayState {
  bool created = false;
  bool visible = false;
  std::string hint;
  std::string balloonTitle;
  std::string balloonText;
  int balloonIcon = 0;
  bool customPicture = false;
};

class TfmPlayer {
 public:
  using SoundOutputFactory = std::function<std::unique_ptr<engine::SoundOutput>(engine::TFormKPFPlayer&)>;

  struct Settings {
    std::string executablePath;           // the running program (its package and folder)
    std::vector<std::string> arguments;   // the command line after the program name
    std::string fallbackProject;          // played by player 0 when there is neither package nor project file
    // Package resource files go here and it is every character's "{temp}" ("" = each character
    // gets a private temporary folder of its own).
    std::string resourceFolder;
    // Makes and lists those private folders (null: they are made directly in $TMPDIR).
    package::TTemporaryFile* temporaryFiles = nullptr;
    bool offline = false;                 // every internet transfer of every character fails
    // Characters step aside for full-screen programs (the per-user setting; "--no-fullscreen-hide"
    // turns it off as well).
    bool fullScreenHide = true;
    bool allowLoopbackTransfers = false;  // tests only: transfers may reach loopback servers
    SoundOutputFactory soundOutput;       // null: players stay silent
    std::function<void()> terminate;      // ends the program (default: quit the loop with 0)
    uint32_t randomSeed = 0;
    // Folder of the message sockets (MessageChannel::DefaultFolder()); "" = no messages between
    // processes, neither received nor sent.
    std::string messageFolder;
    // The players' screen-saver mode; none: the ordinary role ("-SCRPREVIEW" still makes them run
    // as a screen saver).
    std::optional<engine::ScreenSaverMode> screenSaverMode;
    // Told "FILE: reason" for each file named on the command line that cannot be played.
    std::function<void(const std::string&)> reportStartFailure;
  };

  // Creates the players of the character files named on the command line (packages of any
  // name, or the project file), the first being player 0; without such files player 0 plays the
  // package of the executable.
  TfmPlayer(platform::Platform& platform, Settings settings);
  ~TfmPlayer();
  TfmPlayer(const TfmPlayer&) = delete;
  TfmPlayer& operator=(const TfmPlayer&) = delete;

  // --- Services offered to the players ---------------------------------------------------------
  // A further player: from `fileName`, from a compressed project `stream`, or (neither) from the
  // command line / package. Returns the player, also when its project did not start.
  engine::TFormKPFPlayer* CreatePlayer(int32_t parentHandle, const std::string& fileName,
                                       std::optional<std::span<const uint8_t>> stream = std::nullopt);
  // Closes the main form: the program ends.
  void CloseHost();
  // Delivers `variable` of `sender` to the player with handle `target` (-1: every other player).
  void SendToPlayers(const engine::TFormKPFPlayer& sender, int32_t target, const project::TTaviVariable& variable);
  // A balloon at player 0's tray icon (it replaces any balloon shown); an icon kind outside 0 to
  // 3 shows no icon.
  void TrayBalloon(const platform::Balloon& balloon);
  // The tray icon shows a reduced copy of the picture (at most 20 changes a second), or the
  // application icon again for an empty picture.
  void TrayIcon(const platform::Picture& picture);
  // The platform's report that the application was minimised or restored: trigger 7 or 8 in
  // every player of `Instances`.
  void ApplicationMinimised(bool minimised);
  // With a parent handle: close requests to its children; else to the player with `handle`.
  void CloseChildren(int32_t parentHandle, int32_t handle);
  void RemovePlayer(const engine::TFormKPFPlayer& player);
  // A message from another process (codes above); delivered to player 0. Unknown codes and
  // positions outside the lists are ignored.
  void HandleMessage(int32_t code, int32_t param);

  // --- State -------------------------------------------------------------------------------------
  // Activation: ends the program when no player runs. Returns true when one still runs.
  bool CheckPlayersRunning();
  bool AnyPlayerRunning() const;
  bool Terminated() const { return terminated_; }
  size_t PlayerCount() const { return players_.size(); }
  engine::TFormKPFPlayer& Player(size_t number) { return *players_.at(number)->player; }
  // Players still in `Instances`, in creation order.
  std::vector<engine::TFormKPFPlayer*> Instances() const;
  // The handle scripts see in CURRENT_INSTANCE; 0 for a player of another form.
  int32_t HandleOf(const engine::TFormKPFPlayer& player) const;
  engine::TFormKPFPlayer* FindByHandle(int32_t handle) const;
  const package::ExtractedFileList& ExtractedFiles(size_t number) const { return players_.at(number)->extracted; }
  const std::string& ApplicationTitle() const { return applicationTitle_; }
  const std::string& ParentTitle() const { return parentTitle_; }
  const TrayState& Tray() const { return tray_; }
  const CommandLine& Arguments() const { return commandLine_; }
  // True when other processes can reach this one under its application title.
  bool ListeningForMessages() const { return channel_ != nullptr && channel_->Listening(); }

 private:
  struct Entry {
    // Declared first: goes last, after the player and its extracted files.
    std::unique_ptr<package::PrivateTempFolder> temporary;
    std::unique_ptr<engine::TFormKPFPlayer> player;
    std::unique_ptr<engine::SoundOutput> sound;
    // Declared after the player: destroyed before it, as it must be.
    std::unique_ptr<engine::DesktopServices> desktop;
    package::ExtractedFileList extracted;
    int32_t handle = 0;
    int32_t parentHandle = 0;
    bool inInstances = false;
    bool namedOnCommandLine = false;  // one of several character files the user started
  };

  Entry& NewEntry(int32_t parentHandle, engine::PlayerOptions options);
  // The folder package resources of `entry` go to (with a trailing "/").
  std::string ResourceFolderOf(const Entry& entry) const;
  // The next handle no entry has: 1 up, wrapping to 1, never 0 or -1 (-1 means "every other").
  int32_t UnusedHandle();
  engine::MainFormHandlers HandlersFor(Entry& entry);
  // A further character for a script, from a file or from bytes in memory (a package or a
  // compressed project); 0 when the limits above refuse it.
  int32_t LoadCharacterFor(int32_t parentHandle, const std::string& fileName,
                           std::optional<std::span<const uint8_t>> bytes = std::nullopt);
  size_t RunningPlayerCount() const;
  // Listens under the application title; a secondary viewer whose title is taken takes a free one.
  void OpenMessageChannel();
  void RenameApplication(const std::string& title);
  // The post-load steps every new player takes: system values, switches, tray, start.
  engine::TFormKPFPlayer& FinishPlayer(Entry& entry, int32_t parentHandle, const std::string& currentFolder);
  bool IsFirst(const Entry& entry) const { return !players_.empty() && players_.front().get() == &entry; }
  // The files of the command line, in order: packages, and the last project file.
  void StartCharacterFiles();
  void StartCharacterFile(const std::string& fileName, bool package);
  // Forgets a player that never started (its extracted files go with it).
  void DropLastEntry();
  void ReportStartFailure(const std::string& message) const;
  void LoadFromCommandLine(Entry& entry, std::optional<std::span<const uint8_t>> stream);
  bool LoadFile(Entry& entry, const std::string& fileName);
  package::PackageReadResult ReadPackageFile(Entry& entry, const std::string& fileName);
  // Another character file of the command line is still running.
  bool OtherCommandLineCharacterRunning(const Entry& entry) const;
  void ApplyStartSwitches(engine::TFormKPFPlayer& player);
  void SetupTray(Entry& entry);
  // The "Hide" item: player 0 keeps it only with the tray icon; further players unless player
  // 0's option flag 6 is set.
  void ApplyHideItem(Entry& entry);
  void PlayerClosed(Entry& entry);
  // Destroys closed further characters once they have unwound, so characters that scripts load
  // and close again and again do not pile up. Never while the form walks its players.
  void ReclaimClosedChildren();
  void ReleaseEntry(Entry& entry);
  Entry* EntryOf(const engine::TFormKPFPlayer& player) const;
  std::string ExecutableFolder() const;
  // Tells the secondary viewer processes that the main viewer closed.
  void CloseSecondaryViewers();

  platform::Platform& platform_;
  Settings settings_;
  CommandLine commandLine_;
  std::vector<std::unique_ptr<Entry>> players_;
  std::string applicationTitle_ = kApplicationTitle;
  std::string parentTitle_;
  TrayState tray_;
  int32_t nextHandle_ = 1;
  int loadDepth_ = 0;
  int walkingPlayers_ = 0;  // calls that hold pointers to several players
  int deliveryDepth_ = 0;   // SendToPlayers calls on the stack
  bool constructing_ = true;
  bool terminated_ = false;
  std::unique_ptr<MessageChannel> channel_;
};

// Sets CURRENT_FOLDER, CURRENT_ANIMATION_COUNT, PARENT_HANDLE or CURRENT_INSTANCE of a player.
void SetSystemValue(engine::TFormKPFPlayer& player, const char* name, const project::VariantValue& value);

}  // namespace kpf::app
