#pragma once
// Enumerations, colours and limits of the dialog objects. Stored enumeration bytes outside their
// range take the class default, and geometry is clamped, because a definition comes from an
// untrusted project file and these values reach the window system.
#include <algorithm>
#include <cstdint>

namespace kpf::dialogs {

// 0x00BBGGRR, or 0xFF0000nn for system colour nn.
using TColor = uint32_t;
constexpr TColor kFaceColor = 0xFF00000F;
constexpr TColor kWindowTextColor = 0xFF000008;
constexpr TColor kTooltipColor = 0xFF000018;

enum class TButtonMode : uint8_t { Normal, SubmitForm, ResetForm };
enum class TFormBorder : uint8_t { fbsDialog, fbsSingle, fbsNone, fbsSizeable, fbsToolWindow, fbsSizeToolWin, fbsHint };
enum class TFormPosition : uint8_t {
  fpoDesigned, fpoDefault, fpoDefaultPosOnly, fpoDefaultSizeOnly, fpoScreenCenter, fpoDesktopCenter,
  fpoMainFormCenter, fpoOwnerFormCenter, fpoAboveTaskbarLeft, fpoAboveTaskBarCenter, fpoAboveTaskbarRight,
  fpoTopLeftScreen, fpoTopCenterScreen, fpoTopRightScreen, fpoBottomLeftScreen, fpoBottomCenterScreen,
  fpoBottomRightScreen
};
enum class TDropDownMode : uint8_t { ddmnormal, ddmlist };
enum class TBevelShape : uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle : uint8_t { bsLowered, bsRaised };

// TBorderIcons set bits.
constexpr uint8_t kBiSystemMenu = 1;
constexpr uint8_t kBiMinimize = 2;
constexpr uint8_t kBiMaximize = 4;
constexpr uint8_t kBiHelp = 8;

// A stored byte as an enumeration of `count` values; anything outside takes `fallback`.
template <typename Enum>
Enum EnumFromByte(uint8_t stored, int count, Enum fallback) {
  return stored < count ? static_cast<Enum>(stored) : fallback;
}

// Limits of what reaches the window system.
constexpr int32_t kMaxExtent = 16384;
constexpr int32_t kMinCoordinate = -32768;
constexpr int32_t kMaxCoordinate = 32767;
constexpr int32_t kMaxFontPixels = 1000;
// Most object records one definition yields, and most items of one list.
constexpr size_t kMaxObjects = 4096;
constexpr size_t kMaxListItems = 65535;

inline int32_t ClampExtent(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kMaxExtent)); }
inline int32_t ClampCoordinate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, kMinCoordinate, kMaxCoordinate));
}

}  // namespace kpf::dialogs
