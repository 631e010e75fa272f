#pragma once

#include <stdexcept>
#include <string>

namespace kpf::script {

// Every compile or evaluation failure of the expression parser, including the
// numeric faults (division by zero, invalid operation, overflow, conversion).
class EParserException : public std::runtime_error {
public:
    explicit EParserException(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kpf::script
