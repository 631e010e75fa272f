#include "engine/ScriptArrays.hpp"

#include "project/TTaviVariable.hpp"

namespace kpf::engine {

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
  if (TArrayItem* old = Find(item.Name)) {
    *old = std::move(item);
    return *old;
  }
  arrays_.push_back(std::move(item));
  return arrays_.back();
}

TArrayItem* ScriptArrays::Find(std::string_view name) {
  for (auto it = arrays_.rbegin(); it != arrays_.rend(); ++it) {
    if (project::SameText(it->Name, name)) return &*it;
  }
  return nullptr;
}

}  // namespace kpf::engine
