// The notification-area icon: balloons, the icon from a frame or the default one, and the icon
// animation. They reach the icon through the main form's tray services; without them (no main
// form, or a desktop without a notification area) they show nothing and change nothing else.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "project/Errors.hpp"

namespace kpf::engine::actions {

namespace {

platform::BalloonIcon BalloonIconOf(int32_t kind) {
  return kind >= 0 && kind <= 3 ? static_cast<platform::BalloonIcon>(kind) : platform::BalloonIcon::None;
}

// The time-out is one byte of seconds.
int ShowTrayBalloon(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  const platform::Balloon balloon{call.T[0], call.T[1], BalloonIconOf(call.N[2]),
                                  static_cast<uint8_t>(call.N[3]) * 1000};
  if (player.Tracing()) {
    player.Trace(player.Line("tray-balloon").Text("title", balloon.title).Int("icon", static_cast<int>(balloon.icon))
                     .Int("ms", balloon.timeoutMs));
  }
  if (player.MainForm().showTrayBalloon) player.MainForm().showTrayBalloon(balloon);
  return kResultNext;
}

void SetTrayIcon(TCustomKPFPlayer& player, const platform::Picture& picture) {
  if (player.Tracing()) player.Trace(player.Line("tray-icon").Int("w", picture.width).Int("h", picture.height));
  if (player.MainForm().setTrayIcon) player.MainForm().setTrayIcon(picture);
}

int TrayIconFromFrame(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  const int32_t index = player.Model.AnimationIndexByName(call.T[0]);
  if (index < 0) return kResultNext;
  const project::TTaviEvent& animation = player.Model.Animations[static_cast<size_t>(index)];
  const int32_t frame = call.N[1];
  if (frame < 0 || static_cast<size_t>(frame) >= animation.Frames.size()) return kResultNext;
  const project::TTaviFrame& chosen = animation.Frames[static_cast<size_t>(frame)];
  if (chosen.Kind != project::kImageFrame) return kResultNext;
  const platform::Picture picture = TrayPictureOfFrame(player.Model, chosen);
  if (!picture.empty()) SetTrayIcon(player, picture);
  return kResultNext;
}

int TrayIconDefault(ActionCall& call) {
  SetTrayIcon(call.player, platform::Picture{});
  return kResultNext;
}

int AnimationFrameCount(ActionCall& call) {
  const int32_t index = call.player.Model.AnimationIndexByName(call.T[1]);
  if (index < 0) throw project::KpfError("no animation of that name");
  call.Set(0, static_cast<int32_t>(call.player.Model.Animations[static_cast<size_t>(index)].Frames.size()));
  return kResultNext;
}

int AnimateTrayIcon(ActionCall& call) {
  const bool started = call.player.TrayIconAnimation().Start(call.T[0]);
  if (call.player.Tracing()) call.player.Trace(call.player.Line("tray-anim").Int("started", started ? 1 : 0));
  return kResultNext;
}

int StopTrayAnimation(ActionCall& call) {
  call.player.TrayIconAnimation().Stop();
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {169, "TTNN", ShowTrayBalloon}, {170, "RN", TrayIconFromFrame}, {172, "", TrayIconDefault},
    {177, "IR", AnimationFrameCount}, {178, "R", AnimateTrayIcon}, {179, "", StopTrayAnimation},
};

}  // namespace

std::span<const ActionEntry> TrayActions() { return kEntries; }

}  // namespace kpf::engine::actions
