// The player's side of the window, message-box and tray actions: minimise and restore reports,
// opacity, "Run On Startup" from scripts, and the frames of the icon animation.
#include <algorithm>

#include "engine/AutostartEntry.hpp"
#include "engine/TCustomKPFPlayer.hpp"

namespace kpf::engine {

void TCustomKPFPlayer::ApplicationMinimised(bool minimised) {
  if (closed_) return;
  state_.WindowState = minimised ? 1 : 0;
  Trace(Line("app-state").Int("minimised", minimised ? 1 : 0));
  FireGlobal(minimised ? 7 : 8);
}

void TCustomKPFPlayer::SetOpacity(int64_t alpha) {
  // Values outside a byte are taken to the nearer end rather than wrapped: 256 stays opaque.
  animationAlpha_ = static_cast<uint8_t>(std::clamp<int64_t>(alpha, 0, 255));
  Trace(Line("opacity").Int("alpha", animationAlpha_));
  SetAlpha(animationAlpha_);
}

void TCustomKPFPlayer::SetRunOnStartup(bool enabled) {
  // A preview plays a project file through the generic player: an entry would start the player
  // without the project at every login, which is why the menu entry is disabled there too.
  if (Title.empty() || options_.preview) return;
  const AutostartEntry entry(Title, options_.executablePath);
  const bool done = enabled ? entry.Enable() : entry.Disable();
  Trace(Line("autostart").Int("on", enabled ? 1 : 0).Int("ok", done ? 1 : 0));
  if (MenuItem* item = menu_.Command(MenuCommand::RunOnStartup)) item->checked = enabled && done;
}

std::string TCustomKPFPlayer::ApplicationTitle() const {
  return mainForm_.applicationTitle ? mainForm_.applicationTitle() : Title;
}

void TCustomKPFPlayer::ShowTrayFrame(const project::TTaviEvent& animation, int frameIndex, uint32_t intervalMs) {
  Trace(Line("tray-frame").Text("anim", animation.Name).Int("index", frameIndex).Int("ms", intervalMs));
  if (!mainForm_.setTrayIcon) return;
  const platform::Picture picture = TrayPictureOfFrame(Model, animation.Frames[static_cast<size_t>(frameIndex)]);
  if (!picture.empty()) mainForm_.setTrayIcon(picture);
}

}  // namespace kpf::engine
