#include "desktop/HintMarkup.hpp"

namespace kpf::desktop {
namespace {

constexpr std::string_view kLineBreak = "<br>";

// Strips `tag` from the start of `line`; true when it was there.
bool TakeTag(std::string_view& line, std::string_view tag) {
  if (!line.starts_with(tag)) return false;
  line.remove_prefix(tag.size());
  return true;
}

platform::HintLine MakeLine(std::string_view line, size_t maxLineBytes) {
  platform::HintLine result;
  // Each tag is recognised only at the current start of the line, in this order.
  result.style.bold = TakeTag(line, "<b>");
  result.style.underline = TakeTag(line, "<u>");
  result.style.italic = TakeTag(line, "<i>");
  result.text = std::string(line.substr(0, maxLineBytes));
  return result;
}

}  // namespace

std::string ReplaceApostropheCodes(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#' && text.substr(i + 1, 2) == "39") {
      result += '\'';
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

std::vector<platform::HintLine> ParseHintMarkup(std::string_view text, size_t maxLines, size_t maxLineBytes) {
  const std::string replaced = ReplaceApostropheCodes(text);
  std::string_view rest = replaced;
  std::vector<platform::HintLine> lines;
  while (lines.size() < maxLines) {
    const size_t end = rest.find(kLineBreak);
    lines.push_back(MakeLine(rest.substr(0, end), maxLineBytes));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + kLineBreak.size());
  }
  return lines;
}

}  // namespace kpf::desktop
