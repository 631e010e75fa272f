#include "app/ScreenSaverPreview.hpp"

#include "app/PixelBlend.hpp"

namespace kpf::app {

bool PaintPreview(platform::ScreenSaverServices& services, uint64_t windowId) {
  const std::unique_ptr<platform::ForeignWindow> window = services.OpenForeignWindow(windowId, kPreviewWaitMs);
  if (!window) return false;
  const platform::Picture icon = services.ApplicationIcon();
  if (icon.empty()) return true;
  const platform::Point at = platform::CentredOffset(window->Width(), window->Height(), icon.width, icon.height);
  const platform::Picture under = window->CopyScreenUnder();
  std::vector<uint32_t> pixels(icon.pixels.size());
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) {
      const int ux = at.x + x, uy = at.y + y;
      const bool inside = !under.empty() && ux >= 0 && uy >= 0 && ux < under.width && uy < under.height;
      const uint32_t background =
          inside ? under.pixels[static_cast<size_t>(uy) * static_cast<size_t>(under.width) + static_cast<size_t>(ux)]
                 : 0xFF000000u;
      const size_t index = static_cast<size_t>(y) * static_cast<size_t>(icon.width) + static_cast<size_t>(x);
      pixels[index] = Blend(icon.pixels[index], background, icon.pixels[index] >> 24);
    }
  }
  return window->Paint(at.x, at.y, {icon.width, icon.height, pixels});
}

}  // namespace kpf::app
