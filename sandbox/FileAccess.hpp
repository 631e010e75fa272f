#pragma once
// The files a character's scripts may reach. A character is an untrusted file from the internet,
// so every name an action opens, tests, reads or writes is checked here first: it must lie inside
// one of the roots fixed when the player starts (the character folder, the player's private
// temporary folder, the documents folder; the executable's folder for reading only), and it must
// name a regular file. A refused name behaves exactly like a missing file.
//
// Names: "\" and "/" both separate components; drive letters, UNC names, NUL and control bytes
// are refused; "." and ".." are resolved lexically and the result must stay inside a root; no
// component may begin with "."; at most 4096 bytes in all and 255 per component. Relative names
// lie in the character folder.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::sandbox {

constexpr size_t kMaxPathBytes = 4096;
constexpr size_t kMaxComponentBytes = 255;
// Files read as text, array or property data, and streams or downloaded files.
constexpr size_t kMaxTextFileBytes = size_t{16} << 20;
constexpr size_t kMaxStreamFileBytes = size_t{64} << 20;

struct FileRoots {
  std::string characterFolder;
  std::string temporaryFolder;
  std::string documentsFolder;
  std::string executableFolder;  // read only
};

class FileAccess {
 public:
  FileAccess() = default;
  // The roots are resolved once here (symbolic links in them are followed now, never later).
  explicit FileAccess(const FileRoots& roots);

  // The absolute path of `name` when it may be read and is a regular file; nullopt otherwise.
  std::optional<std::string> Readable(std::string_view name) const;
  // The whole file, when readable and at most `cap` bytes; nullopt otherwise.
  std::optional<std::vector<uint8_t>> Read(std::string_view name, size_t cap) const;
  // Replaces (or creates) the file through a new file in the same folder renamed over it; false
  // when the name is refused or the write failed. The file gets mode 0644.
  bool Write(std::string_view name, std::span<const uint8_t> bytes) const;

  // The absolute, lexically normalised path `name` stands for inside a root that allows the
  // access; nullopt when the name is refused.
  std::optional<std::string> Locate(std::string_view name, bool forWriting) const;

 private:
  std::vector<std::string> readRoots_;
  std::vector<std::string> writeRoots_;
  std::string characterFolder_;
};

}  // namespace kpf::sandbox
