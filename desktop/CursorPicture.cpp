#include "desktop/CursorPicture.hpp"

#include <algorithm>

#include "desktop/PictureTransparency.hpp"

namespace kpf::desktop {

platform::CursorImage BuildCursorImage(int width, int height, std::span<const uint32_t> pixels, int hotSpotX,
                                       int hotSpotY, int32_t transparentColor) {
  platform::CursorImage cursor;
  cursor.picture = MakeTransparent(width, height, pixels, transparentColor);
  if (cursor.picture.empty()) return cursor;
  cursor.hotSpotX = std::clamp(hotSpotX, 0, width - 1);
  cursor.hotSpotY = std::clamp(hotSpotY, 0, height - 1);
  return cursor;
}

}  // namespace kpf::desktop
