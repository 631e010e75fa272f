#include "tools/kpftool/Json.hpp"

#include <stdexcept>

namespace kpf::tools {

Json& JsonWriter::Add(Json value) {
  if (open_.empty()) {
    if (rooted_) throw std::logic_error("JSON output has one top-level value");
    rooted_ = true;
    root_ = std::move(value);
    return root_;
  }
  Json& container = *open_.back();
  if (container.is_object()) {
    if (!keyed_) throw std::logic_error("JSON member without a name");
    keyed_ = false;
    // Member names are unique in our output; a repeated one keeps its first place.
    Json& member = container[key_];
    member = std::move(value);
    return member;
  }
  container.push_back(std::move(value));
  return container.back();
}

JsonWriter& JsonWriter::BeginObject() {
  open_.push_back(&Add(Json::object()));
  return *this;
}
JsonWriter& JsonWriter::EndObject() {
  if (!open_.empty()) open_.pop_back();
  return *this;
}
JsonWriter& JsonWriter::BeginArray() {
  open_.push_back(&Add(Json::array()));
  return *this;
}
JsonWriter& JsonWriter::EndArray() {
  if (!open_.empty()) open_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  key_ = name;
  keyed_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
  Add(std::string(utf8));
  return *this;
}
JsonWriter& JsonWriter::Int(int64_t value) {
  Add(value);
  return *this;
}
JsonWriter& JsonWriter::UInt(uint64_t value) {
  Add(value);
  return *this;
}
JsonWriter& JsonWriter::Bool(bool value) {
  Add(value);
  return *this;
}
JsonWriter& JsonWriter::Null() {
  Add(nullptr);
  return *this;
}

std::string JsonWriter::Text() const {
  std::string text = root_.dump(pretty_ ? 2 : -1, ' ', false, Json::error_handler_t::replace);
  // DEL is the one control character the serialiser leaves as it is; it occurs only inside
  // strings, where it is escaped like the others.
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == 0x7F) out += "\\u007f";
    else out += c;
  }
  return out;
}

}  // namespace kpf::tools
