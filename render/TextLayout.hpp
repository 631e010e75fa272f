#pragma once
// Text on a 24-bit picture through Pango and cairo, with no window system: one line in a font
// face, pixel size and style, measured and drawn from the same layout, so that the measured box
// is where the text is drawn. Texts are 8-bit: valid UTF-8 is taken as it is, anything else as
// Windows-1252. Used from the user-interface thread only.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kpf::render {

struct TextFont {
  std::string face;       // a family name only
  int pixelSize = 11;     // em height in pixels, 1 or more
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

struct TextSize {
  int width = 0;
  int height = 0;
  bool operator==(const TextSize&) const = default;
};

class TextLayout {
 public:
  TextLayout();
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // The text's box: its advance width and the font's line height.
  TextSize Measure(const TextFont& font, std::string_view text);
  // Draws the text with the top-left corner of its box at (x, y) onto 0x00RRGGBB pixels (top row
  // first, `width` per row) in `rgb`; only the glyphs are painted, the rest stays as it was.
  void Draw(std::span<uint32_t> pixels, int width, int height, int x, int y, uint32_t rgb, const TextFont& font,
            std::string_view text);

  // Bytes of a text that are laid out at `pixelSize`: longer texts are cut there (at a character
  // boundary), far beyond the width of the largest picture, so that no length in Pango's units
  // can overflow.
  static size_t MaxTextBytes(int pixelSize);
  // The text as Pango needs it (valid UTF-8), cut to MaxTextBytes.
  static std::string DisplayText(std::string_view text, int pixelSize);

 private:
  struct Pango;
  void Prepare(const TextFont& font, std::string_view text);

  std::unique_ptr<Pango> pango_;
};

}  // namespace kpf::render
