#pragma once
// The engine's event trace: one text line per engine event, for tests, tools and debugging.
// Lines start with the loop time in milliseconds, then an event word, then name=value fields
// (texts in double quotes with \" and \\ escaped). The format is documented in TRACE.md.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::engine {

using TraceSink = std::function<void(const std::string& line)>;

// Builds one trace line field by field.
class TraceLine {
 public:
  // A line that records nothing: its fields are not even formatted. The engine makes these while
  // no trace sink is set, so untraced runs pay nothing for their trace points.
  TraceLine() = default;
  TraceLine(int64_t timeMs, std::string_view event);
  TraceLine& Int(std::string_view name, int64_t value);
  TraceLine& Text(std::string_view name, std::string_view value);
  TraceLine& Texts(std::string_view name, const std::vector<std::string>& values);
  const std::string& str() const { return line_; }
  bool Enabled() const { return enabled_; }

 private:
  std::string line_;
  bool enabled_ = false;
};

// Appends `value` in double quotes, escaping quotes, backslashes and control characters.
void AppendQuoted(std::string& out, std::string_view value);

}  // namespace kpf::engine
