#pragma once
// Reads the members of one project.json object with range checks and defaults; every error names
// the place in the document ("project.animations[2].frames[0].duration: ...").
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kpftool/JsonDocument.hpp"

namespace kpf::tools {

class JsonFields {
 public:
  // Throws when `value` is not an object.
  JsonFields(const Json& value, std::string context);

  const Json* Get(std::string_view key) const { return JsonMember(value_, key); }
  bool Has(std::string_view key) const { return Get(key) != nullptr; }
  int64_t Int(std::string_view key, int64_t fallback, int64_t min, int64_t max) const;
  int32_t Int32(std::string_view key, int32_t fallback) const;
  bool Bool(std::string_view key, bool fallback) const;
  // UTF-8 text of the document converted to the stored Windows-1252 form.
  std::string Text(std::string_view key, std::string_view fallback = {}) const;
  // A file reference (kept as written).
  std::string Reference(std::string_view key) const;
  // Items of an array member; empty when absent.
  const Json& Array(std::string_view key) const;

  std::string Path(std::string_view key) const { return context_ + "." + std::string(key); }
  const std::string& Context() const { return context_; }
  [[noreturn]] void Fail(std::string_view key, const std::string& what) const;

 private:
  const Json& value_;
  std::string context_;
};

// Range-checked integer of a plain JSON value (array items).
int64_t JsonInt(const Json& value, const std::string& context, int64_t min, int64_t max);
std::string JsonText(const Json& value, const std::string& context);
std::string Indexed(const std::string& context, size_t index);

}  // namespace kpf::tools
