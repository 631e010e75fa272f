#pragma once
// Text forms the dialog objects and their property interface use: the lines of a memo as one
// text, lists as comma text, and the rule by which a property value counts as an integer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::dialogs {

// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
// Lines separated by CR LF, LF or CR; a final line break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Items separated by commas; an item holding a space, a control byte, a comma or a quote is
// written in double quotes with inner quotes doubled; a single empty item is "".
std::string ToCommaText(const std::vector<std::string>& items);
// The reverse: unquoted items also end at spaces and control bytes.
std::vector<std::string> FromCommaText(std::string_view text);

// True when a property value counts as an integer: only digits and "-", and not "-" alone
// (project::ConvertToInteger then gives its value; any other text counts as 0).
bool LooksLikeInteger(std::string_view text);

}  // namespace kpf::dialogs
