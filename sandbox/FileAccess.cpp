#include "sandbox/FileAccess.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace kpf::sandbox {

namespace fs = std::filesystem;

namespace {

// Closes the descriptor when the scope ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string ResolvedRoot(const std::string& folder) {
  if (folder.empty()) return {};
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(folder, error), error);
  return error ? std::string() : resolved.lexically_normal().string();
}

bool HasForbiddenBytes(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// Drive letters ("C:"), UNC names ("\\server") and other names from another system.
bool IsForeignName(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') return true;
  return name.starts_with("\\\\") || name.starts_with("//");
}

// The components of `name` ("\" and "/" both separate); nullopt when one is refused.
std::optional<std::vector<std::string>> Components(std::string_view name) {
  std::vector<std::string> parts;
  std::string current;
  auto flush = [&]() -> bool {
    if (current.empty() || current == ".") return current.clear(), true;
    if (current == "..") {
      parts.push_back(current);
      return current.clear(), true;
    }
    if (current[0] == '.' || current.size() > kMaxComponentBytes) return false;
    parts.push_back(current);
    current.clear();
    return true;
  };
  for (const char c : name) {
    if (c == '/' || c == '\\') {
      if (!flush()) return std::nullopt;
    } else {
      current.push_back(c);
    }
  }
  if (!flush()) return std::nullopt;
  return parts;
}

bool Inside(const std::string& path, const std::string& root) {
  if (root.empty()) return false;
  if (path == root) return true;
  const std::string prefix = root.ends_with('/') ? root : root + "/";
  return path.starts_with(prefix);
}

}  // namespace

FileAccess::FileAccess(const FileRoots& roots) {
  characterFolder_ = ResolvedRoot(roots.characterFolder);
  for (const std::string* folder : {&roots.characterFolder, &roots.temporaryFolder, &roots.documentsFolder}) {
    if (std::string root = ResolvedRoot(*folder); !root.empty()) {
      readRoots_.push_back(root);
      writeRoots_.push_back(root);
    }
  }
  if (std::string root = ResolvedRoot(roots.executableFolder); !root.empty()) readRoots_.push_back(root);
}

std::optional<std::string> FileAccess::Locate(std::string_view name, bool forWriting) const {
  if (name.empty() || name.size() > kMaxPathBytes || HasForbiddenBytes(name) || IsForeignName(name)) {
    return std::nullopt;
  }
  const bool absolute = name[0] == '/' || name[0] == '\\';
  if (!absolute && characterFolder_.empty()) return std::nullopt;
  const std::optional<std::vector<std::string>> parts = Components(name);
  if (!parts) return std::nullopt;
  fs::path path = absolute ? fs::path("/") : fs::path(characterFolder_);
  for (const std::string& part : *parts) path /= part;
  const std::string normal = path.lexically_normal().string();
  const auto& roots = forWriting ? writeRoots_ : readRoots_;
  const bool inside = std::any_of(roots.begin(), roots.end(), [&](const std::string& root) {
    return Inside(normal, root) && normal != root;
  });
  if (!inside) return std::nullopt;
  return normal;
}

std::optional<std::string> FileAccess::Readable(std::string_view name) const {
  std::optional<std::string> path = Locate(name, false);
  if (!path) return std::nullopt;
  const Descriptor fd(::open(path->c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return path;
}

std::optional<std::vector<uint8_t>> FileAccess::Read(std::string_view name, size_t cap) const {
  std::optional<std::string> path = Locate(name, false);
  if (!path) return std::nullopt;
  const Descriptor fd(::open(path->c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > cap) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

bool FileAccess::Write(std::string_view name, std::span<const uint8_t> bytes) const {
  std::optional<std::string> path = Locate(name, true);
  if (!path || path->ends_with(".desktop")) return false;
  struct stat existing {};
  if (::lstat(path->c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) return false;
  const std::string temporary = *path + ".kpf-new";
  {
    const Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
      if (put <= 0) {
        ::unlink(temporary.c_str());
        return false;
      }
      done += static_cast<size_t>(put);
    }
  }
  if (::rename(temporary.c_str(), path->c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kpf::sandbox
