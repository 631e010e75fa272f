// The popup menu: building, visibility rules, the player commands and project entries.
#include <filesystem>

#include "desktop/TfmTaviViewerAbout.hpp"
#include "engine/AutostartEntry.hpp"
#include "engine/TCustomKPFPlayer.hpp"

namespace kpf::engine {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

void TCustomKPFPlayer::BuildPopupMenu() {
  if (menu_.Built()) return;
  menu_.Build(Model.MenuEntries, Model.MenuCaptions);
  SetPopupMenu(true);
}

void TCustomKPFPlayer::ApplyMenuVisibility() {
  if (visibilityApplied_) return;
  visibilityApplied_ = true;
  MenuItem* stayOnTop = menu_.Command(MenuCommand::StayOnTop);
  if (Model.OptionFlag(0)) {
    StayOnTopClick(false);
    stayOnTop = menu_.Command(MenuCommand::StayOnTop);
    if (stayOnTop) stayOnTop->visible = !Model.OptionFlag(8);
  } else if (stayOnTop) {
    stayOnTop->visible = false;
  }
  draggable_ = Model.OptionFlag(1);
  if (MenuItem* about = menu_.Command(MenuCommand::About)) {
    about->visible = !StartsWith(Title, "ZIMR_PADOK") && (HeaderFlags & 1) == 0;
  }
  if (MenuItem* mute = menu_.Command(MenuCommand::Mute)) {
    mute->visible = !Model.Sounds.empty() && !Model.OptionFlag(7);
  }
  if (MenuItem* uninstall = menu_.Command(MenuCommand::Uninstall)) {
    std::error_code error;
    const auto folder = std::filesystem::path(options_.executablePath).parent_path();
    const bool present = !options_.executablePath.empty() &&
                         std::filesystem::exists(folder / "unins000.exe", error);
    uninstall->visible = present && !Model.OptionFlag(9);
  }
  if (MenuItem* hide = menu_.Command(MenuCommand::Hide)) {
    hide->visible = hide->visible && !Model.OptionFlag(6);
  }
}

void TCustomKPFPlayer::UpdateRunOnStartupState() {
  MenuItem* item = menu_.Command(MenuCommand::RunOnStartup);
  if (item == nullptr) return;
  if (Title.empty() || options_.preview) {
    item->caption = "Run on startup disabled on preview";
    item->enabled = false;
    return;
  }
  item->checked = AutostartEntry(Title, options_.executablePath).IsEnabled();
}

void TCustomKPFPlayer::ClickMenuItem(const MenuItem& item) {
  const MenuCommand command = item.command;
  const int32_t tag = item.tag;
  Trace(Line("menu").Text("caption", item.caption));
  switch (command) {
    case MenuCommand::Hide: HideClick(); break;
    case MenuCommand::Mute: MuteClick(); break;
    case MenuCommand::About: AboutClick(); break;
    case MenuCommand::RunOnStartup: RunOnStartupClick(); break;
    case MenuCommand::StayOnTop: StayOnTopClick(true); break;
    case MenuCommand::Uninstall: UninstallClick(); break;
    case MenuCommand::Close: CloseClick(true); break;
    case MenuCommand::Project: MenuItemClick(tag); break;
    case MenuCommand::Separator: break;
  }
}

void TCustomKPFPlayer::HideClick() {
  if (IsVisible()) HideCharacter();
  else ShowCharacter();
}

void TCustomKPFPlayer::HideCharacter() {
  hintCountdown_ = -1;
  if (desktop_ != nullptr) desktop_->CloseHint();
  SetVisible(false);
  if (MenuItem* hide = menu_.Command(MenuCommand::Hide)) hide->caption = menu_.Caption(kCaptionShow);
  Mute();
}

void TCustomKPFPlayer::ShowCharacter() {
  SetVisible(true);
  if (MenuItem* hide = menu_.Command(MenuCommand::Hide)) hide->caption = menu_.Caption(kCaptionHide);
  Unmute();
}

void TCustomKPFPlayer::MuteClick() {
  MenuItem* item = menu_.Command(MenuCommand::Mute);
  const bool ticked = item == nullptr || !item->checked;
  if (ticked) Mute();
  else Unmute();
}

void TCustomKPFPlayer::Mute() {
  StopSounds();
  muted_ = true;
  if (MenuItem* item = menu_.Command(MenuCommand::Mute)) item->checked = true;
}

void TCustomKPFPlayer::Unmute() {
  UpdateSoundAvailability();
  if (MenuItem* item = menu_.Command(MenuCommand::Mute)) item->checked = false;
}

void TCustomKPFPlayer::AboutClick() {
  std::string text = Title + "\n" + desktop::ProductLabel(DesignVersion);
  if (!AboutText.empty()) text += "\n\n" + AboutText;
  Trace(Line("msgbox").Text("text", text));
  if (desktop_ != nullptr) {
    desktop_->ShowAbout();
    return;
  }
  platform_.MessageBox(text, Title, platform::MessageBoxIcon::Information, platform::MessageBoxButtons::Ok);
}

void TCustomKPFPlayer::RunOnStartupClick() {
  MenuItem* item = menu_.Command(MenuCommand::RunOnStartup);
  if (item == nullptr || !item->enabled) return;
  item->checked = !item->checked;
  const AutostartEntry entry(Title, options_.executablePath);
  if (item->checked) entry.Enable();
  else entry.Disable();
}

void TCustomKPFPlayer::StayOnTopClick(bool redraw) {
  MenuItem* item = menu_.Command(MenuCommand::StayOnTop);
  const bool ticked = item != nullptr ? !item->checked : !GetFormStyle();
  if (item != nullptr) item->checked = ticked;
  SetFormStyle(ticked);
  if (desktop_ != nullptr) desktop_->SetHintStayOnTop(ticked);
  dialogs_.SetStayOnTop(ticked);
  if (redraw) {
    const project::TTaviEvent* animation = CurrentAnimation();
    const int shown = frameIndex_ - 1;
    if (animation != nullptr && shown >= 0 && static_cast<size_t>(shown) < animation->Frames.size()) {
      ShowFrame(left_, top_, animation->Frames[static_cast<size_t>(shown)], animation->Variant);
    }
  }
  SetAlpha(animationAlpha_);
}

// On Linux no uninstaller is started: after confirmation the autostart entry and this
// project's saved settings are removed and the player closes.
void TCustomKPFPlayer::UninstallClick() {
  const std::string question = "Remove " + Title + " from this computer?";
  Trace(Line("msgbox").Text("text", question));
  const auto answer = platform_.MessageBox(question, Title, platform::MessageBoxIcon::Question,
                                           platform::MessageBoxButtons::YesNo);
  if (answer != platform::MessageBoxResult::Yes) return;
  const std::string title = Title;
  Close();
  AutostartEntry(title, options_.executablePath).Disable();
  saved_.DeleteAll(title);
}

void TCustomKPFPlayer::CloseClick(bool fromMenu) {
  if (closed_ || closing_) return;
  BusyScope busy(*this);
  stopFlag_ = true;
  messageBoxes_.CloseAll();
  const int posted = fromMenu ? dialogs_.RequestCloseVisible() : 0;
  if (posted == 0) {
    stopFlag_ = false;
    PlayAnimation(2, 0, -1);
    SetPopupMenu(false);
    stopFlag_ = true;
    if (!IsPlaying()) Close();
    return;
  }
  // Ask again once the dialogs had their close requests; bounded so a dialog that refuses to
  // close cannot keep the request alive forever.
  if (++closeRetries_ > kMaxCloseRetries) {
    Close();
    return;
  }
  std::weak_ptr<bool> alive = alive_;
  platform_.Loop().Post([this, alive] {
    if (auto flag = alive.lock(); flag && *flag) RetryCloseRequest();
  });
}

void TCustomKPFPlayer::RetryCloseRequest() { CloseClick(false); }

void TCustomKPFPlayer::MenuItemClick(int32_t tag) {
  if (tag < 1 || static_cast<size_t>(tag) > Model.MenuEntries.size()) return;
  TriggerContext context;
  context.sender = TriggerContext::SenderKind::MenuEntry;
  context.menuTag = tag;
  FireScript(Model.MenuEntries[static_cast<size_t>(tag - 1)].ScriptId, context);
}

void TCustomKPFPlayer::ShowSpeechHint(const std::string& text, int x, int y, int ticks) {
  PrepareHint();
  Trace(Line("hint").Text("text", text).Int("x", x).Int("y", y).Int("ticks", ticks));
  // Not over a full-screen program the character stepped aside for.
  if (steppedAside_) return;
  if (desktop_ != nullptr) desktop_->ShowHint(text, x, y);
  hintCountdown_ = ticks;
}

void TCustomKPFPlayer::SetMenuProperty(const std::string& entryName, int property, const std::string& value) {
  if (property == 0) {
    project::TTaviMenu entry;
    entry.Caption = evaluation_.EvaluateText(value);
    Model.MenuEntries.push_back(entry);
    MenuItem item;
    item.caption = entry.Caption;
    item.tag = static_cast<int32_t>(Model.MenuEntries.size());
    menu_.InsertProjectItem(std::move(item));
    return;
  }
  int32_t position = -1;
  for (size_t i = 0; i < Model.MenuEntries.size(); ++i) {
    if (project::SameText(Model.MenuEntries[i].Caption, entryName)) position = static_cast<int32_t>(i);
  }
  MenuItem* item = position >= 0 ? menu_.ProjectItem(position + 1) : nullptr;
  if (item == nullptr) return;  // no such entry, or its object was deleted
  project::TTaviMenu& entry = Model.MenuEntries[static_cast<size_t>(position)];
  switch (property) {
    case 1:
      entry.Caption = evaluation_.EvaluateText(value);
      item->caption = entry.Caption;
      break;
    case 2: item->enabled = evaluation_.EvaluateInteger(value) != 0; break;
    case 3: menu_.RemoveProjectItem(position + 1); break;
    case 4: {
      const std::string name = evaluation_.EvaluateText(value);
      for (const auto& script : Model.Scripts) {
        if (project::SameText(script.Name, name)) {
          entry.ScriptId = script.Id;
          break;
        }
      }
      break;
    }
    case 5: entry.Value2 = evaluation_.EvaluateInteger(value); break;
    case 6: item->visible = evaluation_.EvaluateInteger(value) != 0; break;
    default: break;
  }
}

}  // namespace kpf::engine
