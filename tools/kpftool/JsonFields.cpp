#include "tools/kpftool/JsonFields.hpp"

#include <limits>
#include <stdexcept>

#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

namespace {

[[noreturn]] void Throw(const std::string& context, const std::string& what) {
  throw std::runtime_error(context + ": " + what);
}

}  // namespace

JsonFields::JsonFields(const Json& value, std::string context)
    : value_(value), context_(std::move(context)) {
  if (!value.is_object())
    Throw(context_, std::string("expected an object, found ") + JsonTypeName(value));
}

void JsonFields::Fail(std::string_view key, const std::string& what) const { Throw(Path(key), what); }

int64_t JsonFields::Int(std::string_view key, int64_t fallback, int64_t min, int64_t max) const {
  const Json* value = Get(key);
  return value ? JsonInt(*value, Path(key), min, max) : fallback;
}

int32_t JsonFields::Int32(std::string_view key, int32_t fallback) const {
  return static_cast<int32_t>(Int(key, fallback, std::numeric_limits<int32_t>::min(),
                                  std::numeric_limits<int32_t>::max()));
}

bool JsonFields::Bool(std::string_view key, bool fallback) const {
  const Json* value = Get(key);
  if (!value) return fallback;
  if (!value->is_boolean()) Fail(key, std::string("expected true or false, found ") +
                                      JsonTypeName(*value));
  return value->get<bool>();
}

std::string JsonFields::Text(std::string_view key, std::string_view fallback) const {
  const Json* value = Get(key);
  return value ? JsonText(*value, Path(key)) : std::string(fallback);
}

std::string JsonFields::Reference(std::string_view key) const {
  const Json* value = Get(key);
  if (!value || !value->is_string() || value->get<std::string>().empty())
    Fail(key, "expected a file name");
  return value->get<std::string>();
}

const Json& JsonFields::Array(std::string_view key) const {
  static const Json kEmpty = Json::array();
  const Json* value = Get(key);
  if (!value) return kEmpty;
  if (!value->is_array())
    Fail(key, std::string("expected an array, found ") + JsonTypeName(*value));
  return *value;
}

int64_t JsonInt(const Json& value, const std::string& context, int64_t min, int64_t max) {
  if (!IsJsonInteger(value))
    Throw(context, std::string("expected an integer, found ") + JsonTypeName(value));
  if (value.get<int64_t>() < min || value.get<int64_t>() > max)
    Throw(context, std::to_string(value.get<int64_t>()) + " is outside " + std::to_string(min) +
                       ".." + std::to_string(max));
  return value.get<int64_t>();
}

std::string JsonText(const Json& value, const std::string& context) {
  if (!value.is_string())
    Throw(context, std::string("expected a string, found ") + JsonTypeName(value));
  try {
    std::string text = Utf8ToWindows1252(value.get<std::string>());
    if (text.find('\0') != std::string::npos) Throw(context, "text holds a NUL character");
    return text;
  } catch (const std::runtime_error& error) {
    if (std::string(error.what()).rfind(context, 0) == 0) throw;
    Throw(context, error.what());
  }
}

std::string Indexed(const std::string& context, size_t index) {
  return context + "[" + std::to_string(index) + "]";
}

}  // namespace kpf::tools
