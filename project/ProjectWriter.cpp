#include "project/ProjectWriter.hpp"

#include <zlib.h>

#include "project/StreamPrimitives.hpp"

namespace kpf::project {

namespace {

void WriteBytes(Stream& out, std::span<const uint8_t> bytes) {
  if (!bytes.empty()) out.Write(bytes.data(), bytes.size());
}

void WriteSection(MemoryStream& out, uint16_t tag, const MemoryStream& body) {
  WriteWord(out, tag);
  WriteInt32(out, static_cast<int32_t>(body.Size()));
  WriteBytes(out, body.Data());
}

// An int32 count, then each item as `writeItem` stores it: the shape of most lists in a project.
template <typename Item, typename WriteItem>
void WriteList(Stream& out, const std::vector<Item>& items, WriteItem writeItem) {
  WriteInt32(out, static_cast<int32_t>(items.size()));
  for (const auto& item : items) writeItem(out, item);
}

// A section body that is one counted list.
template <typename Item, typename WriteItem>
MemoryStream ListBody(const std::vector<Item>& items, WriteItem writeItem) {
  MemoryStream body;
  WriteList(body, items, writeItem);
  return body;
}

// A section body that is the next free id, then a counted list.
template <typename Item, typename WriteItem>
MemoryStream IdListBody(int32_t nextId, const std::vector<Item>& items, WriteItem writeItem) {
  MemoryStream body;
  WriteInt32(body, nextId);
  WriteList(body, items, writeItem);
  return body;
}

void WriteAction(Stream& out, const TKPFExeAction& action) {
  WriteNulString(out, action.Name);
  WriteInt32(out, action.ActionType);
  WriteInt32(out, action.Flags);
  WriteSizedBlock(out, action.ParamData);
}

void WriteScript(Stream& out, const TTaviScript& script) {
  WriteInt32(out, script.Id);
  WriteNulString(out, script.Name);
  WriteNulString(out, script.Description);
  WriteInt32(out, script.Reserved1);
  WriteInt32(out, script.Reserved2);
  WriteInt32(out, script.Trigger);
  WriteList(out, script.Actions, WriteAction);
}

MemoryStream Images(const ProjectSource& source) {
  MemoryStream body;
  WriteCompactCount(body, static_cast<int32_t>(source.Images.size() + source.ImageEntries.size()));
  for (const auto& image : source.Images) WriteBytes(body, WriteImageEntry(image));
  for (const auto& entry : source.ImageEntries) WriteBytes(body, entry);
  return body;
}

void WriteFrame(Stream& out, const FrameSource& frame) {
  WriteWord(out, frame.Kind);
  if (frame.Kind == kImageFrame) {
    WriteWord(out, frame.X);
    WriteWord(out, frame.Y);
    WriteWord(out, frame.Duration);
    WriteInt32(out, frame.BitmapIndex);
    WriteByte(out, frame.UseTransparentColor ? 1 : 0);
    WriteByte(out, static_cast<uint8_t>(frame.TransparentColor));
    WriteByte(out, static_cast<uint8_t>(frame.TransparentColor >> 8));
    WriteByte(out, static_cast<uint8_t>(frame.TransparentColor >> 16));
    WriteWord(out, frame.Duration);
    WriteSizedBlock(out, frame.Region);
  } else if (frame.Kind == kDocumentFrame) {
    WriteNulString(out, frame.Document);
  } else {
    WriteSizedBlock(out, frame.PauseBody);
  }
  WriteCompactCount(out, static_cast<int32_t>(frame.Sounds.size()));
  for (const auto& [index, mode] : frame.Sounds) {
    WriteInt32(out, index);
    WriteByte(out, mode);
  }
  WriteInt32(out, frame.ScriptId);
}

void WriteAnimationHead(Stream& out, const TAnimationHead& head) {
  WriteInt32(out, head.Id);
  WriteShortString(out, head.Name);
  WriteWord(out, head.Height);
  WriteWord(out, head.Width);
  WriteWord(out, head.EventIndex);
  WriteWord(out, head.RepeatCount);
  WriteByte(out, head.Option);
  WriteShortString(out, head.PosX);
  WriteShortString(out, head.PosY);
  WriteByte(out, head.MoveMode);
}

void WriteAnimation(Stream& out, const AnimationSource& animation) {
  WriteAnimationHead(out, animation);
  if (animation.MoveMode != 0) {
    MemoryStream params;
    for (int32_t value : animation.Params) {
      WriteByte(params, 1);
      WriteInt32(params, value);
    }
    WriteSizedBlock(out, params.Data());
  }
  WriteByte(out, animation.ExtraPresent ? 1 : 0);
  if (animation.ExtraPresent) WriteSizedBlock(out, animation.Extra);
  WriteList(out, animation.EventScripts, WriteInt32);
  WriteList(out, animation.Frames, WriteFrame);
}

MemoryStream Animations(const ProjectSource& source) {
  MemoryStream body;
  WriteCompactCount(body, static_cast<int32_t>(source.Animations.size()));
  for (const auto& animation : source.Animations) WriteAnimation(body, animation);
  WriteInt32(body, 0);
  return body;
}

void WriteSound(Stream& out, const SoundSource& sound) {
  WriteWord(out, sound.Kind);
  WriteNulString(out, sound.Name);
  WriteSizedBlock(out, sound.Data);
}

void WriteMenu(Stream& out, const MenuSource& menu) {
  WriteNulString(out, menu.Caption);
  WriteList(out, menu.Actions, WriteAction);
}

void WriteMenuKey(Stream& out, const MenuSource& menu) {
  WriteNulString(out, menu.ItemKey);
  WriteSizedBlock(out, menu.Image);
  WriteInt32(out, 0);
}

void WriteMenuFlags(Stream& out, const MenuSource& menu) {
  WriteInt32(out, menu.Flags);
  WriteInt32(out, menu.ImageColor);
  WriteInt32(out, menu.ScriptId);
}

void WritePlayList(Stream& out, const TPlayList& list) {
  WriteNulString(out, list.Name);
  WriteNulString(out, list.Text);
  WriteByte(out, list.Mode);
  WriteWord(out, list.Value);
  WriteList(out, list.Items, WriteNulString);
  WriteInt32(out, 0);
}

void WriteDialog(Stream& out, const TTaviDialog& dialog) {
  WriteInt32(out, dialog.ID);
  WriteNulString(out, dialog.Name);
  WriteSizedBlock(out, dialog.Definition);
}

MemoryStream Variables(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, source.NextVariableId);
  WriteCompactCount(body, static_cast<int32_t>(source.Variables.size()));
  for (const auto& variable : source.Variables) {
    WriteInt32(body, variable.ID);
    WriteShortString(body, variable.Name);
    WriteByte(body, variable.Flags);
    if (variable.Flags & 1)
      WriteNulString(body, variable.TextValue);
    else
      WriteInt32(body, variable.IntValue);
  }
  return body;
}

// One cursor item as a run of (property index, value) pairs; the bitmap is a sized block.
void WriteCursor(Stream& out, const TVrCursorItem& cursor) {
  WriteInt32(out, 0);
  WriteInt32(out, cursor.HotSpotX);
  WriteInt32(out, 1);
  WriteInt32(out, cursor.HotSpotY);
  WriteInt32(out, 2);
  WriteInt32(out, cursor.TransparentColor);
  if (cursor.Bitmap.empty()) {
    WriteInt32(out, 0);
  } else {
    WriteInt32(out, 2);
    WriteInt32(out, 2);
    WriteSizedBlock(out, cursor.Bitmap);
  }
}

MemoryStream Bytes(std::span<const uint8_t> bytes) {
  MemoryStream body;
  WriteBytes(body, bytes);
  return body;
}

MemoryStream OptionFlags(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, static_cast<int32_t>(source.OptionFlags.size()));
  WriteBytes(body, source.OptionFlags);
  return body;
}

MemoryStream Captions(const ProjectSource& source) {
  MemoryStream body;
  WriteStrings(body, source.MenuCaptions);
  return body;
}

}  // namespace

std::vector<uint8_t> WriteImageEntry(const ImageSource& image) {
  MemoryStream out;
  WriteInt32(out, image.Width);
  WriteInt32(out, image.Height);
  WriteByte(out, image.Form);
  if (image.Form == 0) {
    WriteSizedBlock(out, CompressProject(image.Pixels));
  } else if (image.Form == 1) {
    WriteSizedBlock(out, image.Indices);
    WriteSizedBlock(out, image.Palette);
  }
  return out.Release();
}

std::vector<uint8_t> WriteCursorCollection(const std::vector<TVrCursorItem>& cursors) {
  MemoryStream out;
  WriteList(out, cursors, WriteCursor);
  return out.Release();
}

std::vector<uint8_t> WriteProjectStream(const ProjectSource& source) {
  MemoryStream out;
  WriteNulString(out, "KPF2");
  WriteSection(out, 140, IdListBody(source.NextScriptId, source.Scripts, WriteScript));
  if (!source.Images.empty() || !source.ImageEntries.empty())
    WriteSection(out, 651, Images(source));
  if (!source.Animations.empty()) WriteSection(out, 652, Animations(source));
  if (!source.Sounds.empty()) WriteSection(out, 129, ListBody(source.Sounds, WriteSound));
  if (!source.OptionFlags.empty()) WriteSection(out, 131, OptionFlags(source));
  if (!source.Menus.empty()) {
    WriteSection(out, 132, ListBody(source.Menus, WriteMenu));
    if (source.WriteMenuExtras) {
      WriteSection(out, 133, ListBody(source.Menus, WriteMenuKey));
      WriteSection(out, 137, ListBody(source.Menus, WriteMenuFlags));
    }
  }
  if (!source.PlayLists.empty()) WriteSection(out, 135, ListBody(source.PlayLists, WritePlayList));
  if (!source.Dialogs.empty() || source.NextDialogId != 0)
    WriteSection(out, 139, IdListBody(source.NextDialogId, source.Dialogs, WriteDialog));
  if (!source.MenuCaptions.empty()) WriteSection(out, 144, Captions(source));
  WriteSection(out, 399, Variables(source));
  if (!source.Cursors.empty()) WriteSection(out, 655, Bytes(WriteCursorCollection(source.Cursors)));
  for (const auto& [tag, body] : source.ExtraSections) WriteSection(out, tag, Bytes(body));
  WriteWord(out, 255);
  WriteInt32(out, 0);
  return out.Release();
}

std::vector<uint8_t> CompressProject(std::span<const uint8_t> stream) {
  uLongf size = compressBound(static_cast<uLong>(stream.size()));
  std::vector<uint8_t> out(size);
  int result = compress2(out.data(), &size, stream.data(), static_cast<uLong>(stream.size()),
                         Z_BEST_SPEED);
  if (result != Z_OK) throw KpfError("Compression failed");
  out.resize(size);
  return out;
}

std::vector<uint8_t> BuildProjectFile(const ProjectSource& source) {
  return CompressProject(WriteProjectStream(source));
}

std::vector<uint8_t> BuildPackage(std::span<const uint8_t> programImage,
                                  std::span<const uint8_t> compressedBlock,
                                  const PackageHeader& header,
                                  const std::vector<PackageRecord>& records) {
  MemoryStream out;
  WriteBytes(out, programImage);
  const auto blockOffset = static_cast<uint32_t>(out.Size());
  WriteSizedBlock(out, compressedBlock);
  WriteNulString(out, header.DesignVersion);
  WriteNulString(out, header.AboutText);
  WriteNulString(out, header.Title);
  WriteInt32(out, header.HeaderFlags);
  if (!records.empty()) {
    for (const auto& record : records) {
      WriteInt32(out, static_cast<int32_t>(record.Tag));
      WriteSizedBlock(out, record.Data);
    }
    WriteInt32(out, 255);
  }
  WriteInt32(out, static_cast<int32_t>(blockOffset));
  WriteInt32(out, static_cast<int32_t>(kPackageTrailerMagic));
  return out.Release();
}

}  // namespace kpf::project
