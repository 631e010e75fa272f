#include "project/ActionItems.hpp"

#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "project/SystemVariables.hpp"

namespace kpf::project {

ParamValueForm ParamFormOfKind(int32_t kind) {
  switch (kind) {
    case 0: case 8: case 12: case 21: case 26: case 30:
      return ParamValueForm::Int32;
    case 1: case 2: case 5: case 6: case 15: case 16: case 17: case 20: case 27: case 29:
      return ParamValueForm::Text;
    case 7: case 9: case 19: case 22: case 23: case 24: case 25: case 28:
      return ParamValueForm::Byte;
    case 13: case 14: case 18:
      return ParamValueForm::VariablePosition;
    case 65535:
      return ParamValueForm::VariableId;
    default:
      return ParamValueForm::None;
  }
}

namespace {

// Reads inside the block only; an empty optional means the entry runs past the end.
class BlockCursor {
 public:
  explicit BlockCursor(std::span<const uint8_t> block) : block_(block) {}
  bool AtEnd() const { return offset_ >= block_.size(); }

  std::optional<int32_t> Int32() {
    if (block_.size() - offset_ < 4) return std::nullopt;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | block_[offset_ + static_cast<size_t>(i)];
    offset_ += 4;
    return static_cast<int32_t>(value);
  }
  std::optional<uint8_t> Byte() {
    if (AtEnd()) return std::nullopt;
    return block_[offset_++];
  }
  std::optional<std::string> Text() {
    const uint8_t* start = block_.data() + offset_;
    const void* nul = std::memchr(start, 0, block_.size() - offset_);
    if (!nul) return std::nullopt;
    size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - start);
    offset_ += length + 1;
    return std::string(reinterpret_cast<const char*>(start), length);
  }

 private:
  std::span<const uint8_t> block_;
  size_t offset_ = 0;
};

struct Param {
  int32_t kind = 0;
  int32_t value = 0;
  std::string text;
};

// One entry at the cursor, or none when it is cut short.
std::optional<Param> ReadParam(BlockCursor& cursor, const std::vector<TTaviVariable>& variables) {
  auto kind = cursor.Int32();
  if (!kind) return std::nullopt;
  Param param{*kind, 0, {}};
  switch (ParamFormOfKind(*kind)) {
    case ParamValueForm::Int32: {
      auto value = cursor.Int32();
      if (!value) return std::nullopt;
      param.value = *value;
      param.text = std::to_string(*value);
      break;
    }
    case ParamValueForm::Text: {
      auto text = cursor.Text();
      if (!text) return std::nullopt;
      param.text = std::move(*text);
      break;
    }
    case ParamValueForm::Byte: {
      auto value = cursor.Byte();
      if (!value) return std::nullopt;
      param.value = *value;
      break;
    }
    case ParamValueForm::VariablePosition: {
      auto id = cursor.Int32();
      if (!id) return std::nullopt;
      param.value = VariablePositionOfId(variables, *id);
      break;
    }
    case ParamValueForm::VariableId: {
      auto id = cursor.Int32();
      if (!id) return std::nullopt;
      if (const TTaviVariable* variable = FindVariableById(variables, *id)) {
        param.value = *id;
        param.text = variable->Name;
      } else {
        param.kind = -1;
        param.value = -1;
      }
      break;
    }
    case ParamValueForm::None:
      break;
  }
  return param;
}

}  // namespace

void UnpackParams(TKPFExeAction& action, const std::vector<TTaviVariable>& variables) {
  action.ParamKind.clear();
  action.ParamInt.clear();
  action.ParamText.clear();
  BlockCursor cursor(action.ParamData);
  while (!cursor.AtEnd()) {
    auto param = ReadParam(cursor, variables);
    if (!param) break;
    action.ParamKind.push_back(param->kind);
    action.ParamInt.push_back(param->value);
    action.ParamText.push_back(std::move(param->text));
  }
}

void NormalizeEmptyAction(TKPFExeAction& action) {
  if (action.ActionType < 11 && (action.Flags & 0xFFFF) == 0) {
    action.ActionType = -1;
    action.Name = "[none]";
  }
}

}  // namespace kpf::project
