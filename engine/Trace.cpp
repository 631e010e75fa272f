#include "engine/Trace.hpp"

#include <cstdio>

namespace kpf::engine {

void AppendQuoted(std::string& out, std::string_view value) {
  out += '"';
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

TraceLine::TraceLine(int64_t timeMs, std::string_view event) : enabled_(true) {
  line_ = std::to_string(timeMs);
  line_ += ' ';
  line_ += event;
}

TraceLine& TraceLine::Int(std::string_view name, int64_t value) {
  if (!enabled_) return *this;
  line_ += ' ';
  line_ += name;
  line_ += '=';
  line_ += std::to_string(value);
  return *this;
}

TraceLine& TraceLine::Text(std::string_view name, std::string_view value) {
  if (!enabled_) return *this;
  line_ += ' ';
  line_ += name;
  line_ += '=';
  AppendQuoted(line_, value);
  return *this;
}

TraceLine& TraceLine::Texts(std::string_view name, const std::vector<std::string>& values) {
  if (!enabled_) return *this;
  line_ += ' ';
  line_ += name;
  line_ += "=[";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line_ += ',';
    AppendQuoted(line_, values[i]);
  }
  line_ += ']';
  return *this;
}

}  // namespace kpf::engine
