#include "desktop/Network.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace kpf::desktop {
namespace {

TEST(Network, ExtractHttpProxy) {
  const std::vector<std::tuple<std::string, bool, std::string>> cases{
      {"ftp=a:21;http=proxy:8080;https=b:443", true, "proxy:8080"},
      {"proxy:3128", true, "proxy:3128"},
      {"http=proxy:8080", true, "proxy:8080"},
      {"https=b:443;http=proxy:8080", true, "proxy:8080"},  // "https=" is not "http="
      {"ftp=a:21;http=proxy:8080;https=b:443", false, ""},
      {"proxy:3128", false, ""},
      {"http=", true, ""},
      {"http=;ftp=a:21", true, ""},
      {"", true, ""},
      {"http=" + std::string(300, 'x'), true, std::string(255, 'x')},
  };
  for (const auto& [server, on, expected] : cases) EXPECT_EQ(ExtractHttpProxy(server, on), expected) << server;
}

TEST(Network, ProxyHostPort) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"http://user:pw@host:8080/", "host:8080"},
      {"http://host:8080", "host:8080"},
      {"host:3128", "host:3128"},
      {"https://proxy.example:443/path?q=1", "proxy.example:443"},
      {"http://a@b@host:1", "host:1"},
      {"http://[::1]:3128/", "[::1]:3128"},
      {"http://host/", "host"},
      {"", ""},
  };
  for (const auto& [url, expected] : cases) EXPECT_EQ(ProxyHostPort(url), expected) << url;
}

// Sets (null: clears) an environment variable; returns the value it had.
std::optional<std::string> SetEnv(const char* name, const char* value) {
  const char* old = std::getenv(name);
  std::optional<std::string> previous = old ? std::optional<std::string>(old) : std::nullopt;
  value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
  return previous;
}

// The proxy found with the two variables set (null: unset), restoring them afterwards.
std::string ProxyWith(const char* lower, const char* upper) {
  const auto oldLower = SetEnv("http_proxy", lower);
  const auto oldUpper = SetEnv("HTTP_PROXY", upper);
  std::string proxy = GetProxyServer();
  SetEnv("http_proxy", oldLower ? oldLower->c_str() : nullptr);
  SetEnv("HTTP_PROXY", oldUpper ? oldUpper->c_str() : nullptr);
  return proxy;
}

TEST(Network, GetProxyServerReadsTheEnvironment) {
  EXPECT_EQ(ProxyWith(nullptr, nullptr), "");
  EXPECT_EQ(ProxyWith("", "http://upper:81/"), "upper:81");
  EXPECT_EQ(ProxyWith("http://user:pw@lower:8080/", "http://upper:81/"), "lower:8080");
}

}  // namespace
}  // namespace kpf::desktop
