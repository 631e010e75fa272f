#pragma once
// The lexical side of the file-access rules: which names a script may give at all, and the
// absolute components a name stands for.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::sandbox {

constexpr size_t kMaxPathBytes = 4096;
constexpr size_t kMaxComponentBytes = 255;

// The components of an absolute folder path ("/a/b" gives a, b); "/" gives none.
std::vector<std::string> PathComponents(std::string_view path);
// "/" followed by the components joined with "/".
std::string JoinedPath(const std::vector<std::string>& components);

// The absolute components `name` stands for: "\" and "/" both separate; a relative name lies in
// `base` (absolute components); "." and ".." are resolved lexically. Nullopt for an empty or
// over-long name, NUL and control bytes, drive letters and UNC names, a component over 255 bytes,
// a ".." above the top, and a relative name without a base.
std::optional<std::vector<std::string>> AbsoluteComponents(std::string_view name,
                                                           const std::optional<std::vector<std::string>>& base);

// The part of `path` below `root` when `path` lies strictly inside it; none of those components
// may begin with "." (hidden files and folders stay out even when a root is a home folder).
std::optional<std::vector<std::string>> BelowRoot(const std::vector<std::string>& path,
                                                  const std::vector<std::string>& root);

// ASCII comparison without regard to case (names come from a case-insensitive file system).
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix);

}  // namespace kpf::sandbox
