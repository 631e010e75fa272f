#pragma once
// The markup of speech-hint texts: "<br>" breaks lines; a line starting with "<b>" is bold, then
// (in this order only) "<u>" underlined and "<i>" italic; "#39" anywhere is an apostrophe.
// Everything else is text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HintWindow.hpp"

namespace kpf::desktop {

// Lines of a hint text with their styles. At most `maxLines` lines are made (the rest of the
// text is dropped) and each keeps at most `maxLineBytes` bytes, so a hostile text never costs
// more than that.
std::vector<platform::HintLine> ParseHintMarkup(std::string_view text, size_t maxLines, size_t maxLineBytes);

// "#39" (in any case) replaced by an apostrophe.
std::string ReplaceApostropheCodes(std::string_view text);

}  // namespace kpf::desktop
