#include "project/ActionItems.hpp"

#include <span>
#include <string>

#include "project/ByteReader.hpp"
#include "project/Errors.hpp"
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

struct Param {
  int32_t kind = 0;
  int32_t value = 0;
  std::string text;
};

// One entry at the reader; an entry cut short by the end of the block throws EStreamError.
Param ReadParam(ByteReader& reader, const std::vector<TTaviVariable>& variables) {
  Param param{reader.readInt32(), 0, {}};
  switch (ParamFormOfKind(param.kind)) {
    case ParamValueForm::Int32:
      param.value = reader.readInt32();
      param.text = std::to_string(param.value);
      break;
    case ParamValueForm::Text:
      param.text = reader.readTerminatedString();
      break;
    case ParamValueForm::Byte:
      param.value = reader.readByte();
      break;
    case ParamValueForm::VariablePosition:
      param.value = VariablePositionOfId(variables, reader.readInt32());
      break;
    case ParamValueForm::VariableId: {
      const int32_t id = reader.readInt32();
      if (const TTaviVariable* variable = FindVariableById(variables, id)) {
        param.value = id;
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

size_t UnpackParams(TKPFExeAction& action, const std::vector<TTaviVariable>& variables) {
  action.ParamKind.clear();
  action.ParamInt.clear();
  action.ParamText.clear();
  ByteReader reader(action.ParamData);
  size_t kept = 0;
  try {
    while (!reader.atEnd()) {
      Param param = ReadParam(reader, variables);
      action.ParamKind.push_back(param.kind);
      action.ParamInt.push_back(param.value);
      action.ParamText.push_back(std::move(param.text));
      kept = reader.position();
    }
  } catch (const EStreamError&) {
    // The entries before a cut-short one are kept; the rest of the block is ignored.
  }
  return action.ParamData.size() - kept;
}

void NormalizeEmptyAction(TKPFExeAction& action) {
  if (action.ActionType < 11 && (action.Flags & 0xFFFF) == 0) {
    action.ActionType = -1;
    action.Name = "[none]";
  }
}

}  // namespace kpf::project
