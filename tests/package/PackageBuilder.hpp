#pragma once
// Assembles package files byte by byte for the package tests, and a scratch folder that
// stands in for the temporary folder and the settings store.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "package/PackageFormat.hpp"
#include "package/PackageHost.hpp"

namespace kpf::package::testing {

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
inline void PutString(Bytes& out, const std::string& text, bool nul = true) {
  out.insert(out.end(), text.begin(), text.end());
  if (nul) out.push_back(0);
}
inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct PackageBuilder {
  Bytes image = ToBytes("MZ-program-image-bytes");
  Bytes block = ToBytes("compressed-project");
  PackageHeader header{"3.01", "About\r\nline", "My Title", 0};
  Bytes records;
  bool recordList = true;  // false: the header is followed directly by the trailer

  PackageBuilder& Record(uint32_t tag, const Bytes& data) {
    PutU32(records, tag);
    PutU32(records, static_cast<uint32_t>(data.size()));
    records.insert(records.end(), data.begin(), data.end());
    return *this;
  }
  PackageBuilder& NamedFile(const std::string& name, const std::string& content) {
    Bytes data;
    PutString(data, name);
    PutString(data, content, false);
    return Record(kTagNamedFile, data);
  }
  PackageBuilder& IntValue(int32_t id, int32_t value) {
    Bytes data;
    PutU32(data, static_cast<uint32_t>(id));
    data.push_back(kValueInteger);
    PutU32(data, static_cast<uint32_t>(value));
    return Record(kTagVariableValue, data);
  }
  PackageBuilder& TextValue(int32_t id, const std::string& value) {
    Bytes data;
    PutU32(data, static_cast<uint32_t>(id));
    data.push_back(kValueText);
    PutString(data, value);
    return Record(kTagVariableValue, data);
  }
  PackageBuilder& End() {
    PutU32(records, kTagEnd);
    return *this;
  }
  Bytes Build() const {
    Bytes out = image;
    PutU32(out, static_cast<uint32_t>(block.size()));
    out.insert(out.end(), block.begin(), block.end());
    PutString(out, header.DesignVersion);
    PutString(out, header.AboutText);
    PutString(out, header.Title);
    PutU32(out, static_cast<uint32_t>(header.HeaderFlags));
    if (recordList) out.insert(out.end(), records.begin(), records.end());
    PutU32(out, static_cast<uint32_t>(image.size()));
    PutU32(out, PackageTrailerMagic);
    return out;
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

  void LoadProject(std::span<const uint8_t> block) override {
    if (failLoad) throw std::runtime_error("data error");
    loads.emplace_back(block.begin(), block.end());
  }
  void SetHeader(const PackageHeader& header) override { headers.push_back(header); }
  void ApplyInitialValue(const VariableValueRecord& value) override {
    for (int32_t id : knownIds)
      if (id == value.VariableId) applied.push_back(value);
  }
  std::vector<VariableValueRecord> ChangedStoredValues() const override { return changed; }
};

// A fresh folder per test; TMPDIR and KPF_SETTINGS_DIR point into it while it lives.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kpf-test-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(Tmp());
    std::filesystem::create_directories(Settings());
    oldTmp_ = Env("TMPDIR");
    ::setenv("TMPDIR", Tmp().c_str(), 1);
    ::setenv("KPF_SETTINGS_DIR", Settings().c_str(), 1);
  }
  ~ScratchFolder() {
    ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    if (oldTmp_.empty()) ::unsetenv("TMPDIR");
    ::unsetenv("KPF_SETTINGS_DIR");
    std::error_code error;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, error);
    std::filesystem::remove_all(root_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Root() const { return root_; }
  std::string Tmp() const { return root_ + "/tmp"; }
  std::string Settings() const { return root_ + "/settings"; }
  std::string Path(const std::string& name) const { return root_ + "/" + name; }

  std::string Write(const std::string& name, const Bytes& content) const {
    std::string path = Path(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()),
                                                 static_cast<std::streamsize>(content.size()));
    return path;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  static std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
  }
  std::string root_;
  std::string oldTmp_;
};

}  // namespace kpf::package::testing
