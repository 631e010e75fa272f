// Animation choice, play lists, window position rules and the housekeeping tick of the engine.
#include <algorithm>
#include <numeric>

#include "engine/TCustomKPFPlayer.hpp"
#include "script/ActiveWindow.hpp"

namespace kpf::engine {

namespace {

constexpr size_t kMaxCandidates = 255;
constexpr std::string_view kRandomPrefix = "<<RANDOM:";

}  // namespace

void TCustomKPFPlayer::PlayAnimation(int kind, int subkind, int index) {
  if (stopFlag_) return;
  BusyScope busy(*this);
  state_.DrawCount = 0;
  std::vector<int> candidates;
  if (index == -1) {
    // Only the first 255 matching animations in list order take part.
    for (size_t i = 0; i < Model.Animations.size() && candidates.size() < kMaxCandidates; ++i) {
      if (Model.Animations[i].EventIndex == kind && subkind == 0) candidates.push_back(static_cast<int>(i));
    }
  } else if (index >= 0 && static_cast<size_t>(index) < Model.Animations.size()) {
    candidates.push_back(index);
  }
  if (candidates.empty()) {
    if (kind != 4 && kind != 5) StopAnimation();
    return;
  }
  followMouse_ = false;
  attached_.reset();
  int chosen = candidates.front();
  if (candidates.size() > 1) {
    chosen = candidates[std::uniform_int_distribution<size_t>(0, candidates.size() - 1)(random_)];
  }
  currentIndex_ = chosen;
  project::TTaviEvent& animation = Model.Animations[static_cast<size_t>(chosen)];
  animation.Variant = 0;
  state_.WindowWidth = animation.Width;
  state_.WindowHeight = animation.Height;
  state_.WindowLeft = left_;
  state_.WindowTop = top_;
  // Random start positions keep the character on the monitor it lives on; a start in a dead
  // zone between monitors moves onto the nearest one.
  const platform::Rect screen = screens_.Home().rect;
  const script::EvaluatedPosition start = evaluation_.EvaluatePosition(animation, screen);
  const platform::Point placed = screens_.Placed(WindowAt(start.x, start.y));
  const int startX = placed.x;
  const int startY = placed.y;
  Trace(Line("anim-start").Int("index", chosen).Text("name", animation.Name));
  StartAnimation();
  state_.AnimationIndex = chosen;
  state_.AnimationName = animation.Name;
  animationAlpha_ = animation.Option;
  SetCursor(animation.ExtraByte == 0 ? -1 : animation.ExtraByte - 1);
  SetPosition(startX, startY);
  SetAlpha(animation.Option);
  FireTrigger(0, chosen);
}

void TCustomKPFPlayer::StartAnimation() {
  project::TTaviEvent* animation = CurrentAnimation();
  if (Model.Animations.empty() || animation == nullptr) return;
  StopAnimation();
  loopCount_ = 0;
  frameIndex_ = 0;
  soundCounters_.assign(animation->Frames.size(), {});
  state_.WindowWidth = animation->Width;
  state_.WindowHeight = animation->Height;
  EnsurePlaybackTimer();
  playbackTimer_->SetInterval(1);
  playbackTimer_->SetEnabled(false);
  housekeeping_->SetEnabled(true);
  if (animation->Frames.empty()) {
    // A frameless animation completes its cycles one tick at a time; an immediate step could
    // end it and start the next frameless one without time passing.
    playbackTimer_->SetInterval(kMinFrameIntervalMs);
    playbackTimer_->SetEnabled(true);
    return;
  }
  PlayNextFrame(false);
}

void TCustomKPFPlayer::PlayAnimationByName(const std::string& name) { PlayAnimationByNameAt(name, 0); }

void TCustomKPFPlayer::PlayAnimationByNameAt(const std::string& name, int depth) {
  if (stopFlag_) return;
  BusyScope busy(*this);
  const int32_t index = Model.AnimationIndexByName(name);
  if (index >= 0) {
    PlayAnimation(0, 0, index);
    return;
  }
  if (name.size() >= kRandomPrefix.size() && std::string_view(name).substr(0, kRandomPrefix.size()) == kRandomPrefix) {
    // The name sits between the prefix and the last two characters; a shorter text names nothing.
    const size_t end = name.size() >= kRandomPrefix.size() + 2 ? name.size() - 2 : kRandomPrefix.size();
    const std::string listName = name.substr(kRandomPrefix.size(), end - kRandomPrefix.size());
    for (size_t i = 0; i < Model.PlayLists.size(); ++i) {
      const project::TPlayList& list = Model.PlayLists[i];
      if (project::UpperName(list.Name) != listName || list.Items.empty()) continue;
      if (depth >= kMaxPlayListDepth) {
        Trace(Line("playlist-depth").Text("name", list.Name));
        return;
      }
      const size_t pick = std::uniform_int_distribution<size_t>(0, list.Items.size() - 1)(random_);
      const std::string item = list.Items[pick];
      PlayAnimationByNameAt(item, depth + 1);
      if (stopFlag_) return;
    }
  }
  if (name == "<RANDOM FROM ALL EVENT>" && !Model.Animations.empty()) {
    const auto count = static_cast<int>(Model.Animations.size());
    PlayAnimation(0, 0, std::uniform_int_distribution<int>(0, count - 1)(random_));
  } else if (project::SameText(name, "<RANDOM FROM SAME EVENT>")) {
    if (const project::TTaviEvent* current = CurrentAnimation()) PlayAnimation(current->EventIndex, 0, -1);
  }
}

void TCustomKPFPlayer::PlayPlayList(const std::string& name) {
  if (stopFlag_) return;
  BusyScope busy(*this);
  for (size_t i = 0; i < Model.PlayLists.size(); ++i) {
    const project::TPlayList& list = Model.PlayLists[i];
    if (!project::SameText(list.Name, name) || list.Items.empty()) continue;
    std::vector<size_t> order(list.Items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    if (list.Mode == 1) std::shuffle(order.begin(), order.end(), random_);
    for (const size_t position : order) queue_.push_back(list.Items[position]);
    Trace(Line("playlist").Text("name", list.Name).Int("queued", static_cast<int64_t>(queue_.size())));
    const std::string first = queue_.front();
    queue_.pop_front();
    PlayAnimationByName(first);
    if (stopFlag_) return;
  }
}

// ---- Position ----------------------------------------------------------------------------------

void TCustomKPFPlayer::SetPosition(int x, int y) {
  BusyScope busy(*this);
  state_.WindowLeft = x;
  state_.WindowTop = y;
  if (x == left_ && y == top_) return;
  Trace(Line("move").Int("x", x).Int("y", y));
  if (desktop_ != nullptr) desktop_->MoveHintBy(x - left_, y - top_);
  MoveWindow(x, y);
  AfterMove(x, y);
}

void TCustomKPFPlayer::MoveAs(PlayerScreens::Move how, int x, int y) {
  const PlayerScreens::Move before = moving_;
  moving_ = how;
  struct Restore {
    PlayerScreens::Move& moving;
    PlayerScreens::Move before;
    ~Restore() { moving = before; }
  } restore{moving_, before};
  SetPosition(x, y);
}

void TCustomKPFPlayer::AfterMove(int x, int y) {
  // A trigger fired here may move the window again; the nested move only publishes its position.
  if (afterMoveDepth_ > 0) {
    state_.WindowLeft = x;
    state_.WindowTop = y;
    return;
  }
  ++afterMoveDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{afterMoveDepth_};
  const project::TTaviEvent* animation = CurrentAnimation();
  const int64_t w = animation != nullptr ? animation->Width : 0;
  const int64_t h = animation != nullptr ? animation->Height : 0;
  // The edges are those of the monitor the character lives on; a drag, or a script or new
  // animation that puts it wholly on another monitor, takes it there first.
  screens_.Moved(WindowAt(x, y), moving_);
  const platform::Monitor home = screens_.Home();
  const platform::Rect screen = home.rect;
  const platform::Rect work = home.workArea;
  if (y + h > work.bottom) FireTrigger(6);
  if (y <= screen.top) FireTrigger(7);
  if (x + w >= screen.right) FireTrigger(8);
  if (y + h >= screen.bottom) FireTrigger(9);
  if (x <= screen.left) FireTrigger(10);
  const bool offScreen = x + w < screen.left || y + h < screen.top || x > screen.right || y > screen.bottom;
  if (offScreen) {
    animation = CurrentAnimation();
    if (animation != nullptr && animation->MoveMode >= 1 && animation->MoveMode <= 5) {
      const int32_t target = animation->Param(animation->MoveMode == 5 ? 2 : 1);
      Trace(Line("leave-screen").Int("target", target));
      if (target != 0) {
        for (size_t i = 0; i < Model.Animations.size(); ++i) {
          if (Model.Animations[i].Id != target) continue;
          PlayAnimation(0, 0, static_cast<int>(i));
          break;
        }
      } else {
        const std::string name = animation->Name;
        PlayAnimationByName(name);
      }
    }
    FireTrigger(4);
  }
  state_.WindowLeft = x;
  state_.WindowTop = y;
  FireTrigger(11);
}

platform::Rect TCustomKPFPlayer::WindowAt(int x, int y) {
  const project::TTaviEvent* animation = CurrentAnimation();
  const int w = animation != nullptr ? int{animation->Width} : 0;
  const int h = animation != nullptr ? int{animation->Height} : 0;
  return platform::Rect{x, y, static_cast<int>(std::min<int64_t>(int64_t{x} + w, platform::kMaxWindowCoordinate)),
                        static_cast<int>(std::min<int64_t>(int64_t{y} + h, platform::kMaxWindowCoordinate))};
}

// ---- Housekeeping ------------------------------------------------------------------------------

std::optional<platform::DesktopWindow> TCustomKPFPlayer::FindAttachWindow() {
  for (const auto& window : platform_.WindowsFromForeground()) {
    if (script::CountsAsActiveWindow(window)) return window;
  }
  const auto taskbar = platform_.TaskbarRect();
  const platform::Rect screen = platform_.ScreenRect();
  if (taskbar && taskbar->left == screen.left && taskbar->right == screen.right) {
    platform::DesktopWindow window;
    window.title = "Shell_TrayWnd";
    window.rect = *taskbar;
    return window;
  }
  return std::nullopt;
}

void TCustomKPFPlayer::AttachCheck(const project::TTaviEvent& animation) {
  if (!attached_) {
    attached_ = FindAttachWindow();
    if (attached_) Trace(Line("attach").Text("title", attached_->title));
    return;
  }
  std::optional<platform::DesktopWindow> current;
  for (const auto& window : platform_.WindowsFromForeground()) {
    if (window.id == attached_->id && script::CountsAsActiveWindow(window)) current = window;
  }
  if (!current && attached_->id == 0) current = FindAttachWindow();
  if (current) {
    attached_ = current;
    SetPosition(OffsetPosition(current->rect.left, animation.Param(0)),
                OffsetPosition(current->rect.top, animation.Param(1)));
  } else {
    attached_.reset();
    FireTrigger(4);
  }
}

bool TCustomKPFPlayer::FullScreenProgramCovers() {
  const std::optional<platform::DesktopWindow> active = platform_.ForegroundWindow();
  if (!active || !active->fullScreen || dialogs_.FullScreenShown()) return false;
  // A window manager that knows of one monitor only spreads the program over all of them.
  return platform::Area(platform::Intersection(active->rect, screens_.Home().rect)) > 0;
}

void TCustomKPFPlayer::StepAside(bool aside) {
  steppedAside_ = aside;
  Trace(Line(aside ? "fullscreen-aside" : "fullscreen-back"));
  SetWindowAside(aside);
  surfaces_.SetAside(aside);
  if (!aside) return;
  // A bubble would hang over the program; it is not brought back.
  hintCountdown_ = -1;
  if (desktop_ != nullptr) desktop_->CloseHint();
  StopSounds();
}

void TCustomKPFPlayer::PaceHousekeeping() {
  if (!housekeeping_) return;
  const project::TTaviEvent* animation = CurrentAnimation();
  const bool counted = hintCountdown_ >= 0 || followMouse_ || (animation != nullptr && animation->MoveMode == 7) ||
                       screenSaver_.EndsOnInput();
  const uint32_t interval = counted ? kQuickHousekeepingMs : kIdleHousekeepingMs;
  if (housekeeping_->Interval() != interval) housekeeping_->SetInterval(interval);
}

void TCustomKPFPlayer::HousekeepingTick() {
  BusyScope busy(*this);
  screens_.Refresh();
  // A character whose monitor went away moves onto the primary, and so do its surfaces and
  // dialogs that were on it.
  if (const std::optional<platform::Point> moved = screens_.HomeLost(WindowAt(left_, top_))) {
    Trace(Line("monitor-lost").Int("x", moved->x).Int("y", moved->y));
    SetPosition(moved->x, moved->y);
  }
  if (screens_.LayoutChanged()) {
    const auto rescued = [this](const platform::Rect& window) { return screens_.Rescued(window); };
    surfaces_.MoveWindows(rescued);
    dialogs_.MoveWindows(rescued);
  }
  if (hintCountdown_ >= 0 && --hintCountdown_ < 0) {
    Trace(Line("hint-close"));
    if (desktop_ != nullptr) desktop_->CloseHint();
  }
  const project::TTaviEvent* animation = CurrentAnimation();
  if (followMouse_ && animation != nullptr) {
    const platform::Point pointer = platform_.Pointer();
    if (!(pointer == lastPointer_)) {
      lastPointer_ = pointer;
      SetPosition(OffsetPosition(pointer.x, animation->Param(0)), OffsetPosition(pointer.y, animation->Param(1)));
    }
  } else if (animation != nullptr && animation->MoveMode == 7) {
    AttachCheck(*animation);
  }
  if (options_.fullScreenHide && !screenSaver_.Active()) {
    const bool covered = FullScreenProgramCovers();
    if (covered != steppedAside_) StepAside(covered);
  }
  // Counted in tenths of a second, whichever pace the ticks have.
  tickCount_ += static_cast<int>(housekeeping_->Interval() / kQuickHousekeepingMs);
  if (tickCount_ >= 10) {
    tickCount_ %= 10;
    ++state_.TimerCounter;
    FireGlobal(4);
  }
  if (screenSaver_.EndsOnInput() && screenSaver_.PointerMoved()) Close();
}

}  // namespace kpf::engine
