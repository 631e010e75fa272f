#pragma once
// Careful file access for sounds named by a project: only regular files of bounded size are
// read, and a name looked up inside a folder never leaves that folder.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kpf::media {

// Sound files above this size are refused before reading (a project sound is a few MB at most).
constexpr uint64_t kMaxSoundFileSize = uint64_t{256} << 20;

// True when `path` names a regular file (links followed) of at most kMaxSoundFileSize bytes.
bool IsSoundFile(const std::string& path);
// The first `count` bytes (fewer when the file is shorter); empty when it cannot be read.
std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t count);
// The whole file when IsSoundFile holds and it can be read.
std::optional<std::vector<uint8_t>> ReadSoundFile(const std::string& path);

// The path of `name` inside `folder` ("\" and "/" both separate folders, as project names come
// from Windows), or "" when the name is empty or absolute, has a ".." part, or (after links are
// resolved) leads outside the folder, or is not a sound file.
std::string SoundFileInsideFolder(const std::string& folder, const std::string& name);

// Upper-case extension with its dot (".MID"); "" when the last path part has none.
std::string UpperExtension(const std::string& path);

// The system temporary folder ($TMPDIR or /tmp) with a trailing "/".
std::string SystemTempFolder();

}  // namespace kpf::media
