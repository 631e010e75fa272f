#include "sandbox/WebAddress.hpp"

#include <algorithm>
#include <cctype>
#include <string>

namespace kpf::sandbox {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

bool HasControlBytes(std::string_view address) {
  return std::any_of(address.begin(), address.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// The scheme before ":" in lower case; empty when the text has none.
std::string SchemeOf(std::string_view address) {
  const size_t colon = address.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  const std::string_view scheme = address.substr(0, colon);
  const bool valid = std::isalpha(static_cast<unsigned char>(scheme[0])) &&
                     std::all_of(scheme.begin(), scheme.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
                     });
  return valid ? Lower(scheme) : std::string();
}

// "//host..." after the scheme, with a host that is not empty.
bool HasHost(std::string_view rest) {
  if (!rest.starts_with("//")) return false;
  rest.remove_prefix(2);
  const size_t end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, end);
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  const size_t port = authority.rfind(':');
  const std::string_view host = authority.starts_with("[") || port == std::string_view::npos
                                    ? authority
                                    : authority.substr(0, port);
  return !host.empty();
}

// Field names with %XX escapes decoded, as the mail program reads them.
std::string Decoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// A mailto field named "attach" or "attachment" (any case) makes common mail programs attach a
// local file, so such an address is refused.
bool AsksForAttachment(std::string_view rest) {
  const size_t query = rest.find('?');
  if (query == std::string_view::npos) return false;
  std::string_view fields = rest.substr(query + 1);
  while (!fields.empty()) {
    const size_t amp = fields.find('&');
    const std::string_view field = fields.substr(0, amp);
    const std::string name = Lower(Decoded(field.substr(0, field.find('='))));
    if (name == "attach" || name == "attachment") return true;
    if (amp == std::string_view::npos) break;
    fields.remove_prefix(amp + 1);
  }
  return false;
}

bool IsHttpWithHost(std::string_view address, const std::string& scheme) {
  return (scheme == "http" || scheme == "https") && HasHost(address.substr(scheme.size() + 1));
}

}  // namespace

bool IsAllowedWebAddress(std::string_view address) {
  if (address.empty() || address.size() > kMaxWebAddressBytes || HasControlBytes(address)) return false;
  const std::string scheme = SchemeOf(address);
  if (scheme == "mailto") return !AsksForAttachment(address.substr(scheme.size() + 1));
  return IsHttpWithHost(address, scheme);
}

bool IsAllowedTransferAddress(std::string_view address) {
  if (address.empty() || address.size() > kMaxWebAddressBytes || HasControlBytes(address)) return false;
  return IsHttpWithHost(address, SchemeOf(address));
}

}  // namespace kpf::sandbox
