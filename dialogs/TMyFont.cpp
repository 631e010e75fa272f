#include "dialogs/TMyFont.hpp"

#include <algorithm>
#include <cstdlib>

#include "project/SystemColors.hpp"
#include "render/FontMapping.hpp"

namespace kpf::dialogs {

void TMyFont::Load(PayloadReader& reader) {
  Name = reader.Text();
  Color = static_cast<TColor>(reader.Int32());
  Size = reader.Int32();
  Style = reader.Byte();
  Charset = reader.Byte();
  Height = reader.Int32();
}

void TMyFont::Save(PayloadWriter& writer) const {
  writer.Text(Name);
  writer.Int32(static_cast<int32_t>(Color));
  writer.Int32(Size);
  writer.Byte(Style);
  writer.Byte(Charset);
  writer.Int32(Height);
}

int TMyFont::PixelHeight() const {
  const int64_t pixels = Height != 0 ? std::llabs(int64_t{Height}) : render::FontPixelsFromPoints(Size);
  return static_cast<int>(std::clamp<int64_t>(pixels, 1, kMaxFontPixels));
}

platform::DialogFont TMyFont::ToPlatform() const {
  platform::DialogFont font;
  font.name = Name;
  font.fallbackFamily = std::string(render::kFallbackFamily);
  font.rgb = project::ColorToArgb(Color) & 0xFFFFFF;
  font.pixelHeight = PixelHeight();
  font.bold = (Style & kBold) != 0;
  font.italic = (Style & kItalic) != 0;
  font.underline = (Style & kUnderline) != 0;
  font.strikeOut = (Style & kStrikeOut) != 0;
  return font;
}

}  // namespace kpf::dialogs
