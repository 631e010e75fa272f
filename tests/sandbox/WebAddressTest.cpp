// Which addresses a character may have the desktop open or fetch.
#include <gtest/gtest.h>

#include <string>

#include "sandbox/WebAddress.hpp"

namespace kpf::test {
namespace {

using sandbox::IsAllowedTransferAddress;
using sandbox::IsAllowedWebAddress;

TEST(WebAddressPolicy, OpensWebAndMailAddressesOnly) {
  for (const char* allowed : {"http://example.com", "HTTPS://example.com/a?b=c", "http://user@host:8080/x",
                              "mailto:someone@example.com?subject=hi", "http://[::1]:80/"}) {
    EXPECT_TRUE(IsAllowedWebAddress(allowed)) << allowed;
  }
  for (const char* refused : {"", "file:///etc/passwd", "smb://server/share", "javascript:alert(1)", "-help",
                              "http:", "http://", "https:///path", "http://:80/", "ftp://example.com",
                              "mailto:a@b?attach=/home/u/.ssh/id_rsa", "mailto:a@b?subject=x&ATTACHMENT=f",
                              "mailto:a@b?att%61ch=f", "http://example.com/\n", "http://exa\x7Fmple.com",
                              "/home/user/file.txt", "example.com"}) {
    EXPECT_FALSE(IsAllowedWebAddress(refused)) << refused;
  }
  EXPECT_TRUE(IsAllowedWebAddress("http://e.com/" + std::string(sandbox::kMaxWebAddressBytes - 13, 'a')));
  EXPECT_FALSE(IsAllowedWebAddress("http://e.com/" + std::string(sandbox::kMaxWebAddressBytes - 12, 'a')));
}

TEST(WebAddressPolicy, TransfersUseHttpOnly) {
  EXPECT_TRUE(IsAllowedTransferAddress("https://example.com/pic.jpg"));
  EXPECT_FALSE(IsAllowedTransferAddress("mailto:a@b"));
  EXPECT_FALSE(IsAllowedTransferAddress("data:text/plain,hi"));
  EXPECT_FALSE(IsAllowedTransferAddress("file:///etc/passwd"));
}

}  // namespace
}  // namespace kpf::test
