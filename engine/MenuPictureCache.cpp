#include "engine/MenuPictureCache.hpp"

#include "engine/DesktopServices.hpp"

namespace kpf::engine {
namespace {

constexpr int32_t kImageTransparentFlag = 4;

}  // namespace

const platform::Picture& MenuPictureCache::PictureOf(const std::vector<project::TTaviMenu>& entries, size_t index) {
  // Entries past the end of the list are gone; their pictures go with them.
  cached_.resize(entries.size());
  const project::TTaviMenu& entry = entries.at(index);
  std::optional<Cached>& slot = cached_[index];
  const int32_t transparentFlag = entry.Flags & kImageTransparentFlag;
  // The colour matters only with the flag set.
  const int32_t imageColor = transparentFlag != 0 ? entry.ImageColor : 0;
  if (!slot || slot->image != entry.Image || slot->transparentFlag != transparentFlag ||
      slot->imageColor != imageColor) {
    slot = Cached{entry.Image, transparentFlag, imageColor, MenuEntryPicture(entry)};
  }
  return slot->picture;
}

}  // namespace kpf::engine
