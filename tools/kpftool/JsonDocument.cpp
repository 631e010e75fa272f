#include "tools/kpftool/JsonDocument.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kpf::tools {

namespace {

constexpr int kMaxDepth = 64;

// nlohmann's message is "[json.exception.parse_error.101] parse error at line 1, column 5:
// what"; ours names the place first, as every kpftool input error does.
std::string ParseErrorText(const std::string& text) {
  const std::string marker = " at line ";
  const size_t at = text.find(marker);
  if (at == std::string::npos) return "JSON: " + text;
  return "JSON line " + text.substr(at + marker.size());
}

// Goes through a document before it is built, holding it to the rules nlohmann leaves open: no
// member twice in one object, a bounded depth, and integers that fit 64 bits (nlohmann would
// read a longer one as a fraction).
class RuleCheck : public nlohmann::json_sax<Json> {
 public:
  explicit RuleCheck(std::string_view text) : text_(text) {}

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t& text) override {
    if (text.find_first_of(".eE") == string_t::npos) Fail(Find(text, 1, false), "number out of range: " + text);
    return true;
  }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override {
    Enter();
    members_.emplace_back();
    return true;
  }
  bool key(string_t& name) override {
    const size_t occurrence = ++keysSeen_[name];
    if (!members_.back().insert(name).second)
      Fail(Find("\"" + name + "\"", occurrence, true), "member \"" + name + "\" appears twice");
    return true;
  }
  bool end_object() override {
    members_.pop_back();
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override {
    Enter();
    return true;
  }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
    throw JsonError(ParseErrorText(error.what()));
  }

 private:
  void Enter() {
    if (++depth_ > kMaxDepth) throw JsonError("JSON: nested too deeply");
  }

  // The events carry no position, so the place of a fault is found in the text: the
  // `occurrence`-th appearance of `token` (as a member name: followed by ':'). npos when the
  // token is written differently (with escapes).
  size_t Find(const std::string& token, size_t occurrence, bool memberName) const {
    for (size_t at = text_.find(token); at != std::string_view::npos; at = text_.find(token, at + 1)) {
      const size_t after = text_.find_first_not_of(" \t\r\n", at + token.size());
      const bool isName = after != std::string_view::npos && text_[after] == ':';
      if (memberName != isName) continue;
      if (!memberName && after != std::string_view::npos && std::isdigit(static_cast<unsigned char>(text_[after])))
        continue;
      if (--occurrence == 0) return at;
    }
    return std::string_view::npos;
  }

  [[noreturn]] void Fail(size_t at, const std::string& what) const {
    if (at == std::string_view::npos) throw JsonError("JSON: " + what);
    const size_t line = 1 + static_cast<size_t>(std::count(text_.begin(), text_.begin() + at, '\n'));
    throw JsonError("JSON line " + std::to_string(line) + ": " + what);
  }

  std::string_view text_;
  std::map<std::string, size_t> keysSeen_;

  int depth_ = 0;
  std::vector<std::set<std::string>> members_;  // per object still open
};

}  // namespace

Json ParseJson(std::string_view text) {
  RuleCheck rules(text);
  Json::sax_parse(text.begin(), text.end(), &rules);
  return Json::parse(text.begin(), text.end());
}

const Json* JsonMember(const Json& value, std::string_view key) {
  if (!value.is_object()) return nullptr;
  const auto found = value.find(std::string(key));
  return found == value.end() ? nullptr : &*found;
}

bool IsJsonInteger(const Json& value) {
  if (value.is_number_unsigned())
    return value.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  return value.is_number_integer();
}

const char* JsonTypeName(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return IsJsonInteger(value) ? "an integer" : "a number out of range";
    case Json::value_t::number_float: return "a fractional number";
    case Json::value_t::string: return "a string";
    case Json::value_t::array: return "an array";
    case Json::value_t::object: return "an object";
    default: return "?";
  }
}

}  // namespace kpf::tools
