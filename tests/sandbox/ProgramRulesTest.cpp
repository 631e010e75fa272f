// What a character may start and which hosts its transfers may reach.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sandbox/NetworkAddress.hpp"
#include "sandbox/ProgramRules.hpp"

namespace kpf::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

TEST(ProgramRules, ArgumentsSplitAsWindowsProgramsReadThem) {
  EXPECT_EQ(sandbox::SplitCommandLine(""), Args{});
  EXPECT_EQ(sandbox::SplitCommandLine("  a  b\tc "), (Args{"a", "b", "c"}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"("two words" x)"), (Args{"two words", "x"}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"(a"b c"d)"), (Args{"ab cd"}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"("")"), (Args{""}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"(C:\dir\file.txt)"), (Args{R"(C:\dir\file.txt)"}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"(a\\\"b)"), (Args{R"(a\"b)"}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"("a\\" b)"), (Args{R"(a\)", "b"}));
  EXPECT_EQ(sandbox::SplitCommandLine(R"("say ""hi""")"), (Args{R"(say "hi")"}));
  // Shell syntax means nothing: it stays in the arguments.
  EXPECT_EQ(sandbox::SplitCommandLine("; rm -rf ~ | $(x)"), (Args{";", "rm", "-rf", "~", "|", "$(x)"}));
}

TEST(ProgramRules, WindowsProgramsAreNeverStartedAndOnlyRealProgramsAre) {
  for (const char* name : {"setup.exe", "A.COM", "run.Bat", "x.cmd", "old.pif", "saver.scr", "link.lnk"}) {
    EXPECT_TRUE(sandbox::IsWindowsProgramName(name)) << name;
  }
  EXPECT_FALSE(sandbox::IsWindowsProgramName("notes.txt"));
  const fs::path folder = fs::temp_directory_path() / ("kpf-programs-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const auto put = [&](const char* name, const std::string& text, mode_t mode) {
    std::ofstream(folder / name) << text;
    ::chmod((folder / name).c_str(), mode);
    return (folder / name).string();
  };
  EXPECT_TRUE(sandbox::IsStartableProgram(put("script", "#!/bin/sh\n", 0755)));
  EXPECT_TRUE(sandbox::IsStartableProgram(put("binary", "\x7f" "ELF....", 0700)));
  EXPECT_FALSE(sandbox::IsStartableProgram(put("text.txt", "#!/bin/sh\n", 0644))) << "no execute bit";
  EXPECT_FALSE(sandbox::IsStartableProgram(put("data", "hello", 0755))) << "executable bit on a document";
  EXPECT_FALSE(sandbox::IsStartableProgram(folder.string()));
  fs::remove_all(folder);
}

sockaddr_storage V4(const char* text) {
  sockaddr_storage storage{};
  auto* address = reinterpret_cast<sockaddr_in*>(&storage);
  address->sin_family = AF_INET;
  ::inet_pton(AF_INET, text, &address->sin_addr);
  return storage;
}

sockaddr_storage V6(const char* text) {
  sockaddr_storage storage{};
  auto* address = reinterpret_cast<sockaddr_in6*>(&storage);
  address->sin6_family = AF_INET6;
  ::inet_pton(AF_INET6, text, &address->sin6_addr);
  return storage;
}

TEST(NetworkAddress, OnlyPublicHostsAndLoopbackOnlyWhenTestsAskForIt) {
  for (const char* text : {"93.184.216.34", "8.8.8.8", "100.63.255.255", "172.32.0.1"}) {
    const sockaddr_storage address = V4(text);
    EXPECT_TRUE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&address), false)) << text;
  }
  for (const char* text : {"10.1.2.3", "172.16.0.1", "192.168.1.1", "169.254.169.254", "0.0.0.0", "100.64.0.1",
                           "224.0.0.1", "255.255.255.255", "127.0.0.1"}) {
    const sockaddr_storage address = V4(text);
    EXPECT_FALSE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&address), false)) << text;
  }
  for (const char* text : {"::1", "::", "fe80::1", "fd00::1", "ff02::1", "::ffff:192.168.0.1", "::ffff:127.0.0.1",
                           "64:ff9b::a00:1"}) {
    const sockaddr_storage address = V6(text);
    EXPECT_FALSE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&address), false)) << text;
  }
  const sockaddr_storage publicV6 = V6("2606:4700::1111");
  EXPECT_TRUE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&publicV6), false));
  const sockaddr_storage loopback = V4("127.0.0.1"), loopbackV6 = V6("::1"), lan = V4("192.168.0.1");
  EXPECT_TRUE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&loopback), true));
  EXPECT_TRUE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&loopbackV6), true));
  EXPECT_FALSE(sandbox::MayConnectTo(reinterpret_cast<const sockaddr*>(&lan), true)) << "the switch opens loopback only";
}

}  // namespace
}  // namespace kpf::test
