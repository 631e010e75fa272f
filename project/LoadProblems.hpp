#pragma once
// Problems a load survives: records it skips, values it clamps, sections it ignores. The player
// goes on with what it could read and passes none of this on; the tools that look at a character
// ask for them to tell its author what the model lacks.
#include <functional>
#include <string>

namespace kpf::project {

struct LoadProblem {
  // Where it is, as an author finds it: `section 133`, `script "greet" item 3`,
  // `animation "idle" frame 2`, `record 4 (tag 202) at offset 1234`. Stored names unconverted.
  std::string where;
  std::string what;
  // The model lacks something the file holds (a record, a reference, parameters); false when the
  // load only adjusted or ignored something the player would not use anyway.
  bool lost = true;
};

// Receives every problem of one load; empty: nobody asks.
using LoadProblemSink = std::function<void(const LoadProblem&)>;

inline void ReportProblem(const LoadProblemSink& sink, std::string where, std::string what, bool lost = true) {
  if (sink) sink(LoadProblem{std::move(where), std::move(what), lost});
}

// A stored name in double quotes, for the `where` of a problem.
inline std::string QuotedName(const std::string& name) { return "\"" + name + "\""; }

}  // namespace kpf::project
