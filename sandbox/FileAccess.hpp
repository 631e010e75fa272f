#pragma once
// The files a character's scripts may reach. A character is an untrusted file from the internet,
// so every name an action opens, tests, reads or writes is checked here first: it must lie inside
// one of the roots fixed when the player starts (the character folder, the player's private
// temporary folder, the documents folder; the executable's folder for reading only), and it must
// name a regular file. A refused name behaves exactly like a missing file.
//
// Names: "\" and "/" both separate components; drive letters, UNC names, NUL and control bytes
// are refused; "." and ".." are resolved lexically and the result must stay inside a root; no
// component below a root may begin with "."; at most 4096 bytes in all and 255 per component.
// Relative names lie in the character folder. A component that does not exist as written is
// matched without regard to case (characters were made on a case-insensitive file system).
//
// Opening walks from the root, opened once when the player starts, one component at a time
// without following symbolic links; only regular files are read or written.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sandbox/NameRules.hpp"

namespace kpf::sandbox {

// Files read as text, array or property data, and streams or downloaded files.
constexpr size_t kMaxTextFileBytes = size_t{16} << 20;
constexpr size_t kMaxStreamFileBytes = size_t{64} << 20;

struct FileRoots {
  std::string characterFolder;
  std::string temporaryFolder;
  std::string documentsFolder;
  std::string executableFolder;  // read only
  std::string executablePath;    // the running program: never replaced, except by a player copy
};

class FileAccess {
 public:
  FileAccess() = default;
  // The roots are resolved and opened once here (symbolic links in them are followed now, never
  // later). "/" is never a root, nor the home folder as the temporary or documents root.
  explicit FileAccess(const FileRoots& roots);

  // The absolute path of `name` when it may be read and is a regular file; nullopt otherwise.
  std::optional<std::string> Readable(std::string_view name) const;
  // The whole file, when readable and at most `cap` bytes; nullopt otherwise.
  std::optional<std::vector<uint8_t>> Read(std::string_view name, size_t cap) const;
  // Replaces (or creates) the file through a new file in the same folder renamed over it; false
  // when the name is refused or the write failed. The file gets mode 0644. Never a name ending in
  // ".desktop", the running executable, or a file in the temporary folder that these scripts did
  // not write themselves (the package's resources lie there).
  bool Write(std::string_view name, std::span<const uint8_t> bytes) const;
  // The same for a copy of the player: the file keeps `mode` (its execute bits), may replace the
  // running executable, and never goes into a folder listed in $PATH (a character must not plant
  // itself under a command name).
  bool WritePlayerCopy(std::string_view name, std::span<const uint8_t> bytes, unsigned mode) const;

  // The absolute path `name` stands for inside a root that allows the access, with its folders
  // and file matched on the disk as they are found; nullopt when the name is refused.
  std::optional<std::string> Locate(std::string_view name, bool forWriting) const;

  // The character folder (relative names lie there); "" when the player has none.
  const std::string& CharacterFolder() const { return characterFolder_; }

 private:
  struct Root;
  struct Target;
  std::optional<Target> Find(std::string_view name, bool forWriting) const;
  bool Replace(std::string_view name, std::span<const uint8_t> bytes, unsigned mode, bool playerCopy) const;

  std::vector<std::shared_ptr<const Root>> roots_;
  std::optional<std::vector<std::string>> base_;
  std::string characterFolder_;
  std::optional<std::pair<dev_t, ino_t>> executable_;
  // Files these scripts wrote into the temporary folder (they alone may be replaced there).
  std::shared_ptr<std::set<std::string>> written_ = std::make_shared<std::set<std::string>>();
};

}  // namespace kpf::sandbox
