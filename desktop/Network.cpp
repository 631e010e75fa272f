#include "desktop/Network.hpp"

#include <ifaddrs.h>
#include <net/if.h>

#include <cstdlib>
#include <memory>

namespace kpf::desktop {

bool IsConnected() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return false;
  const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
  constexpr unsigned kUpAndRunning = IFF_UP | IFF_RUNNING;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    const unsigned flags = entry->ifa_flags;
    if ((flags & kUpAndRunning) == kUpAndRunning && (flags & IFF_LOOPBACK) == 0) return true;
  }
  return false;
}

std::string GetProxyServer() {
  for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return ProxyHostPort(value);
  }
  return "";
}

std::string ProxyHostPort(std::string_view url) {
  if (const size_t scheme = url.find("://"); scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
  if (const size_t end = url.find_first_of("/?#"); end != std::string_view::npos) url = url.substr(0, end);
  // Credentials may themselves contain '@' only escaped, but the last '@' is the safe split.
  if (const size_t at = url.rfind('@'); at != std::string_view::npos) url.remove_prefix(at + 1);
  return std::string(url);
}

std::string ExtractHttpProxy(const std::string& proxyServer, bool proxyEnable) {
  if (!proxyEnable) return "";
  constexpr std::string_view kHttpKey = "http=";
  constexpr size_t kMaxLength = 255;
  const size_t key = proxyServer.find(kHttpKey);
  if (key == std::string::npos) return proxyServer;
  std::string result = proxyServer.substr(key + kHttpKey.size(), kMaxLength);
  if (const size_t separator = result.find(';'); separator != std::string::npos) result.resize(separator);
  return result;
}

}  // namespace kpf::desktop
