#include "tools/kpftool/SourceFiles.hpp"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>

#include "project/Stream.hpp"

namespace kpf::tools {

namespace {

constexpr size_t kMaxNameBytes = 100;

bool KeptByte(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view(" ._-()+,@#").find(c) != std::string_view::npos;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Windows refuses these as file names, with or without an extension.
bool IsDeviceName(const std::string& name) {
  static const std::array<const char*, 22> kDevices = {
      "con", "prn", "aux", "nul", "com1", "com2", "com3", "com4", "com5", "com6", "com7",
      "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
  std::string stem = Lower(name.substr(0, name.find('.')));
  return std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end();
}

// Splits "name.ext" at the last dot that is not the first character.
std::pair<std::string, std::string> SplitExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {name, ""};
  return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

std::string SafeFileName(std::string_view storedName, std::string_view fallback) {
  std::string name;
  for (char c : storedName) name += KeptByte(c) ? c : '_';
  size_t first = name.find_first_not_of(" .");
  size_t last = name.find_last_not_of(" .");
  name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
  if (name.empty() || name.find_first_not_of('_') == std::string::npos) name = fallback;
  if (IsDeviceName(name)) name = "_" + name;
  if (name.size() > kMaxNameBytes) {
    auto [stem, extension] = SplitExtension(name);
    if (extension.size() > 16) extension.clear();
    name = stem.substr(0, kMaxNameBytes - extension.size()) + extension;
  }
  return name;
}

std::string UniqueNames::Take(const std::string& name) {
  std::string candidate = name;
  auto [stem, extension] = SplitExtension(name);
  for (int n = 2; taken_.count(Lower(candidate)); ++n)
    candidate = stem + "~" + std::to_string(n) + extension;
  taken_.insert(Lower(candidate));
  return candidate;
}

std::filesystem::path ResolveReference(const std::filesystem::path& folder,
                                       std::string_view reference) {
  std::string text(reference);
  if (text.empty()) throw std::runtime_error("empty file reference");
  if (text.find('\\') != std::string::npos || text.find('\0') != std::string::npos)
    throw std::runtime_error("file reference \"" + text + "\" must use '/' separators");
  std::filesystem::path relative(text);
  if (relative.is_absolute() || text.front() == '/')
    throw std::runtime_error("file reference \"" + text + "\" must be relative to the folder");
  for (const auto& part : relative)
    if (part == ".." || part == ".")
      throw std::runtime_error("file reference \"" + text + "\" leaves the folder");
  return folder / relative;
}

std::vector<uint8_t> ReadReferencedFile(const std::filesystem::path& folder,
                                        std::string_view reference) {
  std::filesystem::path path = ResolveReference(folder, reference);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw std::runtime_error("missing file \"" + std::string(reference) + "\"");
  try {
    return project::ReadWholeFile(path.string());
  } catch (const project::KpfError& error) {
    throw std::runtime_error("cannot read \"" + std::string(reference) + "\": " + error.what());
  }
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ToHex(std::span<const uint8_t> bytes) {
  static const char* kDigits = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

std::vector<uint8_t> FromHex(std::string_view hex) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::runtime_error("bad hex digit '" + std::string(1, c) + "'");
  };
  if (hex.size() % 2) throw std::runtime_error("hex text of odd length");
  std::vector<uint8_t> bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
  return bytes;
}

}  // namespace kpf::tools
