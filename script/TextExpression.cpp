#include "script/TextExpression.hpp"

#include "project/TTaviVariable.hpp"

namespace kpf::script {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && project::SameText(text.substr(0, prefix.size()), prefix);
}

// Reads the text expression; `i` is the index of the character being looked at.
class TextExpressionReader {
 public:
  explicit TextExpressionReader(std::string_view text) : text_(text) {}

  std::string Read() {
    while (i_ < text_.size()) {
      const char c = text_[i_];
      if (c == ' ' || c == '&') {
        ++i_;
      } else if (c == '"') {
        if (!ReadLiteral()) break;
      } else if (c == '#') {
        ReadCharacterCode();
      } else if (c == '<') {
        if (!ReadTag()) break;
      } else {
        result_.clear();  // not a text expression
        break;
      }
    }
    return std::move(result_);
  }

 private:
  // A literal up to the next lone double quote; two quotes in a row stand for one. Returns false
  // when the text ends before the closing quote (nothing is appended then).
  bool ReadLiteral() {
    std::string literal;
    for (size_t j = i_ + 1; j < text_.size(); ++j) {
      if (text_[j] != '"') {
        literal += text_[j];
      } else if (j + 1 < text_.size() && text_[j + 1] == '"') {
        literal += '"';
        ++j;
      } else {
        result_ += literal;
        i_ = j + 1;
        return true;
      }
    }
    i_ = text_.size();
    return false;
  }

  // "#" and decimal digits; the character that ends the digits is consumed too.
  void ReadCharacterCode() {
    size_t j = i_ + 1;
    unsigned code = 0;
    bool anyDigit = false;
    for (; j < text_.size() && IsDigit(text_[j]); ++j) {
      code = (code * 10 + static_cast<unsigned>(text_[j] - '0')) % 256;
      anyDigit = true;
    }
    if (anyDigit) result_ += static_cast<char>(static_cast<unsigned char>(code));
    i_ = j + 1;
  }

  // "<%" ... ">" is kept whole when the text before ">" ends with "%"; the character after ">"
  // is consumed too. A "<" without "%" is skipped. Returns false for an unterminated tag.
  bool ReadTag() {
    if (i_ + 1 >= text_.size() || text_[i_ + 1] != '%') {
      ++i_;
      return true;
    }
    const size_t close = text_.find('>', i_ + 2);
    if (close == std::string_view::npos) {
      i_ = text_.size();
      return false;
    }
    if (text_[close - 1] == '%') result_ += text_.substr(i_, close + 1 - i_);
    i_ = close + 2;
    return true;
  }

  std::string_view text_;
  size_t i_ = 0;
  std::string result_;
};

}  // namespace

std::string ParseTextExpression(std::string_view text) { return TextExpressionReader(text).Read(); }

bool IsWebAddress(std::string_view text) {
  return StartsWithIgnoringCase(text, "HTTP:") || StartsWithIgnoringCase(text, "HTTPS:") ||
         StartsWithIgnoringCase(text, "MAILTO:");
}

}  // namespace kpf::script
