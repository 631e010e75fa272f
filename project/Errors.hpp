#pragma once
// Exception classes shared by every reader of stored data.
#include <stdexcept>
#include <string>

namespace kpf::project {

// Base of every failure the player reports with a message text.
class KpfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A read past the end of a stream, or a stored length that does not fit what remains.
class EStreamError : public KpfError {
 public:
  EStreamError() : KpfError("Stream read error") {}
  explicit EStreamError(const std::string& message) : KpfError(message) {}
};

// Inflation failures; the message is zlib's standard text for the return code.
class EZDecompressionError : public KpfError {
 public:
  using KpfError::KpfError;
};

}  // namespace kpf::project
