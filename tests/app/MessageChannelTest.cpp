// Messages between processes: the private socket folder, socket names from titles, the same-user
// check, stale and live sockets, and every message code delivered to player 0 of a main form on
// the headless platform through the real socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AppTestProjects.hpp"
#include "app/MessageChannel.hpp"
#include "app/TfmPlayer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

struct Received {
  int32_t code;
  int32_t param;
  bool operator==(const Received&) const = default;
};

// Runs the loop until `done` holds; the helper thread posts each message as it reads it.
template <typename Condition>
bool PumpUntil(platform::headless::HeadlessPlatform& platform, Condition done) {
  for (int round = 0; round < 200000 && !done(); ++round) {
    platform.VirtualLoop().RunPending();
    std::this_thread::yield();
  }
  return done();
}

// A socket file that nobody serves any more, as a crashed process leaves it.
void LeaveStaleSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  close(fd);
}

class MessageChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    if (previous != nullptr) previousRuntime_ = previous;
    setenv("XDG_RUNTIME_DIR", scratch_.Path().c_str(), 1);
    folder_ = MessageChannel::DefaultFolder();
  }
  void TearDown() override {
    if (previousRuntime_) {
      setenv("XDG_RUNTIME_DIR", previousRuntime_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

  std::unique_ptr<MessageChannel> Listen(const std::string& title) {
    return std::make_unique<MessageChannel>(platform_.Loop(), folder_, title, [this](int32_t code, int32_t param) {
      received_.push_back({code, param});
    });
  }

  ScratchFolder scratch_;
  std::optional<std::string> previousRuntime_;
  std::string folder_;
  platform::headless::HeadlessPlatform platform_;
  std::vector<Received> received_;
};

TEST_F(MessageChannelTest, FolderLiesInTheRuntimeFolderAndIsPrivate) {
  EXPECT_EQ(folder_, (scratch_.Path() / "kpfplayer").string());
  ASSERT_TRUE(MessageChannel::EnsurePrivateFolder(folder_));
  struct stat info {};
  ASSERT_EQ(stat(folder_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(MessageChannel::DefaultFolder(), "/tmp/kpfplayer-" + std::to_string(geteuid()));
}

TEST_F(MessageChannelTest, FolderOpenToOthersOrNotAFolderIsRefused) {
  for (const mode_t mode : {0755u, 0711u, 0770u, 0701u, 01700u}) {
    const fs::path folder = scratch_ / ("open" + std::to_string(mode));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(chmod(folder.c_str(), mode), 0);
    EXPECT_FALSE(MessageChannel::EnsurePrivateFolder(folder.string())) << std::oct << mode;
    // Nothing listens in a refused folder.
    MessageChannel channel(platform_.Loop(), folder.string(), "Title", nullptr);
    EXPECT_FALSE(channel.Listening());
  }
  testing::WriteBytes(scratch_ / "file", {1});
  EXPECT_FALSE(MessageChannel::EnsurePrivateFolder((scratch_ / "file").string()));
  fs::create_directory_symlink(folder_ + "-target", scratch_ / "link");
  ASSERT_EQ(mkdir((folder_ + "-target").c_str(), 0700), 0);
  EXPECT_FALSE(MessageChannel::EnsurePrivateFolder((scratch_ / "link").string()));
}

TEST_F(MessageChannelTest, TitlesBecomeOneSafeFileName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Tavimo Viewer", "Tavimo_Viewer"}, {"ZIMR_PADOK3", "ZIMR_PADOK3"}, {"../../etc/passwd", ".._.._etc_passwd"},
      {"", "Tavimo"}, {".", "Tavimo"}, {"..", "Tavimo"}, {"a/b\\c\n", "a_b_c_"}, {"\xc3\xa9t\xc3\xa9", "__t__"},
      {"v1.2-x_y", "v1.2-x_y"}, {std::string(300, 'x'), std::string(64, 'x')}};
  for (const auto& [title, name] : cases) EXPECT_EQ(MessageChannel::SocketName(title), name) << title;
}

TEST_F(MessageChannelTest, OnlyPeersOfTheSameUserAreAllowed) {
  const uid_t own = 1000;
  EXPECT_TRUE(MessageChannel::PeerAllowed(ucred{.pid = 42, .uid = own, .gid = 1000}, own));
  EXPECT_FALSE(MessageChannel::PeerAllowed(ucred{.pid = 42, .uid = 0, .gid = 1000}, own));
  EXPECT_FALSE(MessageChannel::PeerAllowed(ucred{.pid = 42, .uid = 1001, .gid = 1000}, own));
  // The group does not matter, only the user.
  EXPECT_FALSE(MessageChannel::PeerAllowed(ucred{.pid = 42, .uid = 1001, .gid = 1001}, 1000));
}

TEST_F(MessageChannelTest, MessagesArriveInOrderWithTheirSignedValues) {
  auto channel = Listen("Some Title");
  ASSERT_TRUE(channel->Listening());
  EXPECT_EQ(channel->SocketPath(), folder_ + "/Some_Title");
  EXPECT_TRUE(MessageChannel::PostToTitle(folder_, "Some Title", 128, 3));
  EXPECT_TRUE(MessageChannel::PostToTitle(folder_, "Some Title", -1, 0x7FFFFFFF));
  EXPECT_TRUE(MessageChannel::PostToTitle(folder_, "Some Title", 132, -2));
  ASSERT_TRUE(PumpUntil(platform_, [this] { return received_.size() == 3; }));
  EXPECT_EQ(received_, (std::vector<Received>{{128, 3}, {-1, 0x7FFFFFFF}, {132, -2}}));
  EXPECT_FALSE(MessageChannel::PostToTitle(folder_, "Nobody", 128, 0));
  channel.reset();
  EXPECT_FALSE(fs::exists(folder_ + "/Some_Title"));
  EXPECT_FALSE(MessageChannel::PostToTitle(folder_, "Some Title", 128, 0));
}

TEST_F(MessageChannelTest, StaleSocketIsReplacedLiveSocketIsNotStolen) {
  ASSERT_TRUE(MessageChannel::EnsurePrivateFolder(folder_));
  LeaveStaleSocket(folder_ + "/Viewer");
  auto first = Listen("Viewer");
  ASSERT_TRUE(first->Listening());

  auto second = Listen("Viewer");
  EXPECT_FALSE(second->Listening());
  second.reset();  // must not remove the first one's socket
  EXPECT_TRUE(MessageChannel::PostToTitle(folder_, "Viewer", 131, 0));
  ASSERT_TRUE(PumpUntil(platform_, [this] { return received_.size() == 1; }));
  EXPECT_EQ(received_[0], (Received{131, 0}));

  // A plain file under the socket's name is left alone: nothing listens.
  testing::WriteBytes(fs::path(folder_) / "Plain", {1});
  EXPECT_FALSE(Listen("Plain")->Listening());
  EXPECT_TRUE(fs::exists(fs::path(folder_) / "Plain"));
}

TEST_F(MessageChannelTest, MessagesOfTheWrongSizeAreDropped) {
  auto channel = Listen("Sized");
  ASSERT_TRUE(channel->Listening());
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, channel->SocketPath().c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  const uint8_t shortMessage[4] = {128, 0, 0, 0};
  ASSERT_EQ(send(fd, shortMessage, sizeof(shortMessage), MSG_NOSIGNAL), 4);
  close(fd);
  EXPECT_TRUE(MessageChannel::PostToTitle(folder_, "Sized", 129, 1));
  ASSERT_TRUE(PumpUntil(platform_, [this] { return !received_.empty(); }));
  EXPECT_EQ(received_, (std::vector<Received>{{129, 1}}));
}

}  // namespace
}  // namespace kpf::app
