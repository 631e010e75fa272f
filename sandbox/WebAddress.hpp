#pragma once
// Which addresses a character may have the desktop open: http and https addresses with a host,
// and mailto addresses that do not ask the mail program to attach a file. Characters are
// untrusted files from the internet, so every other scheme (file:, smb:, custom handlers), an
// address with control bytes, and an over-long address are refused.
#include <cstddef>
#include <string_view>

namespace kpf::sandbox {

// Longest address handed to the desktop.
constexpr size_t kMaxWebAddressBytes = 8 * 1024;

bool IsAllowedWebAddress(std::string_view address);

// Only http and https (the schemes internet transfers may use), with a host.
bool IsAllowedTransferAddress(std::string_view address);

}  // namespace kpf::sandbox
