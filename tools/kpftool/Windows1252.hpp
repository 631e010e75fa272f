#pragma once
// Texts of stored data are 8-bit Windows-1252; kpftool converts them only for display. The
// conversions are iconv's "WINDOWS-1252", around the five bytes the code page leaves undefined.
#include <string>
#include <string_view>

namespace kpf::tools {

// Converts Windows-1252 bytes to UTF-8. The five unassigned bytes map to the C1 controls of
// the same value, so every byte has a result.
std::string Windows1252ToUtf8(std::string_view text);

// The reverse, for texts that go back into stored data. Throws std::runtime_error for invalid
// UTF-8 and for characters that have no Windows-1252 byte.
std::string Utf8ToWindows1252(std::string_view utf8);

}  // namespace kpf::tools
