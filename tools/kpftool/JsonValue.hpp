#pragma once
// A parsed JSON document for kpftool's inputs (the project.json of a source folder). Numbers
// keep their integer value when they are written without fraction or exponent.
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::tools {

class JsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class JsonValue {
 public:
  enum class Type { Null, Bool, Integer, Real, String, Array, Object };

  // Parses one complete document (UTF-8); throws JsonError with the line of the fault.
  static JsonValue Parse(std::string_view text);

  Type type() const { return type_; }
  bool IsNull() const { return type_ == Type::Null; }
  bool IsBool() const { return type_ == Type::Bool; }
  bool IsInteger() const { return type_ == Type::Integer; }
  bool IsString() const { return type_ == Type::String; }
  bool IsArray() const { return type_ == Type::Array; }
  bool IsObject() const { return type_ == Type::Object; }

  bool AsBool() const { return bool_; }
  int64_t AsInteger() const { return integer_; }
  const std::string& AsString() const { return string_; }
  const std::vector<JsonValue>& Items() const { return items_; }
  // Member of an object, or null when absent (or when this is not an object).
  const JsonValue* Find(std::string_view key) const;
  // Member names of an object in sorted order.
  std::vector<std::string> Keys() const;

  static const char* TypeName(Type type);

 private:
  friend class JsonParser;
  Type type_ = Type::Null;
  bool bool_ = false;
  int64_t integer_ = 0;
  std::string string_;
  std::vector<JsonValue> items_;
  std::map<std::string, JsonValue, std::less<>> members_;
};

}  // namespace kpf::tools
