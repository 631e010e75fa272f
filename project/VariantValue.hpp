#pragma once
// The value of a variable: an integer or a text. Conversions between the two follow the
// integer-conversion rule of the variables (ConvertToInteger).
#include <cstdint>
#include <string>
#include <variant>

namespace kpf::project {

class VariantValue {
 public:
  VariantValue() : value_(int32_t{0}) {}
  VariantValue(int32_t value) : value_(value) {}  // NOLINT: implicit by design
  VariantValue(std::string text) : value_(std::move(text)) {}  // NOLINT
  VariantValue(const char* text) : value_(std::string(text)) {}  // NOLINT

  bool IsText() const { return std::holds_alternative<std::string>(value_); }
  bool IsInteger() const { return !IsText(); }
  // Bytes of the text held (0 for an integer).
  size_t TextBytes() const { return IsText() ? std::get<std::string>(value_).size() : 0; }
  // The integer held, or the text converted (may throw EConvertError).
  int32_t ToInteger() const;
  // The text held, or the decimal text of the integer.
  std::string ToText() const;

  bool operator==(const VariantValue&) const = default;

 private:
  std::variant<int32_t, std::string> value_;
};

}  // namespace kpf::project
