#include "tools/kpftool/ParamCodec.hpp"

#include <cstring>
#include <stdexcept>

#include "project/ActionItems.hpp"

namespace kpf::tools {

using project::ParamFormOfKind;
using project::ParamValueForm;

namespace {

bool ReadInt(std::span<const uint8_t> block, size_t& pos, int32_t& value) {
  if (block.size() - pos < 4) return false;
  uint32_t raw = static_cast<uint32_t>(block[pos]) | (static_cast<uint32_t>(block[pos + 1]) << 8) |
                 (static_cast<uint32_t>(block[pos + 2]) << 16) |
                 (static_cast<uint32_t>(block[pos + 3]) << 24);
  value = static_cast<int32_t>(raw);
  pos += 4;
  return true;
}

void AppendInt(std::vector<uint8_t>& out, int32_t value) {
  auto raw = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(raw >> shift));
}

// Reads the value of one entry; false when the block ends first.
bool ReadValue(std::span<const uint8_t> block, size_t& pos, ParamEntry& entry) {
  switch (ParamFormOfKind(entry.Kind)) {
    case ParamValueForm::None: return true;
    case ParamValueForm::Byte:
      if (pos >= block.size()) return false;
      entry.Value = block[pos++];
      return true;
    case ParamValueForm::Text: {
      const void* nul = std::memchr(block.data() + pos, 0, block.size() - pos);
      if (!nul) return false;
      size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - (block.data() + pos));
      entry.Text.assign(reinterpret_cast<const char*>(block.data() + pos), length);
      pos += length + 1;
      return true;
    }
    default: return ReadInt(block, pos, entry.Value);
  }
}

}  // namespace

std::vector<ParamEntry> DecodeParamBlock(std::span<const uint8_t> block, bool& complete) {
  std::vector<ParamEntry> entries;
  complete = true;
  size_t pos = 0;
  while (pos < block.size()) {
    ParamEntry entry;
    if (!ReadInt(block, pos, entry.Kind) || !ReadValue(block, pos, entry)) {
      complete = false;
      break;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<uint8_t> EncodeParamBlock(const std::vector<ParamEntry>& entries) {
  std::vector<uint8_t> out;
  for (const auto& entry : entries) {
    AppendInt(out, entry.Kind);
    switch (ParamFormOfKind(entry.Kind)) {
      case ParamValueForm::None: break;
      case ParamValueForm::Byte:
        if (entry.Value < 0 || entry.Value > 255)
          throw std::runtime_error("parameter of kind " + std::to_string(entry.Kind) +
                                   " holds one byte (0..255), not " + std::to_string(entry.Value));
        out.push_back(static_cast<uint8_t>(entry.Value));
        break;
      case ParamValueForm::Text:
        if (entry.Text.find('\0') != std::string::npos)
          throw std::runtime_error("parameter text holds a NUL character");
        out.insert(out.end(), entry.Text.begin(), entry.Text.end());
        out.push_back(0);
        break;
      default: AppendInt(out, entry.Value);
    }
  }
  return out;
}

}  // namespace kpf::tools
