#include "engine/ScriptArrays.hpp"

#include "project/Errors.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::engine {

namespace {

size_t BytesOf(const TArrayItem& array) {
  size_t bytes = array.Values.size() * sizeof(int32_t);
  for (const std::string& item : array.Items) bytes += item.size();
  return bytes;
}

}  // namespace

TArrayItem& ScriptArrays::Create(std::string_view name, uint8_t arrayType, int32_t size) {
  TArrayItem item;
  item.Name = project::UpperName(name);
  item.ArrayType = arrayType;
  item.Count = static_cast<int32_t>(static_cast<uint32_t>(size) & 0xFFFFu);
  if (arrayType == 1) {
    item.Items.assign(static_cast<size_t>(item.Count), std::string());
  } else {
    item.Values.assign(static_cast<size_t>(item.Count), 0);
  }
  TArrayItem* old = Find(item.Name);
  if (old == nullptr && arrays_.size() >= kMaxScriptArrays) throw project::KpfError("too many arrays");
  bytes_ += BytesOf(item);
  if (old != nullptr) {
    bytes_ -= BytesOf(*old);
    *old = std::move(item);
    return *old;
  }
  arrays_.push_back(std::move(item));
  return arrays_.back();
}

void ScriptArrays::SetText(TArrayItem& array, size_t index, std::string text) {
  std::string& element = array.Items.at(index);
  bytes_ = bytes_ - element.size() + text.size();
  element = std::move(text);
}

void ScriptArrays::Replace(TArrayItem& array, std::vector<int32_t> values, std::vector<std::string> items) {
  bytes_ -= BytesOf(array);
  array.Values = std::move(values);
  array.Items = std::move(items);
  array.Count = static_cast<int32_t>(array.ArrayType == 1 ? array.Items.size() : array.Values.size());
  bytes_ += BytesOf(array);
}

TArrayItem* ScriptArrays::Find(std::string_view name) {
  for (auto it = arrays_.rbegin(); it != arrays_.rend(); ++it) {
    if (project::SameText(it->Name, name)) return &*it;
  }
  return nullptr;
}

}  // namespace kpf::engine
