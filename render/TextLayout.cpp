#include "render/TextLayout.hpp"

#include <pango/pangocairo.h>

#include <algorithm>

#include "render/FontMapping.hpp"

namespace kpf::render {

namespace {

// Bytes Windows-1252 leaves unassigned; the converter refuses them.
bool Unassigned(unsigned char byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string Utf8Of(std::string_view text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return std::string(text);
  std::string bytes(text);
  std::replace_if(bytes.begin(), bytes.end(), [](char c) { return Unassigned(static_cast<unsigned char>(c)); }, '?');
  gsize written = 0;
  gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", "WINDOWS-1252", nullptr,
                               &written, nullptr);
  if (converted == nullptr) return std::string(text.size(), '?');
  std::string result(converted, written);
  g_free(converted);
  return result;
}

}  // namespace

struct TextLayout::Pango {
  PangoContext* context = nullptr;
  PangoLayout* layout = nullptr;
  ~Pango() {
    if (layout != nullptr) g_object_unref(layout);
    if (context != nullptr) g_object_unref(context);
  }
};

TextLayout::TextLayout() : pango_(std::make_unique<Pango>()) {
  pango_->context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  // Fixed options, so that measuring (without a surface) and drawing lay the text out alike
  // and whole-pixel advances make widths exact.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  pango_cairo_context_set_font_options(pango_->context, options);
  cairo_font_options_destroy(options);
  pango_->layout = pango_layout_new(pango_->context);
  // One line, as it is drawn: line breaks show as characters instead of starting new lines.
  pango_layout_set_single_paragraph_mode(pango_->layout, TRUE);
}

TextLayout::~TextLayout() = default;

size_t TextLayout::MaxTextBytes(int pixelSize) {
  constexpr size_t kBudget = size_t{1} << 19;
  return std::max<size_t>(1, kBudget / static_cast<size_t>(std::max(pixelSize, 1)));
}

std::string TextLayout::DisplayText(std::string_view text, int pixelSize) {
  std::string shown = Utf8Of(text);
  const size_t limit = MaxTextBytes(pixelSize);
  if (shown.size() > limit) {
    const char* cut = g_utf8_find_prev_char(shown.data(), shown.data() + limit + 1);
    shown.resize(cut != nullptr ? static_cast<size_t>(cut - shown.data()) : 0);
  }
  return shown;
}

void TextLayout::Prepare(const TextFont& font, std::string_view text) {
  // Family names only (the face, then the stand-in for a missing one): never read as a
  // description with sizes or styles.
  std::string families(kFallbackFamily);
  if (!font.face.empty()) families = Utf8Of(font.face) + "," + families;
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, families.c_str());
  pango_font_description_set_absolute_size(description, std::max(font.pixelSize, 1) * double{PANGO_SCALE});
  pango_font_description_set_weight(description, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(pango_->layout, description);
  pango_font_description_free(description);
  PangoAttrList* attributes = pango_attr_list_new();
  if (font.underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.strikeOut) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(pango_->layout, attributes);
  pango_attr_list_unref(attributes);
  const std::string shown = DisplayText(text, font.pixelSize);
  pango_layout_set_text(pango_->layout, shown.data(), static_cast<int>(shown.size()));
}

TextSize TextLayout::Measure(const TextFont& font, std::string_view text) {
  Prepare(font, text);
  PangoRectangle logical{};
  pango_layout_get_pixel_extents(pango_->layout, nullptr, &logical);
  return {std::max(logical.x + logical.width, 0), std::max(logical.height, 0)};
}

void TextLayout::Draw(std::span<uint32_t> pixels, int width, int height, int x, int y, uint32_t rgb,
                      const TextFont& font, std::string_view text) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) return;
  Prepare(font, text);
  PangoRectangle ink{}, logical{};
  pango_layout_get_pixel_extents(pango_->layout, &ink, &logical);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                                 CAIRO_FORMAT_RGB24, width, height, width * 4);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, pango_->layout);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
  // The picture is 24-bit: whatever cairo left in the unused top byte of the painted rows goes.
  const int64_t first = std::max<int64_t>(int64_t{y} + std::min(ink.y, 0) - 1, 0);
  const int64_t last = std::min<int64_t>(int64_t{y} + std::max(ink.y + ink.height, logical.height) + 1, height);
  for (int64_t row = first; row < last; ++row) {
    for (uint32_t& pixel : pixels.subspan(static_cast<size_t>(row) * static_cast<size_t>(width), static_cast<size_t>(width))) {
      pixel &= 0xFFFFFF;
    }
  }
}

}  // namespace kpf::render
