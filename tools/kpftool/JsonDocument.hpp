#pragma once
// The JSON documents kpftool reads (the project.json of a source folder, dialog files, the
// sidecar of a converted package), parsed by nlohmann-json with the rules kpftool holds them to:
// no member twice in one object, at most 64 levels deep. Member order is kept as written.
#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string_view>

namespace kpf::tools {

using Json = nlohmann::ordered_json;

class JsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses one complete document (UTF-8); throws JsonError naming the line of the fault
// ("JSON line 3, column 7: ...").
Json ParseJson(std::string_view text);

// Member `key` of an object; null when absent or when `value` is no object.
const Json* JsonMember(const Json& value, std::string_view key);

// "an integer", "a string", ... for messages.
const char* JsonTypeName(const Json& value);

// A whole number that fits int64 (JSON written without fraction or exponent).
bool IsJsonInteger(const Json& value);

}  // namespace kpf::tools
