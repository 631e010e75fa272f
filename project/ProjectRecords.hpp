#pragma once
// The records of a loaded project: scripts with their action items, animations with their frames,
// sounds, popup-menu entries, play lists, dialogs and custom cursors.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kpf::project {

// One action item of a script or a menu entry.
struct TKPFExeAction {
  std::string Name = "[none]";
  std::string Name2;  // second text kept with the item; never read by the player
  int32_t ActionType = -1;
  int32_t Flags = 0;
  std::vector<uint8_t> ParamData;  // the packed parameter block
  // Unpacked parameters, filled by UnpackParams: parameter n is entry n of each array.
  std::vector<int32_t> ParamKind;
  std::vector<int32_t> ParamInt;
  std::vector<std::string> ParamText;

  size_t ParamCount() const { return ParamKind.size(); }
};

struct TTaviScript {
  int32_t Id = -1;
  std::string Name;
  std::string Description;
  int32_t Reserved1 = 1;
  int32_t Reserved2 = 0;
  int32_t Trigger = 0;
  std::vector<TKPFExeAction> Actions;
};

// A project sound, or (inside a frame) a sound reference using SoundIndex, PlayMode and Name.
struct TTaviSound {
  std::string Name;
  uint16_t Kind = 101;
  int32_t Size = 0;
  std::span<const uint8_t> Data;  // borrowed from the model's FrameData
  std::string TempFileName;
  uint8_t PlayMode = 1;
  int32_t SoundIndex = -1;
};

// One image variant of a frame: 0 normal, 1 mirrored left-right, 2 flipped top-bottom.
struct TFrameVariant {
  int32_t Image = -1;           // index into the model's Bitmaps; -1 when the variant is absent
  std::vector<uint8_t> Region;  // run list: 6-byte entries (u16 x start, u16 row, u16 x end)
  int32_t FirstX = -1;          // first opaque point of the outline; -1 when none
  int32_t FirstY = -1;
  bool SameShape = false;       // the outline equals the nearest earlier frame's
  // Region, FirstX/FirstY and SameShape are not known yet: they are made when the frame is
  // first shown (ProjectModel::PrepareOutline). Region holds only a stored run list until then.
  bool OutlinePending = false;
};

constexpr uint16_t kImageFrame = 51;
constexpr uint16_t kDocumentFrame = 200;

struct TTaviFrame {
  uint16_t Kind = kImageFrame;
  uint16_t X = 0;
  uint16_t Y = 0;
  int32_t BitmapIndex = -1;  // the loaded image as stored
  bool UseTransparentColor = false;
  uint32_t TransparentColor = 0;  // TColor: red + green*256 + blue*65536
  uint16_t Duration = 15;
  std::string Document;
  std::vector<TTaviSound> Sounds;  // references
  int32_t ScriptId = -1;
  std::array<TFrameVariant, 3> Variants;
  bool RegionStored = false;  // the variant-0 run list came with the stream

  bool HasVariant(int variant) const { return Variants[static_cast<size_t>(variant)].Image >= 0; }
};

constexpr size_t kEventScriptSlots = 15;

// The fixed head of a stored animation, in stored order: the loaded record and the writer's
// description of an animation both start with it.
struct TAnimationHead {
  int32_t Id = -1;
  std::string Name;
  uint16_t Height = 0;
  uint16_t Width = 0;
  uint16_t EventIndex = 0;
  uint16_t RepeatCount = 2;
  uint8_t Option = 255;
  std::string PosX = "<%RANDOM_SCREEN_WIDTH%>";
  std::string PosY = "<%RANDOM_SCREEN_HEIGHT%>";
  uint8_t MoveMode = 0;
};

struct TTaviEvent : TAnimationHead {
  std::vector<int32_t> Params;
  uint8_t ExtraByte = 0;  // cursor: 0 default, n the project cursor n-1
  std::array<int32_t, kEventScriptSlots> EventScripts;
  std::vector<TTaviFrame> Frames;
  uint8_t Variant = 0;  // runtime: image variant drawn (0 normal, 1 mirrored, 2 flipped)

  TTaviEvent() { EventScripts.fill(-1); }
  // Move parameter n; a parameter the stream did not carry reads as 0.
  int32_t Param(size_t n) const { return n < Params.size() ? Params[n] : 0; }
};

struct TTaviMenu {
  std::string Caption;
  std::string ItemKey;
  std::vector<uint8_t> Image;  // Windows BMP file, may be empty
  std::vector<TKPFExeAction> Actions;
  int32_t Flags = 3;  // bit 0 visible, bit 1 enabled, bit 2 image colour transparent
  int32_t ImageColor = 0;
  int32_t ScriptId = -1;
  int32_t Value1 = 1;
  int32_t Value2 = 0;
  int32_t Value3 = 0;
};

struct TPlayList {
  std::string Name;
  std::string Text;
  uint8_t Mode = 0;
  uint16_t Value = 0;
  std::vector<std::string> Items;
};

// A stored dialog: its definition is parsed by the dialog runtime.
struct TTaviDialog {
  int32_t ID = 0;
  std::string Name;
  std::vector<uint8_t> Definition;
};

constexpr int32_t kDefaultCursorColor = 536870912;

struct TVrCursorItem {
  int32_t HotSpotX = 0;
  int32_t HotSpotY = 0;
  int32_t TransparentColor = kDefaultCursorColor;
  std::vector<uint8_t> Bitmap;  // Windows BMP file bytes; empty when none
};

}  // namespace kpf::project
