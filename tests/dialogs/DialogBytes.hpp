#pragma once
// Dialog definitions written byte by byte from the documented record layout, and small picture
// files (a BMP and a JPEG made with libjpeg), for the reader, runtime and tool tests.
#include <cstdint>
#include <string>
#include <vector>

#include "project/ByteBuilder.hpp"

namespace kpf::test {

// The common part of every record.
struct CommonFields {
  std::string name = "Obj";
  int32_t left = 8, top = 16, width = 80, height = 24, tag = 0;
  uint8_t visible = 1;
  int32_t cursor = 0;
  uint8_t includeOnSubmit = 1, enabled = 1, showPopup = 0;
  std::vector<uint8_t> extension = {};
};

inline ByteBuilder& Common(ByteBuilder& b, const CommonFields& c) {
  b.nul(c.name).i32(c.left).i32(c.top).i32(c.width).i32(c.height).i32(c.tag).u8(c.visible).i32(c.cursor);
  b.u8(c.includeOnSubmit).u8(c.enabled).u8(c.showPopup).i32(static_cast<int32_t>(c.extension.size()));
  return b.raw(c.extension);
}

// name "Tahoma", colour, size 9, style, charset 1, height -12
inline ByteBuilder& Font(ByteBuilder& b, uint8_t style = 0, uint32_t colour = 0x000080) {
  return b.nul("Tahoma").u32(colour).i32(9).u8(style).u8(1).i32(-12);
}

// A stored picture: block, transparent colour, kind.
inline ByteBuilder& Picture(ByteBuilder& b, const std::vector<uint8_t>& data, uint8_t kind, int32_t transparent = 0) {
  return b.sized(data).i32(transparent).u8(kind);
}

inline ByteBuilder& Strings(ByteBuilder& b, const std::vector<std::string>& items) {
  b.i32(static_cast<int32_t>(items.size()));
  for (const auto& item : items) b.nul(item);
  return b;
}

// Size (type code plus payload), type code, payload.
inline std::vector<uint8_t> Record(uint16_t code, const ByteBuilder& payload) {
  ByteBuilder record;
  record.i32(static_cast<int32_t>(payload.size() + 2)).u16(code).raw(payload.bytes());
  return record.bytes();
}

inline std::vector<uint8_t> EndRecord() { return Record(65535, ByteBuilder()); }

inline std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct FormFields {
  CommonFields common{"Dlg", 100, 50, 200, 120};
  std::string caption = "Hello";
  uint32_t colour = 0xFF00000F;
  uint8_t border = 3, position = 0;
  std::vector<uint8_t> background = {};
  uint8_t backgroundKind = 0;
  int32_t transparent = 0;
  uint8_t borderless = 0, icons = 7;
  std::string actionUrl = "";
  uint8_t onTop = 0, fullScreen = 0, dragable = 0;
  int32_t onShow = -1, onClose = -1, onClick = -1;
};

inline std::vector<uint8_t> FormRecord(const FormFields& f) {
  ByteBuilder b;
  Common(b, f.common).nul(f.caption).u32(f.colour).u8(f.border).u8(f.position);
  Picture(b, f.background, f.backgroundKind, f.transparent);
  b.u8(f.borderless).u8(f.icons).nul(f.actionUrl).u8(f.onTop).u8(f.fullScreen).u8(f.dragable);
  b.i32(f.onShow).i32(f.onClose).i32(f.onClick);
  return Record(1, b);
}

inline std::vector<uint8_t> LabelRecord(const std::string& caption, CommonFields c, int32_t onClick = -1) {
  ByteBuilder b;
  b.nul(caption);
  Common(b, c);
  Font(b).i32(onClick);
  return Record(2, b);
}

inline std::vector<uint8_t> ImageRecord(CommonFields c, const std::vector<uint8_t>& data, uint8_t kind,
                                        int32_t transparent = 0) {
  ByteBuilder b;
  Common(b, c);
  Picture(b, data, kind, transparent).i32(-1);
  return Record(3, b);
}

inline std::vector<uint8_t> EditRecord(const std::string& text, CommonFields c, int32_t onChange = -1,
                                       uint8_t password = 0) {
  ByteBuilder b;
  Common(b, c).nul(text).u8(password);
  Font(b).i32(onChange);
  return Record(4, b);
}

inline std::vector<uint8_t> ButtonRecord(const std::string& caption, CommonFields c, uint8_t mode,
                                         const std::string& submitValue = "", int32_t onClick = -1) {
  ByteBuilder b;
  Common(b, c).nul(caption).nul(submitValue).u8(mode);
  Font(b).i32(onClick);
  return Record(5, b);
}

inline std::vector<uint8_t> ComboRecord(const std::vector<std::string>& items, CommonFields c, int32_t onClick = -1) {
  ByteBuilder b;
  Common(b, c);
  Strings(b, items);
  Font(b).i32(onClick);
  return Record(6, b);
}

// The combo box extension: item index, mode, sorted.
inline std::vector<uint8_t> ComboExtension(int32_t index, uint8_t mode, uint8_t sorted) {
  ByteBuilder b;
  b.i32(index).u8(mode).u8(sorted);
  return b.bytes();
}

inline std::vector<uint8_t> RadioRecord(const std::vector<std::string>& items, const std::string& caption,
                                        CommonFields c) {
  ByteBuilder b;
  Common(b, c);
  Strings(b, items).nul(caption).u32(0x00FF00);
  Font(b).i32(-1);
  return Record(7, b);
}

inline std::vector<uint8_t> ListRecord(const std::vector<std::string>& items, CommonFields c, int32_t onClick = -1) {
  ByteBuilder b;
  Common(b, c);
  Strings(b, items);
  Font(b).i32(onClick);
  return Record(8, b);
}

inline std::vector<uint8_t> CheckRecord(const std::string& caption, const std::string& checkedValue, uint8_t checked,
                                        CommonFields c, int32_t onClick = -1) {
  ByteBuilder b;
  Common(b, c).nul(caption).nul(checkedValue).u8(checked);
  Font(b).i32(onClick);
  return Record(9, b);
}

inline std::vector<uint8_t> MemoRecord(const std::vector<std::string>& lines, CommonFields c) {
  ByteBuilder b;
  Common(b, c);
  Strings(b, lines);
  Font(b).i32(-1).i32(-1);
  return Record(10, b);
}

// An HTML object holding an address (its last field, the address, is a text).
inline std::vector<uint8_t> HtmlAddressRecord(CommonFields c, const std::string& url, bool terminated = true) {
  ByteBuilder b;
  Common(b, c).u8(2);
  if (terminated) b.nul(url); else b.text(url);
  return Record(11, b);
}

inline std::vector<uint8_t> HtmlFileRecord(CommonFields c) {
  ByteBuilder b;
  Common(b, c).u8(1);
  Strings(b, {"<p>hi</p>"}).sized(std::vector<uint8_t>{1, 2, 3}).nul("page.htm");
  return Record(11, b);
}

inline std::vector<uint8_t> FlashRecord(CommonFields c) {
  ByteBuilder b;
  Common(b, c).u8(1).sized(std::vector<uint8_t>{9, 9}).nul("movie.swf");
  b.i32(21).i32(22).i32(23).i32(24);
  return Record(12, b);
}

inline std::vector<uint8_t> BevelRecord(CommonFields c, uint8_t style, uint8_t shape) {
  ByteBuilder b;
  Common(b, c).u8(style).u8(shape);
  return Record(13, b);
}

inline std::vector<uint8_t> BitBtnRecord(CommonFields c, uint8_t mode, const std::vector<uint8_t>& idle,
                                         const std::vector<uint8_t>& hover, const std::vector<uint8_t>& pressed,
                                         int32_t onClick = -1, int32_t onChange = -1) {
  ByteBuilder b;
  Common(b, c).u8(mode);
  Picture(b, idle, '3');
  Picture(b, hover, '3');
  Picture(b, pressed, '3');
  b.i32(onClick).i32(onChange);
  return Record(14, b);
}

// A 24-bit bottom-up BMP of width × height filled with 0xRRGGBB `colour`.
std::vector<uint8_t> SolidBmp(int width, int height, uint32_t colour);
// A baseline JPEG of width × height filled with 0xRRGGBB `colour`.
std::vector<uint8_t> SolidJpeg(int width, int height, uint32_t colour);

}  // namespace kpf::test
