#include "dialogs/PropertyText.hpp"

namespace kpf::dialogs {

namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';

bool IsBlank(char c) { return c != 0 && static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(std::string_view item) {
  for (char c : item) {
    if (static_cast<unsigned char>(c) <= ' ' || c == kQuote || c == kComma) return true;
  }
  return false;
}

std::string Quoted(std::string_view item) {
  std::string out(1, kQuote);
  for (char c : item) {
    out.push_back(c);
    if (c == kQuote) out.push_back(kQuote);
  }
  out.push_back(kQuote);
  return out;
}

// A quoted item starting at `at`: doubled quotes are one quote; an item without its closing
// quote takes the rest of the text.
std::string ExtractQuoted(std::string_view text, size_t& at) {
  std::string item;
  ++at;
  while (at < text.size()) {
    if (text[at] == kQuote) {
      if (at + 1 < text.size() && text[at + 1] == kQuote) {
        item.push_back(kQuote);
        at += 2;
        continue;
      }
      ++at;
      break;
    }
    item.push_back(text[at++]);
  }
  return item;
}

}  // namespace

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text.append(line).append("\r\n");
  return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    start = end;
  }
  return lines;
}

std::string ToCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return Quoted("");
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text.push_back(kComma);
    text += NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
  }
  return text;
}

std::vector<std::string> FromCommaText(std::string_view text) {
  std::vector<std::string> items;
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  while (at < text.size() && text[at] != 0) {
    if (text[at] == kQuote) {
      items.push_back(ExtractQuoted(text, at));
    } else {
      const size_t start = at;
      while (at < text.size() && static_cast<unsigned char>(text[at]) > ' ' && text[at] != kComma) ++at;
      items.emplace_back(text.substr(start, at - start));
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at < text.size() && text[at] == kComma) {
      if (at + 1 == text.size()) items.emplace_back();
      do {
        ++at;
      } while (at < text.size() && IsBlank(text[at]));
    }
  }
  return items;
}

bool LooksLikeInteger(std::string_view text) {
  if (text.empty() || text == "-") return false;
  for (char c : text) {
    if ((c < '0' || c > '9') && c != '-') return false;
  }
  return true;
}

}  // namespace kpf::dialogs
