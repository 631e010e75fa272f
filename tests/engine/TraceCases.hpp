#pragma once
#include <functional>
#include <map>
#include <string>

#include "project/ProjectWriter.hpp"

namespace kpf::test {

using TraceCaseBuilder = std::function<project::ProjectSource()>;
const std::map<std::string, TraceCaseBuilder>& TraceCases();

}  // namespace kpf::test
