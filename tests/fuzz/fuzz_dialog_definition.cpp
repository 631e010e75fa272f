// Fuzzes the dialog definition reader: whatever it reads must write back into a definition that
// reads again into as many objects, and the values and property texts of every object must be
// computable without a window.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "dialogs/DialogDefinition.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kpf::dialogs::DialogDefinition read = kpf::dialogs::ReadDefinition(std::span<const uint8_t>(data, size));
  for (const auto& object : read.Objects) {
    (void)object->GetValue();
    (void)object->GetCaption();
  }
  const std::vector<uint8_t> written = kpf::dialogs::WriteDefinition(read.Objects);
  const kpf::dialogs::DialogDefinition again = kpf::dialogs::ReadDefinition(written);
  if (!again.Error.empty() || again.Objects.size() != read.Objects.size()) std::abort();
  return 0;
}
