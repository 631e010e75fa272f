#pragma once
// In-memory form of the per-user settings store: keys addressed by backslash-separated paths,
// each holding named text or integer values. Key and value names match without regard to case
// (as registry names do) and keep the case they were written with.
//
// Stored as a small INI-like text file:
//   [Sub\Key]           one section per key; "[]" is the settings key itself
//   Name=s:text         a text value
//   Count=i:42          an integer value
// Bytes that would break the layout ('%', '=', '[', ']', '\', control characters) are written
// as %HH; section names escape them per component and join the components with '\'.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::package {

struct SettingsValue {
  enum class Type { Text, Integer };
  std::string Name;
  Type ValueType = Type::Text;
  std::string Text;
  int32_t Integer = 0;
};

class SettingsDocument {
 public:
  static SettingsDocument Parse(std::string_view content);
  std::string Serialize() const;

  const SettingsValue* Find(std::string_view keyPath, std::string_view name) const;
  void Set(std::string_view keyPath, SettingsValue value);
  // False when the key does not exist; true when it does (whether or not the value did).
  bool Remove(std::string_view keyPath, std::string_view name);
  bool KeyExists(std::string_view keyPath) const;
  // Names of the direct sub-keys of a key.
  std::vector<std::string> SubKeyNames(std::string_view keyPath) const;
  // Removes a key with all its sub-keys; false when it did not exist.
  bool RemoveKey(std::string_view keyPath);

 private:
  struct Key {
    std::vector<std::string> Path;  // components
    std::vector<SettingsValue> Values;
  };
  Key* FindKey(const std::vector<std::string>& path);
  const Key* FindKey(const std::vector<std::string>& path) const;
  static void SetIn(Key& key, SettingsValue value);

  std::vector<Key> keys_;
};

// Splits a key path at backslashes, dropping empty components.
std::vector<std::string> SplitKeyPath(std::string_view keyPath);

}  // namespace kpf::package
