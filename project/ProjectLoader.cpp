#include "project/ProjectLoader.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "project/ActionItems.hpp"
#include "project/ProjectLoaderState.hpp"
#include "project/Shape.hpp"
#include "project/SystemColors.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::project {

namespace {

constexpr uint16_t kTagEnd = 255;

// The inflated stream is read once, front to back, so bytes already copied into the frame-data
// block are never read again: their whole pages go back to the system at once instead of staying
// resident beside their copy until the load ends.
void ReleasePages(std::span<const uint8_t> bytes) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<uintptr_t>(bytes.data());
  const uintptr_t begin = (first + page - 1) & ~(page - 1);
  const uintptr_t end = (first + bytes.size()) & ~(page - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

}  // namespace

void LoadProjectStream(std::span<const uint8_t> compressed, ProjectModel& model,
                       const LoadOptions& options) {
  ByteBuffer stream = DecompressBuf(compressed, 0, options.MaxStreamBytes);
  ByteReader reader(stream);
  ProjectLoaderState state(model, options);
  // A wrong magic reads no section; the model gets only its system variables.
  if (reader.readNulString() == kProjectMagic) state.ReadSections(reader);
  state.Finish();
}

// The inflated stream belongs to the load, so its copied bytes may be dropped at once.
void ProjectLoaderState::AppendFrameBytes(std::span<const uint8_t> bytes) {
  frameWriter_.Append(bytes);
  ReleasePages(bytes);
}

void ProjectLoaderState::ReadSections(ByteReader& stream) {
  try {
    for (;;) {
      uint16_t tag = stream.readWord();
      size_t length = stream.readCount();
      if (tag == kTagEnd) break;
      size_t start = stream.position();
      ByteReader body(stream.data().subspan(start, length));
      ReadSection(tag, body);
      stream.seek(start + length);
    }
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void ProjectLoaderState::ReadSection(uint16_t tag, ByteReader& body) {
  switch (tag) {
    case 140: return ReadScripts(body);
    case 651: return ReadFrameImages(body);
    case 652: return ReadAnimations(body);
    case 129: return ReadSounds(body);
    case 131: return ReadOptionFlags(body);
    case 132: return ReadMenuEntries(body);
    case 133: return ReadMenuKeys(body);
    case 137: return ReadMenuFlags(body);
    case 135: return ReadPlayLists(body);
    case 139: return ReadDialogs(body);
    case 144: return ReadMenuCaptions(body);
    case 399: return ReadVariables(body);
    case 655: return ReadCursors(body);
    default: return;  // reserved and unknown sections are skipped by their length
  }
}

void ProjectLoaderState::Attempt(void (ProjectLoaderState::*step)()) {
  try {
    (this->*step)();
  } catch (...) {
    if (!failure_) failure_ = std::current_exception();
  }
}

void ProjectLoaderState::Finish() {
  Attempt(&ProjectLoaderState::ResolveSoundReferences);
  RegisterSystemVariables(model_.Variables, options_.VariableHost);
  Attempt(&ProjectLoaderState::MapFrameData);
  Attempt(&ProjectLoaderState::ParseImages);
  Attempt(&ProjectLoaderState::BuildShapes);
  GiveSoundsTheirData();
  UnpackAllParams();
  if (failure_) std::rethrow_exception(failure_);
}

void ProjectLoaderState::ResolveSoundReferences() {
  const size_t soundCount = model_.Sounds.size();
  for (auto& animation : model_.Animations) {
    for (auto& frame : animation.Frames) {
      for (auto& reference : frame.Sounds) {
        if (!reference.Name.empty()) {
          reference.SoundIndex = -1;
          for (size_t i = 0; i < soundCount; ++i)
            if (SameText(model_.Sounds[i].Name, reference.Name))
              reference.SoundIndex = static_cast<int32_t>(i);
        } else if (reference.SoundIndex < 0 ||
                   static_cast<size_t>(reference.SoundIndex) >= soundCount) {
          reference.SoundIndex = -1;
        }
      }
      std::erase_if(frame.Sounds, [](const TTaviSound& r) { return r.SoundIndex == -1; });
    }
  }
}

void ProjectLoaderState::MapFrameData() {
  // Images and sounds borrow from the block: nothing may point into the previous one.
  model_.FrameData = desktop::TVrMemoryFile();
  if (model_.Bitmaps.empty() && model_.Sounds.empty()) return;
  model_.FrameData = frameWriter_.Finish();
}

void ProjectLoaderState::ParseImages() {
  auto block = model_.FrameData.Bytes();
  if (block.size() < imageBytesOffset_ + imageBytesLength_) return;
  // Image entries may only use the bytes of the image section, never the sounds behind them.
  auto images = block.subspan(imageBytesOffset_, imageBytesLength_);
  size_t cursor = 0;
  for (size_t i = 0; i < model_.Bitmaps.size(); ++i) {
    auto& image = model_.Bitmaps[i];
    if (image.CopyKind == 0) {
      if (i < loadedImages_) cursor = image.LoadFromBuffer(images, cursor);
      continue;
    }
    // A copy always comes after its source in the list, so the source is complete.
    int32_t source = image.CopyKind == 1 ? image.MirrorLink : image.FlipLink;
    if (source < 0 || static_cast<size_t>(source) >= i) continue;
    TVrBitmap copy = std::move(image);
    image.Assign(model_.Bitmaps[static_cast<size_t>(source)]);
    image.CopyKind = copy.CopyKind;
    image.MirrorLink = copy.MirrorLink;
    image.FlipLink = copy.FlipLink;
    image.UseCount = copy.UseCount;
    if (image.CopyKind == 1)
      image.MirrorHorizontal();
    else
      image.FlipVertical();
  }
}

void ProjectLoaderState::BuildShapes() {
  for (auto& animation : model_.Animations) {
    try {
      BuildAnimationShapes(animation);
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
  }
}

namespace {

// Builds the outline on a throw-away copy when the picture is not decoded yet: the decoded
// pixels of thousands of frames must not all stay in memory after loading (they are decoded
// again on first draw).
ShapeData ShapeOf(TVrBitmap& image, uint32_t transparent, bool firstPointOnly) {
  if (image.Decoded()) return BuildShape(image, transparent, firstPointOnly);
  TVrBitmap scratch;
  scratch.Assign(image);
  return BuildShape(scratch, transparent, firstPointOnly);
}

}  // namespace

const ShapeData& ProjectLoaderState::ImageShape(int32_t index, uint32_t transparent, bool firstPointOnly) {
  if (firstPointOnly) {
    if (auto full = shapes_.find({index, transparent, false}); full != shapes_.end()) return full->second;
  }
  auto [slot, added] = shapes_.try_emplace({index, transparent, firstPointOnly});
  if (added) {
    try {
      slot->second = ShapeOf(model_.Bitmaps[static_cast<size_t>(index)], transparent, firstPointOnly);
    } catch (...) {
      shapes_.erase(slot);  // a damaged picture fails again for every frame that shows it
      throw;
    }
  }
  return slot->second;
}

void ProjectLoaderState::BuildAnimationShapes(TTaviEvent& animation) {
  for (size_t variant = 0; variant < 3; ++variant) {
    const std::vector<uint8_t>* previous = nullptr;
    for (auto& frame : animation.Frames) {
      auto& data = frame.Variants[variant];
      TVrBitmap* image = model_.FrameImage(frame, static_cast<int>(variant));
      if (!image) continue;
      bool stored = variant == 0 && frame.RegionStored &&
                    RunListFits(data.Region, image->Width(), image->Height());
      if (variant == 0 && frame.RegionStored && !stored) {
        data.Region.clear();  // damaged stored outline: rebuilt from the picture below
        frame.RegionStored = false;
      }
      uint32_t transparent = ColorToArgb(frame.TransparentColor);
      if (stored) {
        if (frame.UseTransparentColor) {
          const ShapeData& shape = ImageShape(data.Image, transparent, true);
          data.FirstX = shape.firstOpaque.x;
          data.FirstY = shape.firstOpaque.y;
        }
      } else if (frame.UseTransparentColor) {
        const ShapeData& shape = ImageShape(data.Image, transparent, false);
        data.Region = shape.runs;
        data.FirstX = shape.firstOpaque.x;
        data.FirstY = shape.firstOpaque.y;
      } else {
        data.Region.clear();
        data.FirstX = 0;
        data.FirstY = 0;
      }
      if (data.Region.empty()) continue;
      if (previous && SameShape(*previous, data.Region)) {
        data.SameShape = true;
        data.Region.clear();
        continue;
      }
      previous = &data.Region;
    }
  }
}

void ProjectLoaderState::GiveSoundsTheirData() {
  auto block = model_.FrameData.Bytes();
  for (size_t i = 0; i < model_.Sounds.size() && i < soundOffsets_.size(); ++i) {
    auto& sound = model_.Sounds[i];
    size_t size = static_cast<size_t>(sound.Size);
    if (soundOffsets_[i] + size <= block.size())
      sound.Data = block.subspan(soundOffsets_[i], size);
    else
      sound.Size = 0;  // bytes never reached the block (the load failed): no data
  }
}

void ProjectLoaderState::UnpackAllParams() {
  for (auto& script : model_.Scripts)
    for (auto& action : script.Actions) UnpackParams(action, model_.Variables);
  for (auto& entry : model_.MenuEntries)
    for (auto& action : entry.Actions) UnpackParams(action, model_.Variables);
}

}  // namespace kpf::project
