#pragma once
// The packed parameter block of an action item as a list of stored entries (kind and value as
// written, variable references by their stored id), and back.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kpf::tools {

struct ParamEntry {
  int32_t Kind = 0;
  int32_t Value = 0;  // int32 kinds, byte kinds (0..255), variable ids
  std::string Text;   // text kinds (Windows-1252)
};

// Entries in block order. An entry cut short by the end of the block is dropped and `complete`
// becomes false.
std::vector<ParamEntry> DecodeParamBlock(std::span<const uint8_t> block, bool& complete);

// The packed block; a byte kind's value must be 0..255 and a text must hold no NUL
// (std::runtime_error otherwise).
std::vector<uint8_t> EncodeParamBlock(const std::vector<ParamEntry>& entries);

}  // namespace kpf::tools
