// Readers of the section bodies of a project stream. Every body is read from its own bounded
// reader, so a body can never reach into the next section; stored counts are checked against the
// bytes left before anything is allocated.
#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "project/ActionItems.hpp"
#include "project/PersistentStream.hpp"
#include "project/ProjectLoaderState.hpp"
#include "project/ReaderHelpers.hpp"
#include "project/StreamPrimitives.hpp"

namespace kpf::project {

namespace {

// A stored count: 0..limit and small enough that `minBytes` per element fit in what is left.
template <typename Reader>
size_t CheckedCount(Reader& body, int64_t count, size_t minBytes, int64_t limit) {
  if (count < 0 || count > limit) throw EStreamError();
  return body.checkCount(count, minBytes);
}

template <typename Reader>
size_t ReadListCount(Reader& body, size_t minBytes, int64_t limit = kMaxListCount) {
  return CheckedCount(body, body.readInt32(), minBytes, limit);
}

std::span<const uint8_t> ReadSizedBlock(ByteReader& body) { return body.take(body.readCount()); }

std::vector<uint8_t> ReadSizedBytes(ByteReader& body) {
  auto block = ReadSizedBlock(body);
  return {block.begin(), block.end()};
}

std::string ReadText(ByteReader& body) { return body.readNulString(); }

// Appends `count` items, each read by `readItem`; the count is already checked against the body.
template <typename Item, typename ReadItem>
void ReadItems(ByteReader& body, size_t count, std::vector<Item>& list, ReadItem readItem) {
  list.reserve(list.size() + count);
  for (size_t i = 0; i < count; ++i) list.push_back(readItem(body));
}

// Smallest stored sizes, used to bound counts.
constexpr size_t kMinAction = 13;
constexpr size_t kMinScript = 22;
constexpr size_t kMinImage = 9;
constexpr size_t kMinAnimation = 26;
constexpr size_t kMinFrame = 11;
constexpr size_t kMinSound = 7;
constexpr size_t kMinMenuEntry = 5;
constexpr size_t kMinPlayList = 12;
constexpr size_t kMinDialog = 9;
constexpr size_t kMinVariable = 7;

TKPFExeAction ReadAction(ByteReader& body) {
  TKPFExeAction action;
  action.Name = body.readNulString();
  action.ActionType = body.readInt32();
  action.Flags = body.readInt32();
  int32_t size = body.readInt32();
  if (size < 0 || size > kMaxParamSize) throw EStreamError();
  auto params = body.take(static_cast<size_t>(size));
  action.ParamData.assign(params.begin(), params.end());
  NormalizeEmptyAction(action);
  return action;
}

std::vector<TKPFExeAction> ReadActionList(ByteReader& body) {
  std::vector<TKPFExeAction> actions;
  ReadItems(body, ReadListCount(body, kMinAction), actions, ReadAction);
  return actions;
}

// The entry count of a menu extras section; the section applies only when it names every entry.
// One that does not is skipped whole.
bool ReadMenuCount(ByteReader& body, size_t entries, const LoadProblemSink& problems, const std::string& where) {
  int32_t count = body.readInt32();
  if (count >= 1 && static_cast<size_t>(count) == entries) return true;
  ReportProblem(problems, where,
                "it is for " + std::to_string(count) + " menu entries, the project has " + std::to_string(entries) +
                    ": the section is not applied");
  body.take(body.remaining());
  return false;
}

TTaviScript ReadScript(ByteReader& body) {
  TTaviScript script;
  script.Id = body.readInt32();
  script.Name = body.readNulString();
  script.Description = body.readNulString();
  script.Reserved1 = body.readInt32();
  script.Reserved2 = body.readInt32();
  script.Trigger = body.readInt32();
  script.Actions = ReadActionList(body);
  return script;
}

TPlayList ReadPlayList(ByteReader& body) {
  TPlayList list;
  list.Name = body.readNulString();
  list.Text = body.readNulString();
  list.Mode = body.readByte();
  list.Value = body.readWord();
  ReadItems(body, ReadListCount(body, 1), list.Items, ReadText);
  body.readInt32();
  return list;
}

TTaviDialog ReadDialog(ByteReader& body) {
  TTaviDialog dialog;
  dialog.ID = body.readInt32();
  dialog.Name = body.readNulString();
  dialog.Definition = ReadSizedBytes(body);
  return dialog;
}

uint16_t SaturatingIncrement(uint16_t value) {
  return value == std::numeric_limits<uint16_t>::max() ? value : static_cast<uint16_t>(value + 1);
}

int32_t NextId(int32_t id) {
  return static_cast<int32_t>(static_cast<uint32_t>(id) + 1u);
}

}  // namespace

void ProjectLoaderState::ReadScripts(ByteReader& body) {
  model_.Scripts.clear();
  transformsReady_ = false;
  model_.NextScriptId = body.readInt32();
  ReadItems(body, ReadListCount(body, kMinScript), model_.Scripts, ReadScript);
}

void ProjectLoaderState::ReadFrameImages(StreamedSection& body) {
  // Frames refer to images by index, and the image bytes are the first part of the frame data:
  // a second image section would make both ambiguous.
  if (imagesSeen_) throw KpfError("Duplicate frame image section");
  imagesSeen_ = true;
  int32_t count = ReadCompactCount(body);
  size_t images = CheckedCount(body, count, kMinImage, kMaxListCount);
  imageBytesLength_ = body.remaining();
  imageBytesOffset_ = CopyFrameBytes(body, imageBytesLength_);
  model_.Bitmaps.clear();
  model_.Bitmaps.resize(images);
  loadedImages_ = images;
}

void ProjectLoaderState::ReadSounds(StreamedSection& body) {
  size_t count = ReadListCount(body, kMinSound);
  // Sound sections add to the list, so the limit holds for all of them together.
  if (model_.Sounds.size() + count > static_cast<size_t>(kMaxListCount)) throw EStreamError();
  for (size_t i = 0; i < count; ++i) {
    TTaviSound sound;
    sound.Kind = body.readWord();
    sound.Name = body.readNulString();
    const size_t size = body.readCount();
    sound.Size = static_cast<int32_t>(size);
    soundOffsets_.push_back(CopyFrameBytes(body, size));
    model_.Sounds.push_back(std::move(sound));
  }
}

void ProjectLoaderState::ReadOptionFlags(ByteReader& body) {
  size_t count = ReadListCount(body, 1, kMaxMenuCount);
  auto flags = body.take(count);
  model_.OptionFlags.assign(flags.begin(), flags.end());
}

void ProjectLoaderState::ReadMenuEntries(ByteReader& body) {
  size_t count = ReadListCount(body, kMinMenuEntry, kMaxMenuCount);
  if (model_.MenuEntries.size() + count > static_cast<size_t>(kMaxMenuCount)) throw EStreamError();
  for (size_t i = 0; i < count; ++i) {
    TTaviMenu entry;
    entry.Caption = body.readNulString();
    entry.Actions = ReadActionList(body);
    if (!entry.Actions.empty()) {
      if (model_.Scripts.size() >= static_cast<size_t>(kMaxListCount)) throw EStreamError();
      TTaviScript script;
      script.Id = model_.NextScriptId;
      script.Name = "Script-" + std::to_string(script.Id);
      script.Description =
          "Script that executed when user click on popup menu `" + entry.Caption + "`";
      script.Actions = entry.Actions;
      entry.ScriptId = script.Id;
      model_.Scripts.push_back(std::move(script));
      transformsReady_ = false;
      model_.NextScriptId = NextId(model_.NextScriptId);
    }
    model_.MenuEntries.push_back(std::move(entry));
  }
}

void ProjectLoaderState::ReadMenuKeys(ByteReader& body) {
  if (!ReadMenuCount(body, model_.MenuEntries.size(), options_.Problems, section_)) return;
  for (auto& entry : model_.MenuEntries) {
    entry.ItemKey = body.readNulString();
    entry.Image = ReadSizedBytes(body);
    ReadSizedBlock(body);
  }
}

void ProjectLoaderState::ReadMenuFlags(ByteReader& body) {
  if (!ReadMenuCount(body, model_.MenuEntries.size(), options_.Problems, section_)) return;
  for (auto& entry : model_.MenuEntries) {
    entry.Flags = body.readInt32();
    entry.ImageColor = body.readInt32();
    entry.ScriptId = body.readInt32();
  }
}

void ProjectLoaderState::ReadPlayLists(ByteReader& body) {
  size_t count = ReadListCount(body, kMinPlayList);
  if (model_.PlayLists.size() + count > static_cast<size_t>(kMaxListCount)) throw EStreamError();
  ReadItems(body, count, model_.PlayLists, ReadPlayList);
}

void ProjectLoaderState::ReadDialogs(ByteReader& body) {
  model_.Dialogs.clear();
  model_.NextDialogId = body.readInt32();
  ReadItems(body, ReadListCount(body, kMinDialog), model_.Dialogs, ReadDialog);
}

void ProjectLoaderState::ReadMenuCaptions(ByteReader& body) {
  size_t count = ReadListCount(body, 1, kMaxMenuCount);
  model_.MenuCaptions.clear();
  ReadItems(body, count, model_.MenuCaptions, ReadText);
}

void ProjectLoaderState::ReadVariables(ByteReader& body) {
  model_.Variables.clear();
  model_.NextVariableId = body.readInt32();
  size_t count = CheckedCount(body, ReadCompactCount(body), kMinVariable, kMaxListCount);
  ReadItems(body, count, model_.Variables, [this](ByteReader& reader) {
    TTaviVariable variable;
    variable.Host = options_.VariableHost;
    variable.LoadFromStream(reader);
    return variable;
  });
}

void ProjectLoaderState::ReadCursors(ByteReader& body) {
  ReadCursorCollection(body, model_.Cursors, [this](const std::string& message) {
    // The message's lines (error, property, reason) as one.
    std::string text;
    for (size_t start = 0; start <= message.size();) {
      const size_t end = std::min(message.find('\r', start), message.size());
      if (end > start) text += (text.empty() ? "" : ": ") + message.substr(start, end - start);
      start = end + 1;
    }
    ReportProblem(options_.Problems, section_, text + "; the cursors keep what was read before");
    // One message per load: a damaged collection would otherwise raise one per property.
    if (errorReported_) return;
    errorReported_ = true;
    if (options_.OnPropertyError) options_.OnPropertyError(message);
  });
}

// ---- animations ----

void ProjectLoaderState::ReadAnimations(ByteReader& body) {
  size_t count = CheckedCount(body, ReadCompactCount(body), kMinAnimation, kMaxListCount);
  if (model_.Animations.size() + count > static_cast<size_t>(kMaxListCount)) throw EStreamError();
  ReadItems(body, count, model_.Animations, [this](ByteReader& reader) {
    TTaviEvent animation;
    ReadAnimation(reader, animation);
    return animation;
  });
  body.readInt32();
}

namespace {

// Move parameters: 5-byte entries of a type byte (1 or 2) and an int32. Any other type byte, or
// an entry cut short, ends the block; `ignored` gets the bytes left unread so.
std::vector<int32_t> ReadMoveParams(std::span<const uint8_t> block, size_t& ignored) {
  ByteReader reader(block);
  std::vector<int32_t> params;
  while (reader.remaining() >= 5) {
    const size_t start = reader.position();
    uint8_t type = reader.readByte();
    if (type != 1 && type != 2) {
      ignored = block.size() - start;
      return params;
    }
    params.push_back(reader.readInt32());
  }
  ignored = reader.remaining();
  return params;
}

void ReadAnimationHead(ByteReader& body, TAnimationHead& head) {
  head.Id = body.readInt32();
  head.Name = ReadShortString(body);
  head.Height = body.readWord();
  head.Width = body.readWord();
  head.EventIndex = body.readWord();
  head.RepeatCount = body.readWord();
  head.Option = body.readByte();
  head.PosX = ReadShortString(body);
  head.PosY = ReadShortString(body);
  head.MoveMode = body.readByte();
}

}  // namespace

void ProjectLoaderState::ReadAnimation(ByteReader& body, TTaviEvent& animation) {
  ReadAnimationHead(body, animation);
  const auto where = [&animation] { return "animation " + QuotedName(animation.Name); };
  if (animation.MoveMode != 0) {
    size_t ignored = 0;
    animation.Params = ReadMoveParams(ReadSizedBlock(body), ignored);
    if (ignored > 0)
      ReportProblem(options_.Problems, where(),
                    "the last " + std::to_string(ignored) + " bytes of its move parameters are no parameter: ignored");
  }
  if (body.readByte() != 0) {
    auto extra = ReadSizedBlock(body);
    if (!extra.empty()) animation.ExtraByte = extra[0];
  }
  size_t slots = ReadListCount(body, 4, std::numeric_limits<int32_t>::max());
  size_t ignoredScripts = 0;
  for (size_t slot = 0; slot < slots; ++slot) {
    int32_t id = body.readInt32();
    if (slot < kEventScriptSlots) animation.EventScripts[slot] = id;
    else if (id >= 0) ++ignoredScripts;
  }
  if (ignoredScripts > 0)
    ReportProblem(options_.Problems, where(),
                  std::to_string(ignoredScripts) + " scripts of its trigger table lie beyond its " +
                      std::to_string(kEventScriptSlots) + " slots: nothing starts them from there",
                  false);

  bool mirror = false, flip = false;
  for (int32_t id : animation.EventScripts) {
    auto [m, f] = ScriptTransforms(id);
    mirror = mirror || m;
    flip = flip || f;
  }
  size_t frames = ReadListCount(body, kMinFrame);
  animation.Frames.reserve(frames);
  for (size_t i = 0; i < frames; ++i) {
    TTaviFrame frame;
    ReadFrame(body, frame);
    auto [m, f] = ScriptTransforms(frame.ScriptId);
    mirror = mirror || m;
    flip = flip || f;
    if (frame.Kind == kImageFrame) {
      if (mirror) frame.Variants[1].Image = VariantImage(frame.BitmapIndex, 1);
      if (flip) frame.Variants[2].Image = VariantImage(frame.BitmapIndex, 2);
    }
    animation.Frames.push_back(std::move(frame));
  }
}

void ProjectLoaderState::ReadFrame(ByteReader& body, TTaviFrame& frame) {
  frame.Kind = body.readWord();
  if (frame.Kind == kImageFrame) {
    frame.X = body.readWord();
    frame.Y = body.readWord();
    body.readWord();  // first duration, repeated below
    frame.BitmapIndex = body.readInt32();
    if (frame.BitmapIndex < 0 || static_cast<size_t>(frame.BitmapIndex) >= loadedImages_)
      throw KpfError("Frame image index out of range");
    frame.UseTransparentColor = body.readByte() != 0;
    auto rgb = body.take(3);
    frame.TransparentColor = rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
    frame.Duration = body.readWord();
    frame.Variants[0].Region = ReadSizedBytes(body);
    frame.RegionStored = !frame.Variants[0].Region.empty();
    frame.Variants[0].Image = frame.BitmapIndex;
    auto& image = model_.Bitmaps[static_cast<size_t>(frame.BitmapIndex)];
    image.UseCount = SaturatingIncrement(image.UseCount);
  } else if (frame.Kind == kDocumentFrame) {
    frame.Document = body.readNulString();
  } else {
    ReadSizedBlock(body);
  }
  size_t sounds = CheckedCount(body, ReadCompactCount(body), 5, kMaxListCount);
  frame.Sounds.reserve(sounds);
  for (size_t i = 0; i < sounds; ++i) {
    TTaviSound reference;
    reference.SoundIndex = body.readInt32();
    reference.PlayMode = body.readByte();
    frame.Sounds.push_back(std::move(reference));
  }
  frame.ScriptId = body.readInt32();
}

int32_t ProjectLoaderState::VariantImage(int32_t source, int variant) {
  auto linkOf = [&](size_t index) -> int32_t& {
    auto& image = model_.Bitmaps[index];
    return variant == 1 ? image.MirrorLink : image.FlipLink;
  };
  size_t sourceIndex = static_cast<size_t>(source);
  if (linkOf(sourceIndex) < 0) {
    TVrBitmap copy;
    copy.CopyKind = static_cast<uint8_t>(variant);
    (variant == 1 ? copy.MirrorLink : copy.FlipLink) = source;
    int32_t index = static_cast<int32_t>(model_.Bitmaps.size());
    model_.Bitmaps.push_back(std::move(copy));
    linkOf(sourceIndex) = index;
  }
  int32_t index = linkOf(sourceIndex);
  auto& copy = model_.Bitmaps[static_cast<size_t>(index)];
  copy.UseCount = SaturatingIncrement(copy.UseCount);
  return index;
}

std::pair<bool, bool> ProjectLoaderState::ScriptTransforms(int32_t scriptId) {
  if (scriptId < 0) return {false, false};
  if (!transformsReady_) ComputeScriptTransforms();
  const auto found = transforms_.find(scriptId);
  return found == transforms_.end() ? std::pair{false, false} : found->second;
}

namespace {

constexpr int32_t kActionFlip = 11;
constexpr int32_t kActionMirror = 12;
constexpr int32_t kActionCallScript = 20;

// Marks, besides the scripts already marked, every script that calls a marked one, to any depth.
// A call names an id and reaches every script with that id, so the walk goes from a marked
// script to the callers of its id; each id's callers are visited once.
void MarkCallers(const std::vector<TTaviScript>& scripts,
                 const std::unordered_map<int32_t, std::vector<size_t>>& callersOfId, std::vector<bool>& marked) {
  std::vector<size_t> pending;
  for (size_t i = 0; i < marked.size(); ++i)
    if (marked[i]) pending.push_back(i);
  std::unordered_set<int32_t> walked;
  while (!pending.empty()) {
    const int32_t id = scripts[pending.back()].Id;
    pending.pop_back();
    if (!walked.insert(id).second) continue;
    const auto callers = callersOfId.find(id);
    if (callers == callersOfId.end()) continue;
    for (size_t caller : callers->second) {
      if (marked[caller]) continue;
      marked[caller] = true;
      pending.push_back(caller);
    }
  }
}

}  // namespace

// Whether a script mirrors (flips) is whether it, or a script it calls through type-20 actions,
// has a mirror (flip) action. Found for all scripts in one backward walk over the calls, so a
// project of long or cyclic call chains costs time in proportion to its size.
void ProjectLoaderState::ComputeScriptTransforms() {
  const auto& scripts = model_.Scripts;
  std::vector<bool> mirror(scripts.size(), false);
  std::vector<bool> flip(scripts.size(), false);
  std::unordered_map<int32_t, std::vector<size_t>> callersOfId;
  for (size_t i = 0; i < scripts.size(); ++i) {
    for (const auto& action : scripts[i].Actions) {
      if (action.ActionType == kActionMirror) mirror[i] = true;
      if (action.ActionType == kActionFlip) flip[i] = true;
      if (action.ActionType != kActionCallScript || action.ParamData.size() < 8) continue;
      size_t offset = 4;
      callersOfId[ReadInt32At(action.ParamData, offset)].push_back(i);
    }
  }
  MarkCallers(scripts, callersOfId, mirror);
  MarkCallers(scripts, callersOfId, flip);
  transforms_.clear();
  // The first script with an id is the one an animation names.
  for (size_t i = 0; i < scripts.size(); ++i) transforms_.try_emplace(scripts[i].Id, mirror[i], flip[i]);
  transformsReady_ = true;
}

}  // namespace kpf::project
