#pragma once
// kpftool's JSON output, written member by member in the order of the calls: objects, arrays,
// strings, integers, booleans and null, compact or indented by two spaces. The document is
// built as an nlohmann ordered_json and serialised by it; strings are expected in UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kpftool/JsonDocument.hpp"

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

  // The document, once every object and array is closed. DEL (0x7F) is written as \u007f, so
  // the text holds no control character; bytes that are no UTF-8 become U+FFFD.
  std::string Text() const;

 private:
  JsonWriter& Value(std::string_view text) { return String(text); }
  JsonWriter& Value(const std::string& text) { return String(text); }
  JsonWriter& Value(const char* text) { return String(text); }
  JsonWriter& Value(bool value) { return Bool(value); }
  JsonWriter& Value(int32_t value) { return Int(value); }
  JsonWriter& Value(int64_t value) { return Int(value); }
  JsonWriter& Value(uint32_t value) { return UInt(value); }
  JsonWriter& Value(uint64_t value) { return UInt(value); }

  // Places `value` in the open container (after its key in an object); returns where it is.
  Json& Add(Json value);

  bool pretty_;
  Json root_;
  bool rooted_ = false;
  std::vector<Json*> open_;  // the containers not yet closed, innermost last
  std::string key_;
  bool keyed_ = false;
};

}  // namespace kpf::tools
