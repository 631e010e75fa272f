#pragma once
// Variable lists and random sources for the substitution and system-value tests.
#include <cstdint>
#include <memory>
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

// Answers 0, 1, 2, ... (each below the range asked for) and records the ranges.
struct CountingRandom {
  std::shared_ptr<std::vector<uint32_t>> Ranges = std::make_shared<std::vector<uint32_t>>();
  std::shared_ptr<uint32_t> Next = std::make_shared<uint32_t>(0);

  RandomRange Source() const {
    return [ranges = Ranges, next = Next](uint32_t range) {
      ranges->push_back(range);
      return (*next)++ % range;
    };
  }
};

}  // namespace kpf::script::testing
