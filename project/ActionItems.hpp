#pragma once
// Unpacking of an action item's packed parameter block into the ParamKind / ParamInt / ParamText
// arrays the action executor reads by position.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "project/ProjectRecords.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::project {

// Largest parameter block an action may carry; larger blocks are a load error.
constexpr int32_t kMaxParamSize = 64 * 1024;

// Value encodings of the parameter kinds.
enum class ParamValueForm { None, Int32, Text, Byte, VariablePosition, VariableId };
ParamValueForm ParamFormOfKind(int32_t kind);

// Fills the three arrays from ParamData. Variable references (kinds 13, 14, 18, 65535) resolve
// against `variables`. An entry cut short by the end of the block is dropped with the rest of
// the block; returns how many bytes were dropped so (0 when the block is whole).
size_t UnpackParams(TKPFExeAction& action, const std::vector<TTaviVariable>& variables);

// Empty items: ActionType below 11 with the low 16 bits of Flags clear.
void NormalizeEmptyAction(TKPFExeAction& action);

}  // namespace kpf::project
