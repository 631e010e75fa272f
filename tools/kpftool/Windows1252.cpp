#include "tools/kpftool/Windows1252.hpp"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace kpf::tools {

namespace {

// The bytes the code page leaves undefined; they stand for the C1 controls of the same value
// (U+0081 ...), so that every stored byte has a text and comes back as itself.
constexpr std::string_view kUndefined = "\x81\x8D\x8F\x90\x9D";
// Lead byte of the two-byte UTF-8 form of U+0080..U+00BF.
constexpr char kC1Lead = '\xC2';

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One iconv conversion descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("no text conversion from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Appends the conversion of `in` to `out` up to the first byte sequence that does not
  // convert; returns how many bytes of `in` were converted.
  size_t Convert(std::string_view in, std::string& out) {
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char buffer[1024];
    while (sourceLeft > 0) {
      char* target = buffer;
      size_t targetLeft = sizeof buffer;
      const size_t result = iconv(cd_, &source, &sourceLeft, &target, &targetLeft);
      out.append(buffer, static_cast<size_t>(target - buffer));
      if (result == static_cast<size_t>(-1) && errno != E2BIG) break;
    }
    return in.size() - sourceLeft;
  }

 private:
  iconv_t cd_;
};

// Why the UTF-8 text at the start of `rest` has no Windows-1252 byte.
std::runtime_error Unconvertible(std::string_view rest) {
  Converter toCodePoint("UTF-32LE", "UTF-8");
  std::string codePoint;
  toCodePoint.Convert(rest.substr(0, std::min<size_t>(rest.size(), 4)), codePoint);
  if (codePoint.size() < 4) return std::runtime_error("invalid UTF-8 text");
  uint32_t code = 0;
  for (int i = 3; i >= 0; --i) code = (code << 8) | static_cast<unsigned char>(codePoint[static_cast<size_t>(i)]);
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return std::runtime_error(std::string("character ") + name + " has no Windows-1252 byte");
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  Converter converter("UTF-8", "WINDOWS-1252");
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t undefined = std::min(text.find_first_of(kUndefined, pos), text.size());
    const std::string_view run = text.substr(pos, undefined - pos);
    if (converter.Convert(run, out) != run.size())
      throw std::runtime_error("Windows-1252 text does not convert to UTF-8");
    if (undefined < text.size()) {
      out += kC1Lead;
      out += text[undefined];
    }
    pos = undefined + 1;
  }
  return out;
}

namespace {

// The next UTF-8 form of one of the undefined bytes' controls (C2 81, C2 8D, ...) from `pos`.
size_t NextUndefinedControl(std::string_view utf8, size_t pos) {
  for (size_t at = utf8.find(kC1Lead, pos); at != std::string_view::npos; at = utf8.find(kC1Lead, at + 1))
    if (at + 1 < utf8.size() && kUndefined.find(utf8[at + 1]) != std::string_view::npos) return at;
  return utf8.size();
}

}  // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Converter converter("WINDOWS-1252", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const size_t control = NextUndefinedControl(utf8, pos);
    const std::string_view run = utf8.substr(pos, control - pos);
    const size_t converted = converter.Convert(run, out);
    if (converted != run.size()) throw Unconvertible(utf8.substr(pos + converted));
    if (control < utf8.size()) out += utf8[control + 1];
    pos = control + 2;
  }
  return out;
}

}  // namespace kpf::tools
