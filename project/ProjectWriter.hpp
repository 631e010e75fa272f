#pragma once
// Builds "KPF2" project streams and package file images from a plain description. Used by the
// tests for their fixtures and by `kpftool pack`; the player itself never writes projects.
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "project/ProjectRecords.hpp"

namespace kpf::project {

struct ImageSource {
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t Form = 0;             // 0 packed true colour, 1 palette, other: no pixel data
  std::vector<uint8_t> Pixels = {};  // form 0: Width*Height*4 bytes B,G,R,A, compressed on writing
  std::vector<uint8_t> Indices = {}; // form 1: Width*Height palette indexes
  std::vector<uint8_t> Palette = {}; // form 1: B,G,R,A entries
};

struct FrameSource {
  uint16_t Kind = kImageFrame;
  uint16_t X = 0;
  uint16_t Y = 0;
  int32_t BitmapIndex = 0;
  bool UseTransparentColor = false;
  uint32_t TransparentColor = 0;  // TColor
  uint16_t Duration = 15;
  std::vector<uint8_t> Region = {};     // stored run list, empty: computed at load
  std::string Document = {};            // document frames
  std::vector<uint8_t> PauseBody = {};  // pause frames
  std::vector<std::pair<int32_t, uint8_t>> Sounds = {};  // (SoundIndex, PlayMode)
  int32_t ScriptId = -1;
};

struct AnimationSource : TAnimationHead {
  AnimationSource() { Id = 0; }  // a described animation gets id 0 unless one is given

  std::vector<int32_t> Params = {};       // written as type-1 entries when MoveMode is not 0
  bool ExtraPresent = false;
  std::vector<uint8_t> Extra = {};        // first byte: cursor
  std::vector<int32_t> EventScripts = std::vector<int32_t>(kEventScriptSlots, -1);
  std::vector<FrameSource> Frames = {};
};

struct SoundSource {
  uint16_t Kind = 101;
  std::string Name = {};
  std::vector<uint8_t> Data = {};
};

struct MenuSource {
  std::string Caption = {};
  std::vector<TKPFExeAction> Actions = {};
  std::string ItemKey = {};
  std::vector<uint8_t> Image = {};
  int32_t Flags = 3;
  int32_t ImageColor = 0;
  int32_t ScriptId = -1;
};

struct VariableSource {
  int32_t ID = 0;
  std::string Name = {};
  uint8_t Flags = 0;  // bit 0 text, bits 1-2 kind, bits 3-4 system index
  int32_t IntValue = 0;
  std::string TextValue = {};
};

struct ProjectSource {
  int32_t NextScriptId = 0;
  std::vector<TTaviScript> Scripts = {};
  std::vector<ImageSource> Images = {};  // written when not empty
  // Already encoded image entries (WriteImageEntry), written after `Images` in the same section.
  std::vector<std::vector<uint8_t>> ImageEntries = {};
  std::vector<AnimationSource> Animations = {};
  std::vector<SoundSource> Sounds = {};
  std::vector<MenuSource> Menus = {};
  bool WriteMenuExtras = true;  // tags 133 and 137 when there are menu entries
  std::vector<TPlayList> PlayLists = {};
  int32_t NextDialogId = 0;
  std::vector<TTaviDialog> Dialogs = {};
  int32_t NextVariableId = 0;
  std::vector<VariableSource> Variables = {};
  std::vector<uint8_t> OptionFlags = {};
  std::vector<std::string> MenuCaptions = {};
  std::vector<TVrCursorItem> Cursors = {};
  // Further sections written as given, before the end section.
  std::vector<std::pair<uint16_t, std::vector<uint8_t>>> ExtraSections = {};
};

// The uncompressed stream: magic, the sections (each body exactly its stored length), end.
std::vector<uint8_t> WriteProjectStream(const ProjectSource& source);
// One zlib stream of `stream`.
std::vector<uint8_t> CompressProject(std::span<const uint8_t> stream);
// A standalone project file: the compressed stream.
std::vector<uint8_t> BuildProjectFile(const ProjectSource& source);

// One frame-image entry as stored in tag 651.
std::vector<uint8_t> WriteImageEntry(const ImageSource& image);
// The cursor collection as stored in tag 655.
std::vector<uint8_t> WriteCursorCollection(const std::vector<TVrCursorItem>& cursors);

struct PackageHeader {
  std::string DesignVersion = {};
  std::string AboutText = {};
  std::string Title = {};
  int32_t HeaderFlags = 0;
};

struct PackageRecord {
  uint32_t Tag = 0;
  std::vector<uint8_t> Data = {};
};

constexpr uint32_t kPackageTrailerMagic = 130;

// Program image, u32 block length, the compressed block, the header, the records (with the end
// record, only when there are records), u32 offset of the length field and the trailer 130.
std::vector<uint8_t> BuildPackage(std::span<const uint8_t> programImage,
                                  std::span<const uint8_t> compressedBlock,
                                  const PackageHeader& header,
                                  const std::vector<PackageRecord>& records);

}  // namespace kpf::project
