#pragma once
// The font of a dialog object: face name, colour, point size, style bits, character set and
// pixel height (negative: character height). The size is applied before the height, so the
// height decides what is shown.
#include <cstdint>
#include <string>

#include "dialogs/DialogTypes.hpp"
#include "dialogs/PayloadIo.hpp"
#include "platform/DialogWindow.hpp"

namespace kpf::dialogs {

struct TMyFont {
  static constexpr uint8_t kBold = 1;
  static constexpr uint8_t kUnderline = 2;
  static constexpr uint8_t kItalic = 4;
  static constexpr uint8_t kStrikeOut = 8;

  std::string Name = "MS Sans Serif";
  TColor Color = kWindowTextColor;
  int32_t Size = 8;
  uint8_t Style = 0;
  uint8_t Charset = 1;
  int32_t Height = -11;

  void Load(PayloadReader& reader);
  void Save(PayloadWriter& writer) const;
  // The character height in pixels, 1..1000: the height when one is stored, else the point
  // size in pixels as drawing surfaces size their fonts.
  int PixelHeight() const;
  platform::DialogFont ToPlatform() const;
  bool operator==(const TMyFont&) const = default;
};

}  // namespace kpf::dialogs
