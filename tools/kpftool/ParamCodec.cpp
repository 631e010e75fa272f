#include "tools/kpftool/ParamCodec.hpp"

#include <stdexcept>

#include "project/ActionItems.hpp"
#include "project/ByteReader.hpp"
#include "project/Errors.hpp"

namespace kpf::tools {

using project::ParamFormOfKind;
using project::ParamValueForm;

namespace {

void AppendInt(std::vector<uint8_t>& out, int32_t value) {
  auto raw = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(raw >> shift));
}

// The value of one entry; EStreamError when the block ends first.
void ReadValue(project::ByteReader& reader, ParamEntry& entry) {
  switch (ParamFormOfKind(entry.Kind)) {
    case ParamValueForm::None: break;
    case ParamValueForm::Byte: entry.Value = reader.readByte(); break;
    case ParamValueForm::Text: entry.Text = reader.readTerminatedString(); break;
    default: entry.Value = reader.readInt32();
  }
}

}  // namespace

std::vector<ParamEntry> DecodeParamBlock(std::span<const uint8_t> block, bool& complete) {
  std::vector<ParamEntry> entries;
  complete = true;
  project::ByteReader reader(block);
  try {
    while (!reader.atEnd()) {
      ParamEntry entry;
      entry.Kind = reader.readInt32();
      ReadValue(reader, entry);
      entries.push_back(std::move(entry));
    }
  } catch (const project::EStreamError&) {
    complete = false;  // the last entry is cut short
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
