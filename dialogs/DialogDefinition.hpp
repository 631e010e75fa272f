#pragma once
// A dialog definition: the sequence of object records stored for one project dialog. Each
// record is an int32 size (of what follows), a 16-bit type code and the object's payload; code
// 65535 ends the definition and unknown codes are skipped.
//
// The definition comes from an untrusted project file: a record size must be 2 or more and fit
// the bytes left, each payload is read inside its record only, and at most kMaxObjects objects
// are made. A bad record ends the definition with the objects read before it.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "dialogs/TMyObject.hpp"

namespace kpf::dialogs {

using ObjectList = std::vector<std::shared_ptr<TMyObject>>;

constexpr uint16_t kEndOfDefinition = 65535;

struct DialogDefinition {
  ObjectList Objects;  // in file order
  // Why reading stopped early; empty when the whole definition was read.
  std::string Error;
};

// The object of a type code (1 to 14) with its defaults; null for any other code.
std::shared_ptr<TMyObject> CreateObject(uint16_t typeCode);

DialogDefinition ReadDefinition(std::span<const uint8_t> definition);
// One record per object, then the closing record.
std::vector<uint8_t> WriteDefinition(const ObjectList& objects);

}  // namespace kpf::dialogs
