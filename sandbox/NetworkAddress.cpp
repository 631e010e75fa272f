#include "sandbox/NetworkAddress.hpp"

#include <netinet/in.h>

#include <cstdint>
#include <cstring>

namespace kpf::sandbox {

namespace {

AddressUse ClassifyV4(uint32_t a) {
  const auto in = [a](uint32_t network, int bits) { return (a >> (32 - bits)) == (network >> (32 - bits)); };
  if (in(0x7F000000, 8)) return AddressUse::Loopback;
  const bool refused = in(0x00000000, 8) || in(0x0A000000, 8) || in(0x64400000, 10) || in(0xA9FE0000, 16) ||
                       in(0xAC100000, 12) || in(0xC0000000, 24) || in(0xC0000200, 24) || in(0xC0A80000, 16) ||
                       in(0xC6120000, 15) || in(0xC6336400, 24) || in(0xCB007100, 24) || in(0xE0000000, 4) ||
                       in(0xF0000000, 4);
  return refused ? AddressUse::Refused : AddressUse::Public;
}

AddressUse ClassifyV6(const uint8_t* b) {
  static const uint8_t kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  static const uint8_t kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  if (std::memcmp(b, kLoopback, 16) == 0) return AddressUse::Loopback;
  if (std::memcmp(b, kMappedPrefix, 12) == 0) {
    return ClassifyV4((uint32_t{b[12]} << 24) | (uint32_t{b[13]} << 16) | (uint32_t{b[14]} << 8) | b[15]);
  }
  const bool unspecifiedOrCompatible = std::memcmp(b, kLoopback, 12) == 0;  // ::/96
  const bool linkLocal = b[0] == 0xFE && (b[1] & 0xC0) == 0x80;
  const bool siteLocal = b[0] == 0xFE && (b[1] & 0xC0) == 0xC0;
  const bool uniqueLocal = (b[0] & 0xFE) == 0xFC;
  const bool multicast = b[0] == 0xFF;
  const bool documentation = b[0] == 0x20 && b[1] == 0x01 && b[2] == 0x0D && b[3] == 0xB8;
  const bool translated = b[0] == 0x00 && b[1] == 0x64 && b[2] == 0xFF && b[3] == 0x9B;  // NAT64 reaches v4 hosts
  if (unspecifiedOrCompatible || linkLocal || siteLocal || uniqueLocal || multicast || documentation || translated) {
    return AddressUse::Refused;
  }
  return AddressUse::Public;
}

}  // namespace

AddressUse ClassifyAddress(const sockaddr* address) {
  if (address == nullptr) return AddressUse::Refused;
  if (address->sa_family == AF_INET) {
    sockaddr_in v4{};
    std::memcpy(&v4, address, sizeof(v4));
    return ClassifyV4(ntohl(v4.sin_addr.s_addr));
  }
  if (address->sa_family == AF_INET6) {
    sockaddr_in6 v6{};
    std::memcpy(&v6, address, sizeof(v6));
    return ClassifyV6(v6.sin6_addr.s6_addr);
  }
  return AddressUse::Refused;
}

bool MayConnectTo(const sockaddr* address, bool allowLoopback) {
  const AddressUse use = ClassifyAddress(address);
  return use == AddressUse::Public || (use == AddressUse::Loopback && allowLoopback);
}

}  // namespace kpf::sandbox
