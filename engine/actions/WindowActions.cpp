// The character window and the pointer: moves, image variants, stacking, opacity, window updates,
// the application's minimise and restore, "Run On Startup", and the message box.
//
// What these mean on a Linux desktop:
// - Stay on top is the window manager's _NET_WM_STATE_ABOVE, set through the "Stay On Top" entry,
//   which also re-applies the animation's opacity.
// - Bring to front raises and activates the character window through the window manager
//   (_NET_ACTIVE_WINDOW).
// - Minimise and restore apply to the whole application: every shown window of the process is
//   iconified and comes back together, and every player runs its trigger 7 or 8 when the
//   desktop reports the change (also when the window manager iconified one of the windows).
// - Place behind the active window asks the window manager to restack the character window
//   directly below it (_NET_RESTACK_WINDOW with the active window as sibling; where the window
//   ends is the manager's policy, some lower it beneath their whole layer). The search for the
//   active window passes over the characters' own windows.
// - The pointer glides by warping it in the steps below, waiting between them as Wait does.
// - Opacity is the window's _NET_WM_WINDOW_OPACITY (and the picture's alpha where composited).
// - "Run On Startup" is the XDG autostart entry the menu entry writes.
#include <cmath>

#include "engine/ScriptMessageBox.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "script/ActiveWindow.hpp"

namespace kpf::engine::actions {

namespace {

constexpr int kGlideSteps = 200;

int MoveBy(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  if (player.FollowsMouse()) return kResultNext;
  player.SetPosition(OffsetPosition(player.Left(), call.N[0]), OffsetPosition(player.Top(), call.N[1]));
  return kResultNext;
}

// One step of a glide: the pointer coordinate plus the step, to the nearest integer (halves to
// even), as the window system can take it.
int GlideCoordinate(int from, double step) {
  return platform::ClampToWindowSystem(static_cast<int64_t>(std::nearbyint(from + step)));
}

// Up to 200 steps, each a share of what is left to go; steps that would not move are skipped and
// take no time. The wait between steps ends with the player's stop flag, and so does the glide.
int GlideMouse(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  platform::Platform& desktop = player.Platform();
  const double targetX = call.N[0];
  const double targetY = call.N[1];
  const int64_t delayMs = call.N[2];
  int moves = 0;
  for (int stepsLeft = kGlideSteps; stepsLeft >= 1 && !player.RunMustEnd(); --stepsLeft) {
    const platform::Point at = desktop.Pointer();
    const double dx = (targetX - at.x) / stepsLeft;
    const double dy = (targetY - at.y) / stepsLeft;
    if (std::nearbyint(dx) == 0 && std::nearbyint(dy) == 0) continue;
    desktop.WarpPointer({GlideCoordinate(at.x, dx), GlideCoordinate(at.y, dy)});
    ++moves;
    player.WaitMs(delayMs);
  }
  const platform::Point end = desktop.Pointer();
  if (player.Tracing()) player.Trace(player.Line("glide").Int("x", end.x).Int("y", end.y).Int("moves", moves));
  return kResultNext;
}

int MoveToMouse(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  if (!player.IsPlaying()) return kResultNext;
  const platform::Point pointer = player.Platform().Pointer();
  player.SetPosition(pointer.x, pointer.y);
  return kResultNext;
}

// 11 flips the current animation's images top to bottom (variant 2), 12 mirrors them (variant 1);
// a changed variant goes back to the normal images.
int ToggleVariant(ActionCall& call) {
  project::TTaviEvent* animation = call.player.CurrentAnimation();
  if (animation == nullptr) return kResultNext;
  const uint8_t toggled = call.item.ActionType == 11 ? 2 : 1;
  animation->Variant = animation->Variant == 0 ? toggled : 0;
  return kResultNext;
}

int RunOnStartup(ActionCall& call) {
  call.player.SetRunOnStartup(call.item.ActionType == 46);
  return kResultNext;
}

// 94 on, 95 off: only a change activates the "Stay On Top" entry.
int StayOnTop(ActionCall& call) {
  const bool wanted = call.item.ActionType == 94;
  if (call.player.GetFormStyle() == wanted) return kResultNext;
  call.player.Trace(call.player.Line("topmost").Int("on", wanted ? 1 : 0));
  call.player.StayOnTopClick(true);
  return kResultNext;
}

int BringToFront(ActionCall& call) {
  call.player.Trace(call.player.Line("front"));
  call.player.ActivateWindow();
  return kResultNext;
}

// 97 minimises, 98 restores; the players hear of it when the desktop reports the change.
int MinimiseApplication(ActionCall& call) {
  call.player.Platform().SetApplicationMinimised(call.item.ActionType == 97);
  return kResultNext;
}

int PlaceBehindActiveWindow(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  platform::Platform& desktop = player.Platform();
  const script::ActiveWindowInfo active = script::FindActiveWindow(desktop.WindowsFromForeground(), desktop.TaskbarRect(),
                                                                   desktop.ScreenRect(), desktop.WorkArea());
  // The taskbar stands in as the active window without an id: nothing to restack below.
  if (active.Id == 0) return kResultNext;
  const bool placed = player.PlaceBelowWindow(active.Id);
  if (player.Tracing()) {
    player.Trace(player.Line("restack").Int("below", static_cast<int64_t>(active.Id)).Int("placed", placed ? 1 : 0));
  }
  return kResultNext;
}

// The stored action names a vertical position of 0 and leaves the horizontal one undefined: the
// window keeps its left and goes to the top of the screen.
int SetPositionRaw(ActionCall& call) {
  call.player.SetPosition(call.player.Left(), 0);
  return kResultNext;
}

int BeginUpdate(ActionCall& call) {
  call.player.BeginUpdate();
  return kResultNext;
}

int EndUpdate(ActionCall& call) {
  call.player.EndUpdate();
  return kResultNext;
}

// The script waits in the box while the loop runs; a player that closes meanwhile ends the box
// and gets no answer written.
int MessageBox(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  const platform::MessageDialogRequest request = ScriptMessageBox(call.T[1], call.N[2], call.N[3], player.ApplicationTitle());
  if (player.Tracing()) {
    std::vector<std::string> labels;
    for (const platform::MessageDialogButton& button : request.buttons) labels.push_back(button.label);
    player.Trace(player.Line("msgbox").Text("text", request.text).Text("caption", request.caption).Texts("buttons", labels));
  }
  const std::shared_ptr<platform::MessageDialogCloser> closer = player.MessageBoxes().Open();
  const int answer = player.Platform().ShowMessageDialog(request, *closer);
  if (player.Tracing()) player.Trace(player.Line("msgbox-result").Int("code", answer));
  if (!player.RunMustEnd()) call.Set(0, answer);
  return kResultNext;
}

int SetOpacity(ActionCall& call) {
  call.player.SetOpacity(call.N[0]);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {3, "NN", MoveBy},
    {9, "NNN", GlideMouse},
    {10, "", MoveToMouse},
    {11, "", ToggleVariant},
    {12, "", ToggleVariant},
    {46, "", RunOnStartup},
    {47, "", RunOnStartup},
    {94, "", StayOnTop},
    {95, "", StayOnTop},
    {96, "", BringToFront},
    {97, "", MinimiseApplication},
    {98, "", MinimiseApplication},
    {101, "", PlaceBehindActiveWindow},
    {109, "", SetPositionRaw},
    {112, "", BeginUpdate},
    {113, "", EndUpdate},
    {158, "ITII", MessageBox},
    {159, "N", SetOpacity},
};

}  // namespace

std::span<const ActionEntry> WindowActions() { return kEntries; }

}  // namespace kpf::engine::actions
