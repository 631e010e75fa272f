#pragma once
// The text operations of the core actions, on 8-bit texts with 1-based positions.
#include <cstdint>
#include <string>
#include <string_view>

namespace kpf::engine::actions {

// `count` characters from 1-based `start`, cut at the end; a start below 1 counts from 1.
std::string MidText(std::string_view text, int64_t start, int64_t count);
std::string LeftText(std::string_view text, int64_t count);
std::string RightText(std::string_view text, int64_t count);
// 1-based position of the first occurrence of `part`; 0 when absent or `part` is empty.
int32_t FindText(std::string_view part, std::string_view text);
// 0 equal, 1 when `a` sorts after `b`, 2 when before (by character codes).
int32_t CompareTexts(std::string_view a, std::string_view b);
// Throws KpfError when the result would pass script::kMaxSubstitutedLength (the action is then
// abandoned, as any failing action is).
std::string ReplaceText(std::string_view text, std::string_view oldPart, std::string_view newPart);
std::string UpperText(std::string_view text);
std::string LowerText(std::string_view text);

}  // namespace kpf::engine::actions
