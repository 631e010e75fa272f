#include "tools/kpftool/Windows1252.hpp"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace kpf::tools {

namespace {

// Code points of the bytes 0x80 to 0x9F.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    AppendUtf8(out, (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : byte);
  }
  return out;
}

namespace {

// Decodes one UTF-8 sequence at `pos` and advances past it.
uint32_t NextCodePoint(std::string_view utf8, size_t& pos) {
  auto lead = static_cast<unsigned char>(utf8[pos++]);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || lead >= 0xF8) throw std::runtime_error("invalid UTF-8 text");
  uint32_t code = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (pos >= utf8.size() || (static_cast<unsigned char>(utf8[pos]) & 0xC0) != 0x80)
      throw std::runtime_error("invalid UTF-8 text");
    code = (code << 6) | (static_cast<unsigned char>(utf8[pos++]) & 0x3F);
  }
  return code;
}

}  // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    uint32_t code = NextCodePoint(utf8, pos);
    if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
      out += static_cast<char>(code);
      continue;
    }
    int byte = -1;
    for (int i = 0; i < 32 && byte < 0; ++i)
      if (kHighControls[i] == code) byte = 0x80 + i;
    if (byte < 0) {
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
      throw std::runtime_error(std::string("character ") + name + " has no Windows-1252 byte");
    }
    out += static_cast<char>(byte);
  }
  return out;
}

}  // namespace kpf::tools
