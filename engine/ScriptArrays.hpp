#pragma once
// The named integer and text arrays scripts create (TArrayItem), in creation order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::engine {

struct TArrayItem {
  std::string Name;  // upper case
  std::vector<std::string> Items;
  std::vector<int32_t> Values;  // zero at creation
  uint8_t ArrayType = 0;  // 0 integer, 1 text
  int32_t Count = 0;      // the size parameter modulo 65536
};

// Most arrays one player keeps.
constexpr size_t kMaxScriptArrays = 1024;

class ScriptArrays {
 public:
  // A new array. One that has the name already is replaced: scripts only ever reach the last
  // array of a name, so the older one could never be used again, and a script that makes its
  // array afresh on every run would otherwise pile them up without end.
  // Beyond kMaxScriptArrays names a new one is refused (KpfError: the action is abandoned).
  TArrayItem& Create(std::string_view name, uint8_t arrayType, int32_t size);
  // Element `index` of a text array := text.
  void SetText(TArrayItem& array, size_t index, std::string text);
  // New contents of an array; its count follows.
  void Replace(TArrayItem& array, std::vector<int32_t> values, std::vector<std::string> items);
  // Bytes all arrays hold.
  size_t Bytes() const { return bytes_; }
  // Last array with the name, without regard to case; null when none.
  TArrayItem* Find(std::string_view name);
  void Clear() {
    arrays_.clear();
    bytes_ = 0;
  }
  size_t size() const { return arrays_.size(); }

 private:
  std::vector<TArrayItem> arrays_;
  size_t bytes_ = 0;
};

}  // namespace kpf::engine
