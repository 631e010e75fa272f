#include "engine/DrawingSurfaces.hpp"

#include "desktop/PictureTransparency.hpp"
#include "engine/TCustomKPFPlayer.hpp"
#include "package/PackageReader.hpp"

namespace kpf::engine {

DrawingSurfaces::~DrawingSurfaces() { *alive_ = false; }

void DrawingSurfaces::Select(int64_t index) { current_ = index >= 0 && index < kSlotCount ? static_cast<int>(index) : 0; }

const DrawingSurface* DrawingSurfaces::At(int slot) const {
  return slot >= 0 && slot < kSlotCount ? slots_[static_cast<size_t>(slot)].get() : nullptr;
}

int64_t DrawingSurfaces::TotalPixels() const {
  int64_t total = 0;
  for (const auto& surface : slots_) {
    if (surface) total += int64_t{surface->Picture.Width()} * surface->Picture.Height();
  }
  return total;
}

bool DrawingSurfaces::FitsBudget(int64_t width, int64_t height) const {
  if (!render::Canvas::SizeAllowed(width, height)) return false;
  const DrawingSurface* replaced = slots_[static_cast<size_t>(current_)].get();
  const int64_t others =
      TotalPixels() - (replaced != nullptr ? int64_t{replaced->Picture.Width()} * replaced->Picture.Height() : 0);
  return others + width * height <= kMaxTotalPixels;
}

template <typename Paint>
void DrawingSurfaces::WithTransparentBrush(DrawingSurface& surface, Paint paint) {
  const render::CanvasBrush saved = surface.Picture.Brush();
  surface.Picture.SetBrushState({desktop::TColorToRgb(surface.TransparentColour), render::BrushStyle::Solid});
  paint(surface.Picture);
  surface.Picture.SetBrushState(saved);
}

bool DrawingSurfaces::Create(int64_t width, int64_t height) {
  if (!FitsBudget(width, height)) return false;
  auto& slot = slots_[static_cast<size_t>(current_)];
  if (slot) Retire(*slot, current_);
  auto surface = std::make_unique<DrawingSurface>();
  surface->Picture = render::Canvas(kInitialSide, kInitialSide);
  surface->TransparentColour = surface->Picture.GetPixel(0, 0);
  surface->Picture.SetSize(static_cast<int>(width), static_cast<int>(height));
  slot = std::move(surface);
  return true;
}

bool DrawingSurfaces::Resize(int64_t width, int64_t height) {
  DrawingSurface* surface = Current();
  if (surface == nullptr || !FitsBudget(width, height)) return false;
  WithTransparentBrush(*surface, [&](render::Canvas& picture) {
    picture.SetSize(static_cast<int>(width), static_cast<int>(height));
  });
  return true;
}

void DrawingSurfaces::Clear() {
  DrawingSurface* surface = Current();
  if (surface == nullptr) return;
  WithTransparentBrush(*surface, [](render::Canvas& picture) {
    picture.FillRect(0, 0, picture.Width(), picture.Height());
  });
  // Scripts clear a surface before redrawing it; the memory freed meanwhile goes back.
  package::TrimWorkingSet();
}

std::unique_ptr<SurfaceWindow> DrawingSurfaces::MakeWindow(int slot) {
  const int32_t id = nextWindowId_++;
  SurfaceWindow::Handlers handlers;
  handlers.click = [this, slot, id](int32_t script) {
    player_.Trace(player_.Line("surface-click").Int("slot", slot).Int("script", script));
    TriggerContext context;
    context.sender = TriggerContext::SenderKind::Surface;
    context.senderId = id;
    player_.FireScript(script, context);
  };
  handlers.popup = [this] { player_.PopupMenuAtPointer(); };
  return std::make_unique<SurfaceWindow>(player_.Platform().CreateWindow(), id, std::move(handlers));
}

bool DrawingSurfaces::Show(int x, int y) {
  DrawingSurface* surface = Current();
  if (surface == nullptr) return false;
  // X has no windows of 0 × 0: an empty picture is not shown, and a window still showing the
  // picture it had before it was emptied is hidden.
  if (surface->Picture.Empty()) {
    if (surface->Window && surface->Visible) HideWindow(*surface, current_);
    return false;
  }
  if (!surface->Window) {
    surface->Window = MakeWindow(current_);
    if (aside_) surface->Window->SetAside(true);
  }
  surface->Window->Show(surface->Picture, desktop::TColorToRgb(surface->TransparentColour), x, y,
                        surface->ClickScript);
  surface->Visible = true;
  player_.Trace(player_.Line("surface-show")
                    .Int("slot", current_)
                    .Int("x", x)
                    .Int("y", y)
                    .Int("w", surface->Picture.Width())
                    .Int("h", surface->Picture.Height()));
  return true;
}

bool DrawingSurfaces::Hide() {
  DrawingSurface* surface = Current();
  if (surface == nullptr || !surface->Window) return false;
  HideWindow(*surface, current_);
  return true;
}

void DrawingSurfaces::HideWindow(DrawingSurface& surface, int slot) {
  surface.Visible = false;
  surface.Window->Hide();
  player_.Trace(player_.Line("surface-hide").Int("slot", slot));
}

void DrawingSurfaces::HideAll() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    DrawingSurface* surface = slots_[static_cast<size_t>(slot)].get();
    if (surface != nullptr && surface->Window && surface->Visible) HideWindow(*surface, slot);
  }
}

void DrawingSurfaces::SetAside(bool aside) {
  aside_ = aside;
  for (const auto& surface : slots_) {
    if (surface != nullptr && surface->Window) surface->Window->SetAside(aside);
  }
}

void DrawingSurfaces::MoveWindows(
    const std::function<std::optional<platform::Point>(const platform::Rect&)>& placed) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    DrawingSurface* surface = slots_[static_cast<size_t>(slot)].get();
    if (surface == nullptr || !surface->Window || !surface->Visible) continue;
    platform::NativeWindow& window = surface->Window->Native();
    const platform::Rect bounds = window.Bounds();
    const std::optional<platform::Point> to = placed(bounds);
    if (!to) continue;
    window.MoveResize(to->x, to->y, bounds.width(), bounds.height());
    player_.Trace(player_.Line("surface-move").Int("slot", slot).Int("x", to->x).Int("y", to->y));
  }
}

void DrawingSurfaces::ReleaseAll() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (auto& surface = slots_[static_cast<size_t>(slot)]) {
      Retire(*surface, slot);
      surface.reset();
    }
  }
  current_ = 0;
}

void DrawingSurfaces::Retire(DrawingSurface& surface, int slot) {
  if (!surface.Window) return;
  if (surface.Visible) HideWindow(surface, slot);
  surface.Window->Detach([this] { PostRelease(); });
  player_.ForgetSender(TriggerContext::SenderKind::Surface, surface.Window->Id());
  retired_.push_back(std::move(surface.Window));
  PostRelease();
}

// Retired windows are freed from the loop, and only those with none of their own events on the
// stack: a click script that replaced its surface may be waiting in a nested loop (Wait, or the
// pause of HideSurface) that runs this task. Such a window asks again when its event returns.
void DrawingSurfaces::PostRelease() {
  if (releasePosted_) return;
  releasePosted_ = true;
  std::weak_ptr<bool> alive = alive_;
  player_.Platform().Loop().Post([this, alive] {
    if (auto flag = alive.lock(); !flag || !*flag) return;
    releasePosted_ = false;
    std::erase_if(retired_, [](const std::unique_ptr<SurfaceWindow>& window) { return !window->InEvent(); });
  });
}

}  // namespace kpf::engine
