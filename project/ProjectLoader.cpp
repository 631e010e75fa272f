#include "project/ProjectLoader.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "project/ActionItems.hpp"
#include "project/ProjectLoaderState.hpp"
#include "project/Shape.hpp"
#include "project/SystemColors.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::project {

namespace {

constexpr uint16_t kTagEnd = 255;
constexpr uint16_t kTagFrameImages = 651;
constexpr uint16_t kTagSounds = 129;
// Section bodies are gathered in steps of this size, so a length that promises more than the
// stream holds costs only what the stream really inflates to.
constexpr size_t kBodyStep = size_t{1} << 20;

uint16_t ReadWord(InflatingReader& stream) {
  auto b = stream.Take(2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

// A section length: 0..2^31-1 (the bytes behind it are checked as they are read).
size_t ReadLength(InflatingReader& stream) {
  auto b = stream.Take(4);
  const auto length = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
  if (length < 0) throw EStreamError();
  return static_cast<size_t>(length);
}

std::vector<uint8_t> ReadBody(InflatingReader& stream, size_t length) {
  std::vector<uint8_t> body;
  while (body.size() < length) {
    auto piece = stream.Take(std::min(length - body.size(), kBodyStep));
    body.insert(body.end(), piece.begin(), piece.end());
  }
  return body;
}

// Sections of these tags replace what an earlier one loaded; the others add to it.
bool ReplacingSection(uint16_t tag) { return tag == 140 || tag == 144 || tag == 399 || tag == 131 || tag == 139; }

// The stream starts with the NUL-terminated magic (or the magic alone, ending the stream).
bool ReadMagic(InflatingReader& stream) {
  const std::string_view magic = kProjectMagic;
  auto head = stream.TakeUpTo(magic.size());
  if (std::string_view(reinterpret_cast<const char*>(head.data()), head.size()) != magic) return false;
  auto nul = stream.TakeUpTo(1);
  return nul.empty() || nul[0] == 0;
}

}  // namespace

void LoadProjectStream(std::span<const uint8_t> compressed, ProjectModel& model,
                       const LoadOptions& options) {
  // A stream that fails to inflate loads nothing, wherever the damage lies; so the message of a
  // damaged section waits until the whole stream has inflated.
  LoadOptions reading = options;
  std::optional<std::string> propertyError;
  if (options.OnPropertyError) reading.OnPropertyError = [&](const std::string& message) { propertyError = message; };
  InflatingReader stream(compressed, options.MaxStreamBytes);
  ProjectLoaderState state(model, reading);
  try {
    // A wrong magic reads no section; the model gets only its system variables.
    if (ReadMagic(stream))
      state.ReadSections(stream);
    else
      ReportProblem(options.Problems, "project stream", "it does not start with \"KPF2\": nothing is loaded");
    stream.Drain();
  } catch (const EZDecompressionError&) {
    if (!stream.Broken()) throw;
    model.Clear();
    throw;
  }
  if (propertyError) options.OnPropertyError(*propertyError);
  state.Finish();
}

size_t ProjectLoaderState::CopyFrameBytes(StreamedSection& body, size_t count) {
  const size_t offset = frameWriter_.Size();
  body.copyTo([this](std::span<const uint8_t> piece) { frameWriter_.Append(piece); }, count);
  return offset;
}

void ProjectLoaderState::ReadSections(InflatingReader& stream) {
  try {
    for (;;) {
      const size_t offset = stream.Position();
      uint16_t tag = ReadWord(stream);
      size_t length = ReadLength(stream);
      if (tag == kTagEnd) {
        if (!stream.Skip(length)) throw EStreamError();
        break;
      }
      section_ = "section " + std::to_string(tag) + " at offset " + std::to_string(offset);
      NoteRepeatedSection(tag);
      if (tag == kTagFrameImages || tag == kTagSounds) {
        ReadStreamedSection(tag, stream, length);
        continue;
      }
      const std::vector<uint8_t> bytes = ReadBody(stream, length);
      ByteReader body(bytes);
      ReadSection(tag, body);
      NoteLeftover(body.remaining());
    }
  } catch (...) {
    if (stream.Broken()) throw;
    failure_ = std::current_exception();
  }
}

void ProjectLoaderState::ReadStreamedSection(uint16_t tag, InflatingReader& stream, size_t length) {
  const bool imagesSeen = imagesSeen_;
  const size_t sounds = model_.Sounds.size();
  StreamedSection body(stream, length);
  try {
    if (tag == kTagFrameImages) {
      ReadFrameImages(body);
    } else {
      ReadSounds(body);
    }
  } catch (...) {
    // A section cut short by the end of the stream is refused whole, before any of it counts.
    if (!body.skipRest()) {
      imagesSeen_ = imagesSeen;
      model_.Sounds.resize(sounds);
      soundOffsets_.resize(std::min(soundOffsets_.size(), sounds));
      throw EStreamError();
    }
    throw;
  }
  NoteLeftover(body.remaining());
  if (!body.skipRest()) throw EStreamError();
}

// Bodies are read field by field; bytes after the last field mean the section was written
// with a wrong length or with fields this reader does not know.
void ProjectLoaderState::NoteLeftover(size_t bytes) {
  if (bytes > 0)
    ReportProblem(options_.Problems, section_, std::to_string(bytes) + " bytes after its last field are skipped", false);
}

void ProjectLoaderState::NoteRepeatedSection(uint16_t tag) {
  const bool seen = !sectionsSeen_.insert(tag).second;
  if (seen && ReplacingSection(tag))
    ReportProblem(options_.Problems, section_, "it replaces what an earlier section with its tag loaded");
}

void ProjectLoaderState::ReadSection(uint16_t tag, ByteReader& body) {
  switch (tag) {
    case 140: return ReadScripts(body);
    case 652: return ReadAnimations(body);
    case 131: return ReadOptionFlags(body);
    case 132: return ReadMenuEntries(body);
    case 133: return ReadMenuKeys(body);
    case 137: return ReadMenuFlags(body);
    case 135: return ReadPlayLists(body);
    case 139: return ReadDialogs(body);
    case 144: return ReadMenuCaptions(body);
    case 399: return ReadVariables(body);
    case 655: return ReadCursors(body);
    case 130: case 134: case 136: case 138: case 141: case 653:
      body.take(body.remaining());  // reserved: skipped by their length
      return;
    default:
      ReportProblem(options_.Problems, section_,
                    "unknown section of " + std::to_string(body.remaining()) + " bytes is skipped", false);
      body.take(body.remaining());
      return;
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
    for (size_t f = 0; f < animation.Frames.size(); ++f) {
      auto& frame = animation.Frames[f];
      for (auto& reference : frame.Sounds) {
        const int32_t stored = reference.SoundIndex;
        if (!reference.Name.empty()) {
          reference.SoundIndex = -1;
          for (size_t i = 0; i < soundCount; ++i)
            if (SameText(model_.Sounds[i].Name, reference.Name))
              reference.SoundIndex = static_cast<int32_t>(i);
        } else if (reference.SoundIndex < 0 ||
                   static_cast<size_t>(reference.SoundIndex) >= soundCount) {
          reference.SoundIndex = -1;
        }
        if (reference.SoundIndex == -1)
          ReportProblem(options_.Problems, FramePlace(animation, f),
                        (reference.Name.empty() ? "sound index " + std::to_string(stored)
                                                : "sound " + QuotedName(reference.Name)) +
                            " names no sound of the project: the frame does not play it");
      }
      std::erase_if(frame.Sounds, [](const TTaviSound& r) { return r.SoundIndex == -1; });
    }
  }
}

std::string ProjectLoaderState::FramePlace(const TTaviEvent& animation, size_t index) {
  return "animation " + QuotedName(animation.Name) + " frame " + std::to_string(index + 1);
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

void ProjectLoaderState::BuildAnimationShapes(TTaviEvent& animation) {
  // Only the stored outlines are checked here; every outline is made when its frame is first
  // shown (ProjectModel::PrepareOutline).
  for (size_t variant = 0; variant < 3; ++variant) {
    for (size_t f = 0; f < animation.Frames.size(); ++f) {
      auto& frame = animation.Frames[f];
      auto& data = frame.Variants[variant];
      TVrBitmap* image = model_.FrameImage(frame, static_cast<int>(variant));
      if (!image) continue;
      if (variant == 0 && frame.RegionStored && !RunListFits(data.Region, image->Width(), image->Height())) {
        data.Region.clear();  // damaged stored outline: rebuilt from the picture when shown
        frame.RegionStored = false;
        ReportProblem(options_.Problems, FramePlace(animation, f),
                      "the stored outline does not fit its picture: the outline is made from the picture instead",
                      false);
      }
      data.OutlinePending = true;
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
  for (auto& script : model_.Scripts) {
    for (size_t i = 0; i < script.Actions.size(); ++i) {
      const size_t dropped = UnpackParams(script.Actions[i], model_.Variables);
      if (dropped > 0)
        ReportProblem(options_.Problems, "script " + QuotedName(script.Name) + " item " + std::to_string(i + 1),
                      "its parameter block is cut short: the last " + std::to_string(dropped) +
                          " bytes are ignored, the item has " + std::to_string(script.Actions[i].ParamKind.size()) +
                          " parameters");
    }
  }
  // A menu entry's actions are also the script the load made of them, reported there.
  for (auto& entry : model_.MenuEntries)
    for (auto& action : entry.Actions) UnpackParams(action, model_.Variables);
}

}  // namespace kpf::project
