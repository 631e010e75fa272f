#include "package/SettingsDocument.hpp"

#include <algorithm>
#include <charconv>

#include "project/TTaviVariable.hpp"

namespace kpf::package {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Key and value names match as every other name of the player does.
using project::SameText;

bool SamePath(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) { return SameText(x, y); });
}

bool IsPrefix(const std::vector<std::string>& prefix, const std::vector<std::string>& path) {
  return prefix.size() <= path.size() &&
         std::equal(prefix.begin(), prefix.end(), path.begin(), [](const auto& x, const auto& y) { return SameText(x, y); });
}

std::string Escape(std::string_view text, std::string_view special) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127 || c == '%' || special.find(c) != std::string_view::npos) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<SettingsValue> ParseValueLine(std::string_view line) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals + 2 >= line.size() || line[equals + 2] != ':') return std::nullopt;
  SettingsValue value;
  value.Name = Unescape(line.substr(0, equals));
  std::string_view data = line.substr(equals + 3);
  char type = line[equals + 1];
  if (type == 's') {
    value.Text = Unescape(data);
    return value;
  }
  if (type != 'i') return std::nullopt;
  value.ValueType = SettingsValue::Type::Integer;
  auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), value.Integer);
  if (error != std::errc() || end != data.data() + data.size()) return std::nullopt;
  return value;
}

}  // namespace

std::vector<std::string> SplitKeyPath(std::string_view keyPath) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find('\\', start);
    if (end == std::string_view::npos) end = keyPath.size();
    if (end > start) parts.emplace_back(keyPath.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

SettingsDocument SettingsDocument::Parse(std::string_view content) {
  SettingsDocument document;
  Key* current = nullptr;
  while (!content.empty()) {
    size_t newline = content.find('\n');
    std::string_view line = content.substr(0, newline);
    content = newline == std::string_view::npos ? std::string_view() : content.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      std::vector<std::string> path;
      for (const std::string& part : SplitKeyPath(line.substr(1, line.size() - 2))) path.push_back(Unescape(part));
      current = document.FindKey(path);
      if (!current) current = &document.keys_.emplace_back(Key{std::move(path), {}});
    } else if (current) {
      if (auto value = ParseValueLine(line)) SetIn(*current, std::move(*value));
    }
  }
  return document;
}

void SettingsDocument::SetIn(Key& key, SettingsValue value) {
  for (SettingsValue& existing : key.Values) {
    if (SameText(existing.Name, value.Name)) {
      existing = std::move(value);
      return;
    }
  }
  key.Values.push_back(std::move(value));
}

std::string SettingsDocument::Serialize() const {
  std::string out = "# kpfplayer settings\n";
  for (const Key& key : keys_) {
    out += '[';
    for (size_t i = 0; i < key.Path.size(); ++i) {
      if (i) out += '\\';
      out += Escape(key.Path[i], "=[]\\");
    }
    out += "]\n";
    for (const SettingsValue& value : key.Values) {
      out += Escape(value.Name, "=[]#");
      if (value.ValueType == SettingsValue::Type::Integer)
        out += "=i:" + std::to_string(value.Integer);
      else
        out += "=s:" + Escape(value.Text, "");
      out += '\n';
    }
  }
  return out;
}

SettingsDocument::Key* SettingsDocument::FindKey(const std::vector<std::string>& path) {
  for (Key& key : keys_)
    if (SamePath(key.Path, path)) return &key;
  return nullptr;
}

const SettingsDocument::Key* SettingsDocument::FindKey(const std::vector<std::string>& path) const {
  for (const Key& key : keys_)
    if (SamePath(key.Path, path)) return &key;
  return nullptr;
}

const SettingsValue* SettingsDocument::Find(std::string_view keyPath, std::string_view name) const {
  const Key* key = FindKey(SplitKeyPath(keyPath));
  if (!key) return nullptr;
  for (const SettingsValue& value : key->Values)
    if (SameText(value.Name, name)) return &value;
  return nullptr;
}

void SettingsDocument::Set(std::string_view keyPath, SettingsValue value) {
  std::vector<std::string> path = SplitKeyPath(keyPath);
  Key* key = FindKey(path);
  if (!key) key = &keys_.emplace_back(Key{std::move(path), {}});
  SetIn(*key, std::move(value));
}

bool SettingsDocument::Remove(std::string_view keyPath, std::string_view name) {
  Key* key = FindKey(SplitKeyPath(keyPath));
  if (!key) return false;
  std::erase_if(key->Values, [&](const SettingsValue& value) { return SameText(value.Name, name); });
  return true;
}

bool SettingsDocument::KeyExists(std::string_view keyPath) const {
  std::vector<std::string> path = SplitKeyPath(keyPath);
  if (path.empty()) return true;
  for (const Key& key : keys_)
    if (IsPrefix(path, key.Path)) return true;
  return false;
}

std::vector<std::string> SettingsDocument::SubKeyNames(std::string_view keyPath) const {
  std::vector<std::string> path = SplitKeyPath(keyPath);
  std::vector<std::string> names;
  for (const Key& key : keys_) {
    if (key.Path.size() <= path.size() || !IsPrefix(path, key.Path)) continue;
    const std::string& name = key.Path[path.size()];
    if (std::none_of(names.begin(), names.end(), [&](const std::string& known) { return SameText(known, name); }))
      names.push_back(name);
  }
  return names;
}

bool SettingsDocument::RemoveKey(std::string_view keyPath) {
  std::vector<std::string> path = SplitKeyPath(keyPath);
  if (path.empty()) return false;
  return std::erase_if(keys_, [&](const Key& key) { return IsPrefix(path, key.Path); }) > 0;
}

}  // namespace kpf::package
