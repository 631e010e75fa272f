// The surfaces themselves: making, sizing, clearing and selecting them, their transparent colour
// and click script, showing them as windows, and handing one to the tray icon.
#include "desktop/PictureTransparency.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int ShowSurface(ActionCall& call) {
  call.player.Surfaces().Show(call.N[0], call.N[1]);
  return kResultNext;
}

int ResizeSurface(ActionCall& call) {
  call.player.Surfaces().Resize(call.N[0], call.N[1]);
  return kResultNext;
}

int SetSurfaceScript(ActionCall& call) {
  if (DrawingSurface* surface = call.player.Surfaces().Current()) surface->ClickScript = call.N[0];
  return kResultNext;
}

// Hides the window, then lets the loop run a moment so that the desktop repaints below it.
int HideSurface(ActionCall& call) {
  if (call.player.Surfaces().Hide()) call.player.WaitMs(1);
  return kResultNext;
}

// With a third parameter the variable is told the slot.
int NewSurface(ActionCall& call) {
  DrawingSurfaces& surfaces = call.player.Surfaces();
  if (!surfaces.Create(call.N[0], call.N[1])) return kResultNext;
  if (call.Count() >= 3) call.Set(2, surfaces.CurrentIndex());
  return kResultNext;
}

int SetTransparentColour(ActionCall& call) {
  if (DrawingSurface* surface = call.player.Surfaces().Current()) surface->TransparentColour = call.N[0] & 0xFFFFFF;
  return kResultNext;
}

int ClearSurface(ActionCall& call) {
  call.player.Surfaces().Clear();
  return kResultNext;
}

int SelectSurface(ActionCall& call) {
  call.player.Surfaces().Select(call.N[0]);
  return kResultNext;
}

// The tray icon shows the picture with its transparent colour see-through; the main form keeps
// a copy of its own.
int TrayIconFromSurface(ActionCall& call) {
  TCustomKPFPlayer& player = call.player;
  const DrawingSurface* surface = player.Surfaces().Current();
  if (surface == nullptr || surface->Picture.Empty()) return kResultNext;
  const render::Canvas& picture = surface->Picture;
  if (player.Tracing()) player.Trace(player.Line("tray-icon").Int("w", picture.Width()).Int("h", picture.Height()));
  if (!player.MainForm().setTrayIcon) return kResultNext;
  const int32_t key = surface->UseTransparency != 0 ? surface->TransparentColour : desktop::kClNone;
  player.MainForm().setTrayIcon(desktop::MakeTransparent(picture.Width(), picture.Height(), picture.Pixels(), key));
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {57, "NN", ShowSurface},    {59, "NN", ResizeSurface},        {60, "I", SetSurfaceScript},
    {61, "", HideSurface},      {64, "NNI", NewSurface},          {68, "I", SetTransparentColour},
    {71, "", ClearSurface},     {81, "I", SelectSurface},         {171, "", TrayIconFromSurface},
};

}  // namespace

std::span<const ActionEntry> SurfaceActions() { return kEntries; }

}  // namespace kpf::engine::actions
