// Outlines of frame variants, made when a frame is first shown rather than at load: a large
// character would otherwise decode and scan every picture before it appears.
#include "project/ProjectModel.hpp"
#include "project/SystemColors.hpp"

namespace kpf::project {

const ShapeData& ProjectModel::PictureOutline(int32_t index, uint32_t transparent, bool firstPointOnly,
                                              bool decodeInPlace) {
  if (firstPointOnly) {
    if (auto full = outlines_.find({index, transparent, false}); full != outlines_.end()) return full->second;
  }
  auto [slot, added] = outlines_.try_emplace({index, transparent, firstPointOnly});
  if (added) {
    try {
      TVrBitmap& image = Bitmaps[static_cast<size_t>(index)];
      if (decodeInPlace || image.Decoded()) {
        slot->second = BuildShape(image, transparent, firstPointOnly);
      } else {
        TVrBitmap scratch;
        scratch.Assign(image);
        slot->second = BuildShape(scratch, transparent, firstPointOnly);
      }
    } catch (...) {
      outlines_.erase(slot);  // a damaged picture fails again for every frame that shows it
      throw;
    }
  }
  return slot->second;
}

const std::vector<uint8_t>* ProjectModel::RawOutline(TTaviFrame& frame, size_t variant,
                                                     std::optional<platform::Point>* first, bool decodeInPlace) {
  TFrameVariant& data = frame.Variants[variant];
  if (!data.OutlinePending) return data.SameShape || data.Region.empty() ? nullptr : &data.Region;
  const uint32_t transparent = ColorToArgb(frame.TransparentColor);
  const std::vector<uint8_t>* runs = nullptr;
  if (variant == 0 && frame.RegionStored) {
    runs = &data.Region;
    if (first && frame.UseTransparentColor) *first = PictureOutline(data.Image, transparent, true, decodeInPlace).firstOpaque;
  } else if (frame.UseTransparentColor) {
    const ShapeData& shape = PictureOutline(data.Image, transparent, false, decodeInPlace);
    runs = &shape.runs;
    if (first) *first = shape.firstOpaque;
  } else if (first) {
    *first = platform::Point{0, 0};
  }
  return runs && !runs->empty() ? runs : nullptr;
}

void ProjectModel::PrepareOutline(TTaviEvent& animation, size_t index, size_t variant, bool decodeInPlace) {
  TTaviFrame& frame = animation.Frames[index];
  TFrameVariant& data = frame.Variants[variant];
  if (!data.OutlinePending) return;
  std::optional<platform::Point> first;
  const std::vector<uint8_t>* runs = RawOutline(frame, variant, &first, decodeInPlace);
  std::vector<uint8_t> region = runs ? *runs : std::vector<uint8_t>{};
  // The nearest earlier frame with an outline: an earlier same-shape frame equals the one
  // before it, so it is passed over.
  bool same = false;
  if (!region.empty()) {
    for (size_t earlier = index; earlier-- > 0;) {
      if (FrameImage(animation.Frames[earlier], static_cast<int>(variant)) == nullptr) continue;
      if (const auto* previous = RawOutline(animation.Frames[earlier], variant, nullptr, false)) {
        same = SameShape(*previous, region);
        break;
      }
    }
  }
  if (first) {
    data.FirstX = first->x;
    data.FirstY = first->y;
  }
  data.SameShape = same;
  if (same) region.clear();
  data.Region = std::move(region);
  data.OutlinePending = false;
}

void ProjectModel::PrepareOutline(const TTaviFrame& frame, int variant) {
  if (variant < 0 || variant > 2) return;
  for (auto& animation : Animations) {
    if (animation.Frames.empty() || &frame < animation.Frames.data() ||
        &frame >= animation.Frames.data() + animation.Frames.size()) {
      continue;
    }
    PrepareOutline(animation, static_cast<size_t>(&frame - animation.Frames.data()), static_cast<size_t>(variant), true);
    return;
  }
}

void ProjectModel::PrepareAllOutlines() {
  for (auto& animation : Animations) {
    for (size_t variant = 0; variant < 3; ++variant) {
      for (size_t i = 0; i < animation.Frames.size(); ++i) PrepareOutline(animation, i, variant, false);
    }
  }
}

}  // namespace kpf::project
