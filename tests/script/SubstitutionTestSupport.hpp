#pragma once
// Variable lists and random sources for the substitution and system-value tests.
#include <cstdint>
#include <string>
#include <vector>

#include "project/TTaviVariable.hpp"
#include "script/RandomRange.hpp"

namespace kpf::script::testing {

inline project::TTaviVariable Variable(std::string name, project::VariantValue value, uint8_t varType, int32_t id) {
  project::TTaviVariable variable;
  variable.ID = id;
  variable.Name = project::UpperName(name);
  variable.VarType = varType;
  variable.Value = std::move(value);
  variable.StoredValue = variable.Value;
  return variable;
}

inline project::TTaviVariable IntegerVariable(std::string name, int32_t value, int32_t id = 1) {
  return Variable(std::move(name), value, 0, id);
}

inline project::TTaviVariable TextVariable(std::string name, std::string value, int32_t id = 1) {
  return Variable(std::move(name), std::move(value), 1, id);
}

// Answers 0, 1, 2, ... (each below the range asked for) and records the ranges; outlives the
// sources it hands out.
struct CountingRandom {
  std::vector<uint32_t> Ranges;
  uint32_t Next = 0;

  RandomRange Source() {
    return [this](uint32_t range) {
      Ranges.push_back(range);
      return Next++ % range;
    };
  }
};

}  // namespace kpf::script::testing
