#pragma once
// A small streaming JSON writer for kpftool's output: objects, arrays, strings, integers,
// booleans and null, compact or indented. Strings are expected in UTF-8 and escaped as needed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::tools {

class JsonWriter {
 public:
  explicit JsonWriter(bool pretty = false) : pretty_(pretty) {}

  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // Names the next value inside an object.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view utf8);
  JsonWriter& Int(int64_t value);
  JsonWriter& UInt(uint64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Shorthands for one member of an object.
  template <typename T>
  JsonWriter& Member(std::string_view name, const T& value) {
    Key(name);
    return Value(value);
  }

  // The text written so far (complete once every object and array is closed).
  const std::string& Text() const { return out_; }

  static std::string Escape(std::string_view utf8);

 private:
  JsonWriter& Value(std::string_view text) { return String(text); }
  JsonWriter& Value(const std::string& text) { return String(text); }
  JsonWriter& Value(const char* text) { return String(text); }
  JsonWriter& Value(bool value) { return Bool(value); }
  JsonWriter& Value(int32_t value) { return Int(value); }
  JsonWriter& Value(int64_t value) { return Int(value); }
  JsonWriter& Value(uint32_t value) { return UInt(value); }
  JsonWriter& Value(uint64_t value) { return UInt(value); }

  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);
  void NewLine();

  struct Level {
    bool first = true;
  };
  bool pretty_;
  bool afterKey_ = false;
  std::vector<Level> levels_;
  std::string out_;
};

}  // namespace kpf::tools
