// Fuzzes the persistent property stream reader with the cursor collection and with a target
// that has every property type.
#include <cstdint>
#include <exception>

#include "project/PersistentStream.hpp"

namespace {

class Everything : public kpf::project::TVrPersistentTarget {
 public:
  std::vector<kpf::project::PropertyInfo> Properties() const override {
    using kpf::project::PropertyType;
    return {{"count", PropertyType::Integer}, {"letter", PropertyType::Char},
            {"style", PropertyType::Set},     {"big", PropertyType::Int64},
            {"ratio", PropertyType::Float},   {"caption", PropertyType::Text},
            {"lines", PropertyType::Object}};
  }
  bool SetProperty(std::string_view, const kpf::project::PersistentValue&) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  try {
    kpf::project::ByteReader reader(bytes);
    std::vector<kpf::project::TVrCursorItem> cursors;
    kpf::project::ReadCursorCollection(reader, cursors, [](const std::string&) {});
  } catch (const std::exception&) {
  }
  try {
    kpf::project::ByteReader reader(bytes);
    kpf::project::TVrPersistentStream stream(reader);
    stream.NameTable = {"count", "letter", "style"};
    stream.OnResolveReference = [](auto&, std::string_view, std::string_view name) {
      return name.size() % 2 == 0;
    };
    Everything target;
    while (!reader.atEnd()) {
      size_t before = reader.position();
      stream.ReadObject(target);
      if (reader.position() == before) break;
    }
  } catch (const std::exception&) {
  }
  return 0;
}
