#include "tools/kpftool/Findings.hpp"

#include <algorithm>

#include "tools/kpftool/Json.hpp"
#include "tools/kpftool/ModelJson.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
  }
  return "error";
}

std::string Quoted(std::string_view stored) { return "\"" + JsonText(std::string(stored)) + "\""; }

Place Place::At(std::string part, int64_t n) const {
  Place place = *this;
  place.partKind = std::move(part);
  place.number = n;
  return place;
}

Place Place::At(std::string part, std::string objectName) const {
  Place place = *this;
  place.partKind = std::move(part);
  place.partName = std::move(objectName);
  return place;
}

// Stored names are Windows-1252; the output is UTF-8.
std::string Place::Text() const {
  if (kind == "load") return Windows1252ToUtf8(name);
  std::string text = kind;
  text += " " + Quoted(name);
  if (partKind.empty()) return text;
  text += " " + partKind + " ";
  text += number ? std::to_string(*number) : Quoted(partName);
  return text;
}

void Findings::Add(Severity severity, Place place, std::string message) {
  all_.push_back({severity, std::move(place), std::move(message)});
}

bool Findings::HasError() const {
  return std::any_of(all_.begin(), all_.end(), [](const Finding& f) { return f.severity == Severity::Error; });
}

std::string Findings::Lines() const {
  std::string lines;
  for (const auto& finding : all_)
    lines += std::string(SeverityName(finding.severity)) + ": " + finding.place.Text() + ": " + finding.message + "\n";
  return lines;
}

std::string Findings::Json() const {
  JsonWriter json;
  json.BeginArray();
  for (const auto& finding : all_) {
    const Place& place = finding.place;
    json.BeginObject().Member("severity", SeverityName(finding.severity));
    json.Member(place.kind, JsonText(place.name));
    if (place.number) json.Member(place.partKind, *place.number);
    else if (!place.partKind.empty()) json.Member(place.partKind, JsonText(place.partName));
    json.Member("message", finding.message).EndObject();
  }
  json.EndArray();
  return json.Text();
}

}  // namespace kpf::tools
