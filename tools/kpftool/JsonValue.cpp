#include "tools/kpftool/JsonValue.hpp"

#include <charconv>
#include <string>

namespace kpf::tools {

// Recursive-descent reader over the document text.
class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value(0);
    SkipSpace();
    if (pos_ != text_.size()) Fail("unexpected text after the document");
    return value;
  }

 private:
  static constexpr int kMaxDepth = 64;

  [[noreturn]] void Fail(const std::string& what) const {
    size_t line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
    throw JsonError("JSON line " + std::to_string(line) + ": " + what);
  }

  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  char Peek() {
    SkipSpace();
    if (pos_ >= text_.size()) Fail("unexpected end of text");
    return text_[pos_];
  }

  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++pos_;
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  JsonValue Value(int depth) {
    if (depth > kMaxDepth) Fail("nested too deeply");
    JsonValue value;
    char c = Peek();
    if (c == '{') return Object(depth);
    if (c == '[') return Array(depth);
    if (c == '"') {
      value.type_ = JsonValue::Type::String;
      value.string_ = String();
    } else if (Literal("true")) {
      value.type_ = JsonValue::Type::Bool;
      value.bool_ = true;
    } else if (Literal("false")) {
      value.type_ = JsonValue::Type::Bool;
    } else if (Literal("null")) {
      value.type_ = JsonValue::Type::Null;
    } else {
      Number(value);
    }
    return value;
  }

  JsonValue Object(int depth) {
    JsonValue value;
    value.type_ = JsonValue::Type::Object;
    Expect('{');
    if (Peek() == '}') {
      ++pos_;
      return value;
    }
    for (;;) {
      if (Peek() != '"') Fail("expected a member name");
      std::string key = String();
      Expect(':');
      if (value.members_.count(key)) Fail("member \"" + key + "\" appears twice");
      value.members_.emplace(std::move(key), Value(depth + 1));
      if (Peek() == '}') {
        ++pos_;
        return value;
      }
      Expect(',');
    }
  }

  JsonValue Array(int depth) {
    JsonValue value;
    value.type_ = JsonValue::Type::Array;
    Expect('[');
    if (Peek() == ']') {
      ++pos_;
      return value;
    }
    for (;;) {
      value.items_.push_back(Value(depth + 1));
      if (Peek() == ']') {
        ++pos_;
        return value;
      }
      Expect(',');
    }
  }

  void Number(JsonValue& value) {
    size_t start = pos_;
    if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
    bool integral = true;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c >= '0' && c <= '9') {
        ++pos_;
      } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || (c == '-' && pos_ > start)) {
        integral = false;
        ++pos_;
      } else {
        break;
      }
    }
    std::string_view digits = text_.substr(start, pos_ - start);
    if (digits.empty() || digits == "-") Fail("expected a value");
    if (!integral) {
      value.type_ = JsonValue::Type::Real;
      return;
    }
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value.integer_);
    if (error != std::errc() || end != digits.data() + digits.size())
      Fail("number out of range: " + std::string(digits));
    value.type_ = JsonValue::Type::Integer;
  }

  uint32_t Hex4() {
    if (pos_ + 4 > text_.size()) Fail("cut-short \\u escape");
    uint32_t code = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      code <<= 4;
      if (c >= '0' && c <= '9') code |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') code |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') code |= static_cast<uint32_t>(c - 'A' + 10);
      else Fail("bad \\u escape");
    }
    return code;
  }

  static void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  uint32_t Escape() {
    if (pos_ >= text_.size()) Fail("cut-short escape");
    switch (text_[pos_++]) {
      case '"': return '"';
      case '\\': return '\\';
      case '/': return '/';
      case 'b': return '\b';
      case 'f': return '\f';
      case 'n': return '\n';
      case 'r': return '\r';
      case 't': return '\t';
      case 'u': break;
      default: Fail("unknown escape");
    }
    uint32_t code = Hex4();
    if (code >= 0xD800 && code < 0xDC00) {
      if (!Literal("\\u")) Fail("lone surrogate in \\u escape");
      uint32_t low = Hex4();
      if (low < 0xDC00 || low >= 0xE000) Fail("lone surrogate in \\u escape");
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    } else if (code >= 0xDC00 && code < 0xE000) {
      Fail("lone surrogate in \\u escape");
    }
    return code;
  }

  std::string String() {
    Expect('"');
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string");
      if (c == '\\') AppendUtf8(out, Escape());
      else out += c;
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

JsonValue JsonValue::Parse(std::string_view text) { return JsonParser(text).Document(); }

std::vector<std::string> JsonValue::Keys() const {
  std::vector<std::string> keys;
  for (const auto& member : members_) keys.push_back(member.first);
  return keys;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  auto it = members_.find(key);
  return it == members_.end() ? nullptr : &it->second;
}

const char* JsonValue::TypeName(Type type) {
  switch (type) {
    case Type::Null: return "null";
    case Type::Bool: return "a boolean";
    case Type::Integer: return "an integer";
    case Type::Real: return "a fractional number";
    case Type::String: return "a string";
    case Type::Array: return "an array";
    case Type::Object: return "an object";
  }
  return "?";
}

}  // namespace kpf::tools
