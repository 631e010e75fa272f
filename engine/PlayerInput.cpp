// Mouse and keyboard input of the character window.
#include "engine/TCustomKPFPlayer.hpp"

namespace kpf::engine {

void TCustomKPFPlayer::MouseDown(platform::MouseButton button, int x, int y) {
  BusyScope busy(*this);
  Trace(Line("mouse-down").Int("button", static_cast<int>(button)).Int("x", x).Int("y", y));
  // A running screen saver ends on the middle button; in its other modes the press is an
  // ordinary one.
  if (screenSaver_.EndsOnInput() && button == platform::MouseButton::Middle) {
    Close();
    return;
  }
  if (const MenuItem* stayOnTop = menu_.Command(MenuCommand::StayOnTop); stayOnTop && stayOnTop->checked) {
    MenuPopup();
  }
  if (button == platform::MouseButton::Left) {
    FireTrigger(3);
    grabX_ = x;
    grabY_ = y;
    state_.MouseButtons |= 1;
    FireGlobal(6);
  } else if (button == platform::MouseButton::Right) {
    state_.MouseButtons |= 2;
  }
}

// The pointer position itself is read from the platform by the mouse system variables.
void TCustomKPFPlayer::MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY) {
  BusyScope busy(*this);
  if (screenSaver_.EndsOnInput() && screenSaver_.PointerMoved()) {
    Close();
    return;
  }
  if (leftHeld && draggable_ && !dblClickPending_ && !stopFlag_) {
    if (!dragging_) {
      Trace(Line("drag-start"));
      FireTrigger(12);
      PlayAnimation(4, 0, -1);
    }
    MoveAs(PlayerScreens::Move::Drag, OffsetPosition(screenX, -int64_t{grabX_}),
           OffsetPosition(screenY, -int64_t{grabY_}));
    dragging_ = true;
  }
  state_.MouseButtons = static_cast<uint8_t>((leftHeld ? 1 : 0) | (rightHeld ? 2 : 0));
}

void TCustomKPFPlayer::MouseUp(platform::MouseButton button) {
  BusyScope busy(*this);
  if (button == platform::MouseButton::Left) state_.MouseButtons &= ~1;
  if (button == platform::MouseButton::Right) state_.MouseButtons &= ~2;
  if (dragging_) {
    // A character dropped where no monitor shows it goes onto the nearest one.
    const platform::Point shown = screens_.Placed(WindowAt(left_, top_));
    if (shown.x != left_ || shown.y != top_) MoveAs(PlayerScreens::Move::Drag, shown.x, shown.y);
    Trace(Line("drop"));
    FireTrigger(13);
    PlayAnimation(5, 0, -1);
  }
  dragging_ = false;
  dblClickPending_ = false;
}

void TCustomKPFPlayer::DblClick() {
  BusyScope busy(*this);
  Trace(Line("dblclick"));
  FireTrigger(14);
  dblClickPending_ = true;
}

void TCustomKPFPlayer::KeyDown(int keyCode) {
  BusyScope busy(*this);
  Trace(Line("key-down").Int("code", keyCode));
  // A screen saver's keys are not the character's: no last key, no keyboard scripts.
  if (screenSaver_.Active()) {
    EndOnScreenSaverInput();
    return;
  }
  state_.LastKey = keyCode;
  FireGlobal(5);
}

void TCustomKPFPlayer::KeyUp(int) { state_.LastKey = -1; }

}  // namespace kpf::engine
