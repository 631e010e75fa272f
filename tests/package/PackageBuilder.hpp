#pragma once
// Assembles package files field by field for the package tests, and a host that records what
// a package applies.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/PackageFormat.hpp"
#include "package/PackageHost.hpp"
#include "project/ByteBuilder.hpp"
#include "tests/package/ScratchFolder.hpp"

namespace kpf::package::testing {

using Bytes = std::vector<uint8_t>;
using test::ByteBuilder;

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct PackageBuilder {
  Bytes image = ToBytes("MZ-program-image-bytes");
  Bytes block = ToBytes("compressed-project");
  PackageHeader header{"3.01", "About\r\nline", "My Title", 0};
  ByteBuilder records;
  bool recordList = true;  // false: the header is followed directly by the trailer

  PackageBuilder& Record(uint32_t tag, const Bytes& data) {
    records.u32(tag).sized(data);
    return *this;
  }
  PackageBuilder& NamedFile(const std::string& name, const std::string& content) {
    return Record(kTagNamedFile, ByteBuilder().nul(name).text(content).bytes());
  }
  PackageBuilder& IntValue(int32_t id, int32_t value) {
    return Record(kTagVariableValue, ByteBuilder().i32(id).u8(kValueInteger).i32(value).bytes());
  }
  PackageBuilder& TextValue(int32_t id, const std::string& value) {
    return Record(kTagVariableValue, ByteBuilder().i32(id).u8(kValueText).nul(value).bytes());
  }
  PackageBuilder& End() {
    records.u32(kTagEnd);
    return *this;
  }
  Bytes Build() const {
    ByteBuilder out;
    out.raw(image).sized(block).nul(header.DesignVersion).nul(header.AboutText).nul(header.Title);
    out.i32(header.HeaderFlags);
    if (recordList) out.raw(records);
    return out.u32(static_cast<uint32_t>(image.size())).u32(PackageTrailerMagic).bytes();
  }
};

// Stands in for the project loader and the variables.
class FakeHost : public PackageHost {
 public:
  std::vector<Bytes> loads;
  std::vector<PackageHeader> headers;
  std::vector<VariableValueRecord> applied;
  std::vector<int32_t> knownIds{1, 2, 3};
  std::vector<VariableValueRecord> changed;
  bool failLoad = false;
  int32_t unconvertibleId = -1;  // a value for this variable cannot be converted

  void LoadProject(std::span<const uint8_t> block) override {
    if (failLoad) throw std::runtime_error("data error");
    loads.emplace_back(block.begin(), block.end());
  }
  void SetHeader(const PackageHeader& header) override { headers.push_back(header); }
  void ApplyInitialValue(const VariableValueRecord& value) override {
    if (value.VariableId == unconvertibleId) throw std::runtime_error("'99999999999' is not a valid integer value");
    for (int32_t id : knownIds)
      if (id == value.VariableId) applied.push_back(value);
  }
  std::vector<VariableValueRecord> ChangedStoredValues() const override { return changed; }
};

}  // namespace kpf::package::testing
