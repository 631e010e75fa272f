#include "app/TfmPlayer.hpp"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "package/PackageReader.hpp"
#include "package/ResourceFiles.hpp"

namespace kpf::app {

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::absolute(fs::path(path)).parent_path();
  return folder.string();
}

constexpr const char* kNotACharacter = "not a character package or project file";

bool HasSomethingToPlay(const engine::TFormKPFPlayer& player) {
  return !player.Model.Animations.empty() || !player.Model.Scripts.empty();
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

// Counts a call on the stack for as long as it runs.
class CallDepthScope {
 public:
  explicit CallDepthScope(int& depth) : depth_(depth) { ++depth_; }
  ~CallDepthScope() { --depth_; }
  CallDepthScope(const CallDepthScope&) = delete;
  CallDepthScope& operator=(const CallDepthScope&) = delete;

 private:
  int& depth_;
};

}  // namespace

void SetSystemValue(engine::TFormKPFPlayer& player, const char* name, const project::VariantValue& value) {
  // These system variables read back their stored value; writing it directly avoids the
  // set-value effects, which belong to scripts.
  if (project::TTaviVariable* variable = player.Model.VariableByName(name)) variable->Value = variable->Converted(value);
}

TfmPlayer::TfmPlayer(platform::Platform& platform, Settings settings)
    : platform_(platform), settings_(std::move(settings)), commandLine_(ParseCommandLine(settings_.arguments)) {
  if (!settings_.terminate) settings_.terminate = [this] { platform_.Loop().Quit(0); };
  // The screen saver's settings carry their own title until the character names the application.
  if (settings_.screenSaverMode == engine::ScreenSaverMode::Configure) applicationTitle_ = kScreenSaverTitle;
  if (commandLine_.files.empty()) {
    CreatePlayer(0, {});
  } else {
    StartCharacterFiles();
  }
  constructing_ = false;
  platform_.SetOnApplicationMinimised([this](bool minimised) { ApplicationMinimised(minimised); });
  if (!settings_.messageFolder.empty()) OpenMessageChannel();
}

void TfmPlayer::OpenMessageChannel() {
  auto handler = [this](int32_t code, int32_t param) { HandleMessage(code, param); };
  std::string title = applicationTitle_;
  channel_ = std::make_unique<MessageChannel>(platform_.Loop(), settings_.messageFolder, title, handler);
  // Two parents (or two characters of one) each number their children from 0, so a child
  // viewer's title may already be held; the close broadcast must reach every viewer.
  if (!applicationTitle_.starts_with(kSecondaryViewerTitle)) return;
  for (int attempt = 2; channel_->TitleTaken() && attempt <= kMaxViewerTitleAttempts; ++attempt) {
    title = applicationTitle_ + "_" + std::to_string(attempt);
    channel_.reset();
    channel_ = std::make_unique<MessageChannel>(platform_.Loop(), settings_.messageFolder, title, handler);
  }
  if (channel_->Listening() && title != applicationTitle_) RenameApplication(title);
}

void TfmPlayer::RenameApplication(const std::string& title) {
  applicationTitle_ = title;
  if (players_.empty()) return;
  Entry& first = *players_.front();
  first.player->Title = title;
  tray_.hint = title;
  if (desktop::TCoolTrayIcon* tray = first.desktop->Tray()) tray->SetHint(title);
}

TfmPlayer::~TfmPlayer() {
  // No message (nor minimise report) may arrive while the players go.
  channel_.reset();
  platform_.SetOnApplicationMinimised(nullptr);
  // Players go in reverse creation order; each one's extracted files go with its entry.
  while (!players_.empty()) {
    ReleaseEntry(*players_.back());
    players_.pop_back();
  }
}

void TfmPlayer::ReleaseEntry(Entry& entry) {
  entry.player->OnClosed = nullptr;
  entry.player->SetSoundOutput(nullptr);
  entry.desktop.reset();
}

void TfmPlayer::ReclaimClosedChildren() {
  if (walkingPlayers_ > 0 || terminated_ || players_.size() < 2) return;
  const auto reclaimable = [](const std::unique_ptr<Entry>& entry) {
    return entry->parentHandle != 0 && entry->player->Released();
  };
  for (auto entry = players_.begin() + 1; entry != players_.end(); ++entry) {
    if (reclaimable(*entry)) ReleaseEntry(**entry);
  }
  players_.erase(std::remove_if(players_.begin() + 1, players_.end(), reclaimable), players_.end());
}

std::string TfmPlayer::ExecutableFolder() const { return FolderOf(settings_.executablePath); }

std::string TfmPlayer::ResourceFolderOf(const Entry& entry) const {
  std::string folder = entry.temporary ? entry.temporary->Path() : settings_.resourceFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

TfmPlayer::Entry& TfmPlayer::NewEntry(int32_t parentHandle, engine::PlayerOptions options) {
  auto entry = std::make_unique<Entry>();
  entry->handle = UnusedHandle();
  options.executablePath = settings_.executablePath;
  options.offline = settings_.offline;
  options.fullScreenHide = settings_.fullScreenHide && commandLine_.fullScreenHide;
  options.allowLoopbackTransfers = settings_.allowLoopbackTransfers;
  if (settings_.resourceFolder.empty()) {
    entry->temporary = std::make_unique<package::PrivateTempFolder>(settings_.temporaryFiles);
    options.temporaryFolder = entry->temporary->Path();
  } else {
    options.temporaryFolder = settings_.resourceFolder;
  }
  options.screenSaver = settings_.screenSaverMode;
  if (!options.screenSaver && commandLine_.screenSaverPreview) options.screenSaver = engine::ScreenSaverMode::Run;
  // Handles are never given twice, so neither is a seed (player counts fall as closed ones go).
  options.randomSeed = settings_.randomSeed + static_cast<uint32_t>(entry->handle - 1);
  entry->player = std::make_unique<engine::TFormKPFPlayer>(platform_, std::move(options));
  entry->parentHandle = parentHandle;
  Entry& added = *entry;
  players_.push_back(std::move(entry));
  engine::TFormKPFPlayer& player = *added.player;
  player.SetMainFormHandlers(HandlersFor(added));
  player.OnClosed = [this, &added] { PlayerClosed(added); };
  player.OnExitRequested = [this] { CloseHost(); };
  if (settings_.soundOutput) {
    added.sound = settings_.soundOutput(player);
    player.SetSoundOutput(added.sound.get());
  }
  // The right-click menu, speech bubble, About box, cursors and (player 0) tray icon.
  added.desktop = std::make_unique<engine::DesktopServices>(platform_, player);
  return added;
}

int32_t TfmPlayer::UnusedHandle() {
  for (;;) {
    const int32_t handle = nextHandle_;
    nextHandle_ = nextHandle_ == std::numeric_limits<int32_t>::max() ? 1 : nextHandle_ + 1;
    if (FindByHandle(handle) == nullptr) return handle;
  }
}

engine::MainFormHandlers TfmPlayer::HandlersFor(Entry& entry) {
  engine::MainFormHandlers handlers;
  handlers.createPlayer = [this](int32_t parentHandle, const std::string& fileName) {
    return LoadCharacterFor(parentHandle, fileName);
  };
  handlers.createPlayerFromBytes = [this](int32_t parentHandle, std::span<const uint8_t> bytes) {
    return LoadCharacterFor(parentHandle, {}, bytes);
  };
  handlers.sendToPlayers = [this, &entry](int32_t target, const project::TTaviVariable& variable) {
    SendToPlayers(*entry.player, target, variable);
  };
  handlers.closeChildren = [this](int32_t parentHandle, int32_t handle) { CloseChildren(parentHandle, handle); };
  handlers.applicationTitle = [this] { return applicationTitle_; };
  handlers.setTrayIcon = [this](const platform::Picture& picture) { TrayIcon(picture); };
  handlers.showTrayBalloon = [this](const platform::Balloon& balloon) { TrayBalloon(balloon); };
  return handlers;
}

size_t TfmPlayer::RunningPlayerCount() const {
  return static_cast<size_t>(
      std::count_if(players_.begin(), players_.end(), [](const auto& entry) { return !entry->player->Closed(); }));
}

int32_t TfmPlayer::LoadCharacterFor(int32_t parentHandle, const std::string& fileName,
                                    std::optional<std::span<const uint8_t>> bytes) {
  if (terminated_ || loadDepth_ >= kMaxNestedLoads || RunningPlayerCount() >= kMaxRunningPlayers) return 0;
  const CallDepthScope nested(loadDepth_);
  const engine::TFormKPFPlayer* player = CreatePlayer(parentHandle, fileName, bytes);
  // One that loaded nothing to play has closed already: its handle would name nothing live.
  return player != nullptr && !player->Closed() ? HandleOf(*player) : 0;
}

engine::TFormKPFPlayer* TfmPlayer::CreatePlayer(int32_t parentHandle, const std::string& fileName,
                                                std::optional<std::span<const uint8_t>> stream) {
  engine::PlayerOptions options;
  std::string currentFolder = ExecutableFolder();
  if (!fileName.empty()) {
    currentFolder = FolderOf(fileName);
  } else if (!stream && commandLine_.projectFile) {
    options.preview = true;
    options.characterFolder = FolderOf(*commandLine_.projectFile);
    if (commandLine_.currentFolder) currentFolder = options.characterFolder = *commandLine_.currentFolder;
  } else if (!stream && package::IsPackageFile(settings_.executablePath)) {
    options.packagePath = settings_.executablePath;
  }
  options.currentFolder = currentFolder;
  Entry& entry = NewEntry(parentHandle, std::move(options));
  if (!fileName.empty()) {
    LoadFile(entry, fileName);
  } else {
    LoadFromCommandLine(entry, stream);
  }
  return &FinishPlayer(entry, parentHandle, currentFolder);
}

engine::TFormKPFPlayer& TfmPlayer::FinishPlayer(Entry& entry, int32_t parentHandle, const std::string& currentFolder) {
  engine::TFormKPFPlayer& player = *entry.player;
  SetSystemValue(player, "CURRENT_FOLDER", currentFolder);
  SetSystemValue(player, "CURRENT_ANIMATION_COUNT", static_cast<int32_t>(player.Model.Animations.size()));
  SetSystemValue(player, "PARENT_HANDLE", parentHandle);
  ApplyStartSwitches(player);
  entry.desktop->RegisterCursors();
  if (IsFirst(entry)) applicationTitle_ = player.Title;
  entry.inInstances = true;
  SetupTray(entry);
  SetSystemValue(player, "CURRENT_INSTANCE", entry.handle);
  // A player that loaded nothing would otherwise keep the process alive with nothing to show.
  if (HasSomethingToPlay(player)) {
    player.Start();
    ApplyHideItem(entry);
  } else {
    player.Close();
  }
  package::TrimWorkingSet();
  return player;
}

void TfmPlayer::StartCharacterFiles() {
  const std::vector<std::string>& files = commandLine_.files;
  std::vector<bool> package(files.size());
  std::optional<size_t> lastProject;
  for (size_t i = 0; i < files.size(); ++i) {
    package[i] = package::IsPackageFile(files[i]);
    if (!package[i] && IsProjectFileArgument(files[i])) lastProject = i;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (package[i] || i == lastProject) {
      StartCharacterFile(files[i], package[i]);
    } else if (!IsProjectFileArgument(files[i])) {
      ReportStartFailure(files[i] + ": " + kNotACharacter);
    }
  }
}

void TfmPlayer::StartCharacterFile(const std::string& fileName, bool package) {
  engine::PlayerOptions options;
  std::string currentFolder;
  if (package) {
    // A character file plays like the program it was made as: from its own folder.
    currentFolder = FolderOf(fileName);
    options.packagePath = fs::absolute(fileName).string();
  } else {
    options.preview = true;
    currentFolder = commandLine_.currentFolder.value_or(ExecutableFolder());
    // Its own files lie next to the project file (or in the folder "-KPFPATH" names).
    options.characterFolder = commandLine_.currentFolder.value_or(FolderOf(fileName));
  }
  options.currentFolder = currentFolder;
  Entry& entry = NewEntry(0, std::move(options));
  entry.namedOnCommandLine = true;
  std::string problem;
  if (package) {
    const package::PackageReadResult read = ReadPackageFile(entry, fileName);
    if (!read.ProjectLoaded) problem = read.Error;
  } else if (!LoadFile(entry, fileName)) {
    problem = "Error decoding file";
  }
  if (!HasSomethingToPlay(*entry.player)) {
    ReportStartFailure(fileName + ": " + (problem.empty() ? kNotACharacter : problem));
    DropLastEntry();
    return;
  }
  FinishPlayer(entry, 0, currentFolder);
}

void TfmPlayer::ReportStartFailure(const std::string& message) const {
  if (settings_.reportStartFailure) settings_.reportStartFailure(message);
}

void TfmPlayer::DropLastEntry() {
  ReleaseEntry(*players_.back());
  players_.pop_back();
}

bool TfmPlayer::LoadFile(Entry& entry, const std::string& fileName) {
  return package::LoadFromFile(fileName, *entry.player, [this](const std::string& message) {
    platform_.MessageBox(message, applicationTitle_, platform::MessageBoxIcon::Error, platform::MessageBoxButtons::Ok);
  });
}

package::PackageReadResult TfmPlayer::ReadPackageFile(Entry& entry, const std::string& fileName) {
  // Without a private folder the resources cannot be extracted; the project still plays.
  return package::ReadPackage(fileName, *entry.player, entry.extracted, ResourceFolderOf(entry));
}

void TfmPlayer::LoadFromCommandLine(Entry& entry, std::optional<std::span<const uint8_t>> stream) {
  engine::TFormKPFPlayer& player = *entry.player;
  if (stream) {
    // The whole stream is loaded from a copy of its own, so the caller's buffer is never held.
    const std::vector<uint8_t> copy(stream->begin(), stream->end());
    // A package (its trailer at the end) brings its resources into the character's own folder.
    if (const std::optional<package::PackageLayout> layout = package::ParsePackage(copy)) {
      package::ApplyPackage(*layout, player, entry.extracted, ResourceFolderOf(entry));
      return;
    }
    try {
      player.LoadProject(copy);
    } catch (const std::exception&) {
      // Start-up goes on with whatever was loaded; activation ends the program if nothing runs.
    }
    return;
  }
  if (commandLine_.projectFile) {
    LoadFile(entry, *commandLine_.projectFile);
    return;
  }
  const package::PackageReadResult read = ReadPackageFile(entry, settings_.executablePath);
  // A player without a package of its own plays the bundled sample character.
  if (!read.PackageFound && players_.size() == 1 && IsFile(settings_.fallbackProject)) {
    LoadFile(entry, settings_.fallbackProject);
  }
}

void TfmPlayer::ApplyStartSwitches(engine::TFormKPFPlayer& player) {
  for (const StartSwitch& setting : commandLine_.startSwitches) {
    switch (setting.kind) {
      case StartSwitch::Kind::SetVariable: {
        int position = 0;
        for (project::TTaviVariable& variable : player.Model.Variables) {
          if (variable.SysIndex != 0) continue;
          if (position++ != setting.variableNumber) continue;
          try {
            variable.SetValue(setting.text);
          } catch (const std::exception&) {
            // A text that does not convert to the variable's type leaves it unchanged.
          }
          break;
        }
        break;
      }
      case StartSwitch::Kind::ViewerTitle:
        player.Title = setting.text;
        break;
      case StartSwitch::Kind::ParentTitle:
        parentTitle_ = setting.text;
        break;
    }
  }
}

void TfmPlayer::SetupTray(Entry& entry) {
  engine::TFormKPFPlayer& player = *entry.player;
  if (!IsFirst(entry)) return;
  tray_.created = true;
  tray_.hint = player.Title;
  tray_.visible = player.Model.OptionFlag(kOptionTrayIcon);
  entry.desktop->CreateTrayIcon(tray_.visible);
}

void TfmPlayer::ApplyHideItem(Entry& entry) {
  engine::MenuItem* hide = entry.player->Menu().Command(engine::MenuCommand::Hide);
  if (hide == nullptr || players_.empty()) return;
  const bool secondary = players_.front().get() != &entry;
  if (secondary) {
    // Further characters keep the item unless player 0's project hides it for them.
    hide->visible = !players_.front()->player->Model.OptionFlag(kOptionHideSecondaryHide);
  } else if (!entry.player->Model.OptionFlag(kOptionTrayIcon)) {
    // Without the tray icon a hidden character could not be brought back.
    hide->visible = false;
  }
}

void TfmPlayer::PlayerClosed(Entry& entry) {
  entry.player->SetVisible(false);
  entry.inInstances = false;
  // While another character of the command line plays, the program goes on.
  if (entry.parentHandle == 0 && !OtherCommandLineCharacterRunning(entry)) {
    CloseSecondaryViewers();
    // A character that was not started on behalf of another one ends the process. While the
    // main form is still being made this request has no effect (a load closes first).
    if (!constructing_) CloseHost();
    return;
  }
  // The activation check runs once the close has unwound.
  platform_.Loop().Post([this] {
    if (constructing_) return;
    CheckPlayersRunning();
    ReclaimClosedChildren();
  });
}

bool TfmPlayer::OtherCommandLineCharacterRunning(const Entry& entry) const {
  if (!entry.namedOnCommandLine) return false;
  return std::any_of(players_.begin(), players_.end(), [&entry](const auto& other) {
    return other.get() != &entry && other->namedOnCommandLine && !other->player->Closed();
  });
}

void TfmPlayer::CloseSecondaryViewers() {
  if (settings_.messageFolder.empty() || applicationTitle_.starts_with(kSecondaryViewerTitle)) return;
  MessageChannel::PostToTitlesStartingWith(settings_.messageFolder, kSecondaryViewerTitle, kMessageCloseNow,
                                           kMessageCloseNow);
}

void TfmPlayer::HandleMessage(int32_t code, int32_t param) {
  if (players_.empty()) return;
  engine::TFormKPFPlayer& player = *players_.front()->player;
  const auto position = static_cast<size_t>(param);
  switch (code) {
    case kMessageRunScript:
      if (param >= 0 && position < player.Model.Scripts.size()) {
        player.FireScript(player.Model.Scripts[position].Id, engine::TriggerContext{});
      }
      break;
    case kMessagePlayAnimation:
      if (param >= 0 && position < player.Model.Animations.size()) {
        // A copy: playing may change the list the name came from.
        const std::string name = player.Model.Animations[position].Name;
        player.PlayAnimationByName(name);
      }
      break;
    case kMessageCloseNow:
      parentTitle_.clear();
      player.Close();
      break;
    case kMessageCloseRequest:
      parentTitle_.clear();
      player.CloseClick(false);
      break;
    case kMessageEndProgram:
      CloseHost();
      break;
    default:
      break;
  }
}

void TfmPlayer::CloseHost() {
  if (terminated_) return;
  terminated_ = true;
  settings_.terminate();
}

bool TfmPlayer::AnyPlayerRunning() const {
  return std::any_of(players_.begin(), players_.end(), [](const auto& entry) { return !entry->player->Closed(); });
}

bool TfmPlayer::CheckPlayersRunning() {
  if (AnyPlayerRunning()) return true;
  CloseHost();
  return false;
}

void TfmPlayer::SendToPlayers(const engine::TFormKPFPlayer& sender, int32_t target,
                              const project::TTaviVariable& variable) {
  // Receivers' scripts may send on: deliveries nest at most as deeply as script runs do.
  if (deliveryDepth_ >= engine::kMaxScriptDepth) return;
  const CallDepthScope delivering(deliveryDepth_);
  const CallDepthScope walking(walkingPlayers_);
  // Copied before the first delivery: the receivers' scripts may change the sender's variable.
  const std::string name = variable.Name;
  const project::VariantValue value = variable.GetValue();
  for (engine::TFormKPFPlayer* receiver : Instances()) {
    const bool addressed = HandleOf(*receiver) == target || (target == -1 && receiver != &sender);
    // A character that an earlier delivery's script closed receives nothing.
    if (!addressed || receiver->Closed()) continue;
    if (project::TTaviVariable* own = receiver->Model.VariableByName(name)) {
      try {
        own->SetValue(value);
      } catch (const std::exception&) {
        // A value the receiver's variable cannot take leaves it unchanged; the trigger still runs.
      }
    }
    receiver->FireGlobal(9);
  }
}

void TfmPlayer::TrayBalloon(const platform::Balloon& balloon) {
  tray_.balloonTitle = balloon.title;
  tray_.balloonText = balloon.text;
  const int kind = static_cast<int>(balloon.icon);
  tray_.balloonIcon = kind >= 0 && kind <= 3 ? kind : 0;
  platform::Balloon shown = balloon;
  shown.icon = static_cast<platform::BalloonIcon>(tray_.balloonIcon);
  if (!players_.empty()) players_.front()->desktop->ShowTrayBalloon(shown);
}

void TfmPlayer::TrayIcon(const platform::Picture& picture) {
  tray_.customPicture = !picture.empty();
  if (!players_.empty()) players_.front()->desktop->SetTrayPicture(picture);
}

// The desktop has no application window to minimise: the platform iconifies or restores all our
// windows together and reports it here, whoever asked for it (a script, the window manager).
void TfmPlayer::ApplicationMinimised(bool minimised) {
  const CallDepthScope walking(walkingPlayers_);
  for (engine::TFormKPFPlayer* player : Instances()) player->ApplicationMinimised(minimised);
  if (!minimised) return;
  // A stay-on-top character is raised again, so that it comes back above the others.
  for (engine::TFormKPFPlayer* player : Instances()) {
    if (!player->Closed() && player->GetFormStyle()) player->Window().BringToFront();
  }
}

void TfmPlayer::CloseChildren(int32_t parentHandle, int32_t handle) {
  const CallDepthScope walking(walkingPlayers_);
  std::vector<engine::TFormKPFPlayer*> targets;
  for (const auto& entry : players_) {
    if (entry->player->Closed()) continue;
    if (parentHandle != 0 ? entry->parentHandle == parentHandle : entry->handle == handle) {
      targets.push_back(entry->player.get());
    }
  }
  for (engine::TFormKPFPlayer* player : targets) player->CloseClick(false);
}

void TfmPlayer::RemovePlayer(const engine::TFormKPFPlayer& player) {
  if (Entry* entry = EntryOf(player)) entry->inInstances = false;
}

std::vector<engine::TFormKPFPlayer*> TfmPlayer::Instances() const {
  std::vector<engine::TFormKPFPlayer*> instances;
  for (const auto& entry : players_) {
    if (entry->inInstances) instances.push_back(entry->player.get());
  }
  return instances;
}

TfmPlayer::Entry* TfmPlayer::EntryOf(const engine::TFormKPFPlayer& player) const {
  for (const auto& entry : players_) {
    if (entry->player.get() == &player) return entry.get();
  }
  return nullptr;
}

int32_t TfmPlayer::HandleOf(const engine::TFormKPFPlayer& player) const {
  const Entry* entry = EntryOf(player);
  return entry != nullptr ? entry->handle : 0;
}

engine::TFormKPFPlayer* TfmPlayer::FindByHandle(int32_t handle) const {
  for (const auto& entry : players_) {
    if (entry->handle == handle) return entry->player.get();
  }
  return nullptr;
}

}  // namespace kpf::app
