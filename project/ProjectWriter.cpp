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

void WriteActions(Stream& out, const std::vector<TKPFExeAction>& actions) {
  WriteInt32(out, static_cast<int32_t>(actions.size()));
  for (const auto& action : actions) {
    WriteNulString(out, action.Name);
    WriteInt32(out, action.ActionType);
    WriteInt32(out, action.Flags);
    WriteSizedBlock(out, action.ParamData);
  }
}

MemoryStream Scripts(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, source.NextScriptId);
  WriteInt32(body, static_cast<int32_t>(source.Scripts.size()));
  for (const auto& script : source.Scripts) {
    WriteInt32(body, script.Id);
    WriteNulString(body, script.Name);
    WriteNulString(body, script.Description);
    WriteInt32(body, script.Reserved1);
    WriteInt32(body, script.Reserved2);
    WriteInt32(body, script.Trigger);
    WriteActions(body, script.Actions);
  }
  return body;
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

void WriteAnimation(Stream& out, const AnimationSource& animation) {
  WriteInt32(out, animation.Id);
  WriteShortString(out, animation.Name);
  WriteWord(out, animation.Height);
  WriteWord(out, animation.Width);
  WriteWord(out, animation.EventIndex);
  WriteWord(out, animation.RepeatCount);
  WriteByte(out, animation.Option);
  WriteShortString(out, animation.PosX);
  WriteShortString(out, animation.PosY);
  WriteByte(out, animation.MoveMode);
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
  WriteInt32(out, static_cast<int32_t>(animation.EventScripts.size()));
  for (int32_t id : animation.EventScripts) WriteInt32(out, id);
  WriteInt32(out, static_cast<int32_t>(animation.Frames.size()));
  for (const auto& frame : animation.Frames) WriteFrame(out, frame);
}

MemoryStream Animations(const ProjectSource& source) {
  MemoryStream body;
  WriteCompactCount(body, static_cast<int32_t>(source.Animations.size()));
  for (const auto& animation : source.Animations) WriteAnimation(body, animation);
  WriteInt32(body, 0);
  return body;
}

MemoryStream Sounds(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, static_cast<int32_t>(source.Sounds.size()));
  for (const auto& sound : source.Sounds) {
    WriteWord(body, sound.Kind);
    WriteNulString(body, sound.Name);
    WriteSizedBlock(body, sound.Data);
  }
  return body;
}

MemoryStream Menus(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, static_cast<int32_t>(source.Menus.size()));
  for (const auto& menu : source.Menus) {
    WriteNulString(body, menu.Caption);
    WriteActions(body, menu.Actions);
  }
  return body;
}

MemoryStream MenuKeys(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, static_cast<int32_t>(source.Menus.size()));
  for (const auto& menu : source.Menus) {
    WriteNulString(body, menu.ItemKey);
    WriteSizedBlock(body, menu.Image);
    WriteInt32(body, 0);
  }
  return body;
}

MemoryStream MenuFlags(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, static_cast<int32_t>(source.Menus.size()));
  for (const auto& menu : source.Menus) {
    WriteInt32(body, menu.Flags);
    WriteInt32(body, menu.ImageColor);
    WriteInt32(body, menu.ScriptId);
  }
  return body;
}

MemoryStream PlayLists(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, static_cast<int32_t>(source.PlayLists.size()));
  for (const auto& list : source.PlayLists) {
    WriteNulString(body, list.Name);
    WriteNulString(body, list.Text);
    WriteByte(body, list.Mode);
    WriteWord(body, list.Value);
    WriteInt32(body, static_cast<int32_t>(list.Items.size()));
    for (const auto& item : list.Items) WriteNulString(body, item);
    WriteInt32(body, 0);
  }
  return body;
}

MemoryStream Dialogs(const ProjectSource& source) {
  MemoryStream body;
  WriteInt32(body, source.NextDialogId);
  WriteInt32(body, static_cast<int32_t>(source.Dialogs.size()));
  for (const auto& dialog : source.Dialogs) {
    WriteInt32(body, dialog.ID);
    WriteNulString(body, dialog.Name);
    WriteSizedBlock(body, dialog.Definition);
  }
  return body;
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
  WriteInt32(out, static_cast<int32_t>(cursors.size()));
  for (const auto& cursor : cursors) {
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
  return out.Release();
}

std::vector<uint8_t> WriteProjectStream(const ProjectSource& source) {
  MemoryStream out;
  WriteNulString(out, "KPF2");
  WriteSection(out, 140, Scripts(source));
  if (!source.Images.empty() || !source.ImageEntries.empty())
    WriteSection(out, 651, Images(source));
  if (!source.Animations.empty()) WriteSection(out, 652, Animations(source));
  if (!source.Sounds.empty()) WriteSection(out, 129, Sounds(source));
  if (!source.OptionFlags.empty()) WriteSection(out, 131, OptionFlags(source));
  if (!source.Menus.empty()) {
    WriteSection(out, 132, Menus(source));
    if (source.WriteMenuExtras) {
      WriteSection(out, 133, MenuKeys(source));
      WriteSection(out, 137, MenuFlags(source));
    }
  }
  if (!source.PlayLists.empty()) WriteSection(out, 135, PlayLists(source));
  if (!source.Dialogs.empty() || source.NextDialogId != 0) WriteSection(out, 139, Dialogs(source));
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
