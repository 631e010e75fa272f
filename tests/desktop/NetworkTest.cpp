#include "desktop/Network.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace kpf::desktop {
namespace {

struct ExtractCase {
  std::string proxyServer;
  bool enabled;
  std::string expected;
};

TEST(Network, ExtractHttpProxy) {
  const std::vector<ExtractCase> cases{
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
  for (const ExtractCase& test : cases) {
    EXPECT_EQ(ExtractHttpProxy(test.proxyServer, test.enabled), test.expected) << test.proxyServer;
  }
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

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The proxy found with the two variables set (null: unset), restoring them afterwards.
std::string ProxyWith(const char* lower, const char* upper) {
  ScopedEnv lowerEnv("http_proxy", lower);
  ScopedEnv upperEnv("HTTP_PROXY", upper);
  return GetProxyServer();
}

TEST(Network, GetProxyServerReadsTheEnvironment) {
  EXPECT_EQ(ProxyWith(nullptr, nullptr), "");
  EXPECT_EQ(ProxyWith("", "http://upper:81/"), "upper:81");
  EXPECT_EQ(ProxyWith("http://user:pw@lower:8080/", "http://upper:81/"), "lower:8080");
}

}  // namespace
}  // namespace kpf::desktop
