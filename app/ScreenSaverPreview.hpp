#pragma once
// The preview in a screen-saver settings dialog: the program's icon, centred in the window the
// dialog gives, drawn over what that window shows.
#include <cstdint>

#include "platform/ScreenSaverServices.hpp"

namespace kpf::app {

// How long the preview waits for its window to be shown.
inline constexpr int kPreviewWaitMs = 10000;

// False when the id names no window, the window is not shown in time, or it goes meanwhile.
bool PaintPreview(platform::ScreenSaverServices& services, uint64_t windowId);

}  // namespace kpf::app
