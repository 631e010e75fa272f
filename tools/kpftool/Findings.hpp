#pragma once
// What `kpftool check` found in a character: one finding per fault, with its severity and the
// place an author looks for it (script and item, animation and frame, dialog and object, ...).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::tools {

enum class Severity { Error, Warning, Note };

// Where a finding is: a part of the project (`kind` "script", "menu", "animation", "playList",
// "dialog") named `name`, and inside it an item or frame number (counted from 1, as an
// author counts them) or an object name. A problem of the load is of `kind` "load" and its
// `name` is the place the loader gave, as it gave it.
struct Place {
  std::string kind;
  std::string name;
  std::string partKind;  // "item", "frame", "entry", "object"; empty for the whole part
  std::optional<int64_t> number;
  std::string partName;

  static Place Of(std::string kind, std::string name) { return {std::move(kind), std::move(name), {}, {}, {}}; }
  static Place Loading(std::string where) { return Of("load", std::move(where)); }
  Place At(std::string part, int64_t n) const;
  Place At(std::string part, std::string objectName) const;
  // `script "Greet" item 3`
  std::string Text() const;
};

struct Finding {
  Severity severity = Severity::Error;
  Place place;
  std::string message;
};

class Findings {
 public:
  void Add(Severity severity, Place place, std::string message);
  void Error(const Place& place, std::string message) { Add(Severity::Error, place, std::move(message)); }
  void Warning(const Place& place, std::string message) { Add(Severity::Warning, place, std::move(message)); }
  void Note(const Place& place, std::string message) { Add(Severity::Note, place, std::move(message)); }

  const std::vector<Finding>& All() const { return all_; }
  bool HasError() const;

  // One line per finding: `error: script "Greet" item 3: message`.
  std::string Lines() const;
  // A JSON array of objects: severity, the place's members, message.
  std::string Json() const;

 private:
  std::vector<Finding> all_;
};

const char* SeverityName(Severity severity);

// A stored (Windows-1252) name in double quotes, in UTF-8, for messages.
std::string Quoted(std::string_view stored);

}  // namespace kpf::tools
