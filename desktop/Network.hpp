#pragma once
// Network state and the user's web proxy, as scripts see them (the CONNECTED system variable and
// the proxy host and port). The player itself makes no network connections.
#include <string>
#include <string_view>

namespace kpf::desktop {

// True when a network interface other than loopback is up and running; false also when the
// interfaces cannot be listed.
bool IsConnected();

// The user's HTTP proxy as "host:port" (or just "host" when no port is given), or "" when none is
// configured. Read from the environment: http_proxy, then HTTP_PROXY.
std::string GetProxyServer();

// Reduces a proxy address such as "http://user:pw@host:8080/" to "host:8080": drops the scheme,
// the credentials and any path. A bare "host:port" comes back unchanged.
std::string ProxyHostPort(std::string_view url);

// The proxy-settings rule for a per-protocol list: empty unless enabled; the part after "http="
// (at most 255 characters) up to the first ";"; a text without "http=" (one proxy for every
// protocol) unchanged.
std::string ExtractHttpProxy(const std::string& proxyServer, bool proxyEnable);

}  // namespace kpf::desktop
