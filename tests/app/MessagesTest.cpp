// Messages between processes: the private socket folder, socket names from titles, the same-user
// check, stale and live sockets; the main form handing each code to player 0 (positions outside
// the lists ignored), and a main viewer that closes telling the secondary viewers (every title
// beginning "ZIMR_PADOK") to close too.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "FormTest.hpp"
#include "app/MessageChannel.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::PumpUntil;
using Messages = std::vector<std::pair<int32_t, int32_t>>;

// Sockets in a message folder inside the scratch folder, and listeners that record what they get.
class MessagesTest : public testing::FormTest {
 protected:
  MessagesTest() { messageFolder_ = (scratch_ / "kpfplayer").string(); }

  std::unique_ptr<MessageChannel> Listen(const std::string& title, Messages& into) {
    return std::make_unique<MessageChannel>(platform_.Loop(), messageFolder_, title,
                                            [&into](int32_t code, int32_t param) { into.emplace_back(code, param); });
  }
  bool Post(const std::string& title, int32_t code, int32_t param) {
    return MessageChannel::PostToTitle(messageFolder_, title, code, param);
  }

  Messages received_;
};

// The channel on its own, with the runtime folder pointing into the scratch folder.
class MessageChannelTest : public MessagesTest {
 protected:
  void SetUp() override {
    if (const char* previous = std::getenv("XDG_RUNTIME_DIR")) previousRuntime_ = previous;
    setenv("XDG_RUNTIME_DIR", scratch_.Path().c_str(), 1);
  }
  void TearDown() override {
    if (previousRuntime_) {
      setenv("XDG_RUNTIME_DIR", previousRuntime_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

  std::optional<std::string> previousRuntime_;
};

TEST_F(MessageChannelTest, FolderLiesInTheRuntimeFolderAndOnlyAPrivateFolderIsUsed) {
  EXPECT_EQ(MessageChannel::DefaultFolder(), messageFolder_);
  ASSERT_TRUE(MessageChannel::EnsurePrivateFolder(messageFolder_));
  struct stat info {};
  ASSERT_EQ(stat(messageFolder_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  for (const mode_t mode : {0755u, 0711u, 0770u, 0701u, 01700u}) {
    const fs::path folder = scratch_ / ("open" + std::to_string(mode));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(chmod(folder.c_str(), mode), 0);
    EXPECT_FALSE(MessageChannel::EnsurePrivateFolder(folder.string())) << std::oct << mode;
    // Nothing listens in a refused folder.
    EXPECT_FALSE(MessageChannel(platform_.Loop(), folder.string(), "Title", nullptr).Listening());
  }
  testing::WriteBytes(scratch_ / "file", {1});
  EXPECT_FALSE(MessageChannel::EnsurePrivateFolder((scratch_ / "file").string()));
  ASSERT_EQ(mkdir((messageFolder_ + "-target").c_str(), 0700), 0);
  fs::create_directory_symlink(messageFolder_ + "-target", scratch_ / "link");
  EXPECT_FALSE(MessageChannel::EnsurePrivateFolder((scratch_ / "link").string()));
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(MessageChannel::DefaultFolder(), "/tmp/kpfplayer-" + std::to_string(geteuid()));
}

TEST_F(MessageChannelTest, TitlesBecomeOneSafeFileName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Tavimo Viewer", "Tavimo_Viewer"}, {"ZIMR_PADOK3", "ZIMR_PADOK3"}, {"../../etc/passwd", ".._.._etc_passwd"},
      {"", "Tavimo"}, {".", "Tavimo"}, {"..", "Tavimo"}, {"a/b\\c\n", "a_b_c_"}, {"\xc3\xa9t\xc3\xa9", "__t__"},
      {"v1.2-x_y", "v1.2-x_y"}, {std::string(300, 'x'), std::string(64, 'x')}};
  for (const auto& [title, name] : cases) EXPECT_EQ(MessageChannel::SocketName(title), name) << title;
}

TEST_F(MessageChannelTest, OnlyPeersOfTheSameUserAreAllowed) {
  EXPECT_TRUE(MessageChannel::PeerAllowed(ucred{.pid = 42, .uid = 1000, .gid = 1000}, 1000));
  // Only the user counts, not the group.
  for (const auto& [uid, gid] : std::vector<std::pair<uid_t, gid_t>>{{0, 1000}, {1001, 1000}, {1001, 1001}})
    EXPECT_FALSE(MessageChannel::PeerAllowed(ucred{.pid = 42, .uid = uid, .gid = gid}, 1000)) << uid << "/" << gid;
}

TEST_F(MessageChannelTest, MessagesArriveInOrderWithTheirSignedValues) {
  auto channel = Listen("Some Title", received_);
  ASSERT_TRUE(channel->Listening());
  EXPECT_EQ(channel->SocketPath(), messageFolder_ + "/Some_Title");
  EXPECT_TRUE(Post("Some Title", 128, 3));
  EXPECT_TRUE(Post("Some Title", -1, 0x7FFFFFFF));
  EXPECT_TRUE(Post("Some Title", 132, -2));
  ASSERT_TRUE(PumpUntil(platform_, [this] { return received_.size() == 3; }));
  EXPECT_EQ(received_, (Messages{{128, 3}, {-1, 0x7FFFFFFF}, {132, -2}}));
  EXPECT_FALSE(Post("Nobody", 128, 0));
  channel.reset();
  EXPECT_FALSE(fs::exists(messageFolder_ + "/Some_Title"));
  EXPECT_FALSE(Post("Some Title", 128, 0));
}

TEST_F(MessageChannelTest, StaleSocketIsReplacedLiveSocketIsNotStolen) {
  ASSERT_TRUE(MessageChannel::EnsurePrivateFolder(messageFolder_));
  {  // a socket file that nobody serves any more, as a crashed process leaves it
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    std::strncpy(address.sun_path, (messageFolder_ + "/Viewer").c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
  }
  auto first = Listen("Viewer", received_);
  ASSERT_TRUE(first->Listening());
  auto second = Listen("Viewer", received_);
  EXPECT_FALSE(second->Listening());
  second.reset();  // must not remove the first one's socket
  EXPECT_TRUE(Post("Viewer", 131, 0));
  ASSERT_TRUE(PumpUntil(platform_, [this] { return received_.size() == 1; }));
  EXPECT_EQ(received_, (Messages{{131, 0}}));
  // A plain file under the socket's name is left alone: nothing listens.
  testing::WriteBytes(fs::path(messageFolder_) / "Plain", {1});
  EXPECT_FALSE(Listen("Plain", received_)->Listening());
  EXPECT_TRUE(fs::exists(fs::path(messageFolder_) / "Plain"));
}

TEST_F(MessageChannelTest, MessagesOfTheWrongSizeAreDropped) {
  auto channel = Listen("Sized", received_);
  ASSERT_TRUE(testing::SendPacket(channel->SocketPath(), {128, 0, 0, 0}));
  EXPECT_TRUE(Post("Sized", 129, 1));
  ASSERT_TRUE(PumpUntil(platform_, [this] { return !received_.empty(); }));
  EXPECT_EQ(received_, (Messages{{129, 1}}));
}

// Main forms of a project whose scripts at positions 0 and 1 add 1 and 100 to RECEIVED.
class PlayerMessagesTest : public MessagesTest {
 protected:
  PlayerMessagesTest() {
    project::ProjectSource source = testing::SimpleProject();
    source.Animations.push_back(testing::Showing(2, "second", 0, 0, 8));
    source.Variables = {testing::Variable(1, "RECEIVED", false)};
    source.Scripts.push_back(testing::ScriptOf(10, 0, {testing::Action(22, {{13, "1"}, {1, "<%RECEIVED%>+1"}})}));
    source.Scripts.push_back(testing::ScriptOf(11, 0, {testing::Action(22, {{13, "1"}, {1, "<%RECEIVED%>+100"}})}));
    source.NextScriptId = 12;
    project_ = WriteProject(source, "pip.kpf").string();
  }

  std::unique_ptr<TfmPlayer> Form(std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), project_);
    return MakeForm(std::move(extra));
  }
  void Send(TfmPlayer& form, const Messages& messages) {
    for (const auto& [code, param] : messages) ASSERT_TRUE(Post(form.ApplicationTitle(), code, param));
  }
  static int32_t Received(engine::TFormKPFPlayer& player) { return testing::IntValue(player, "RECEIVED"); }

  std::string project_;
};

// Messages from one sender arrive in order: once the last one's effect shows, the earlier ones
// have been handled too.
TEST_F(PlayerMessagesTest, RunScriptAtPositionAndIgnoreOutOfRange) {
  auto form = Form();
  ASSERT_TRUE(form->ListeningForMessages());
  engine::TFormKPFPlayer& player = form->Player(0);
  Send(*form, {{kMessageRunScript, 1}});
  ASSERT_TRUE(PumpUntil(platform_, [&] { return Received(player) == 100; }));
  Send(*form, {{kMessageRunScript, 2}, {kMessageRunScript, -1}, {kMessageRunScript, 1 << 30}, {kMessageRunScript, 0}});
  ASSERT_TRUE(PumpUntil(platform_, [&] { return Received(player) >= 101; }));
  EXPECT_EQ(Received(player), 101);
  EXPECT_FALSE(player.Closed());
  EXPECT_EQ(terminations_, 0);
}

TEST_F(PlayerMessagesTest, PlayAnimationAtPositionAndIgnoreOutOfRange) {
  auto form = Form();
  std::vector<std::string> starts;
  form->Player(0).SetTraceSink([&starts](const std::string& line) {
    if (line.find("anim-start") != std::string::npos) starts.push_back(line);
  });
  Send(*form, {{kMessagePlayAnimation, 2}, {kMessagePlayAnimation, -1}, {kMessagePlayAnimation, 1}});
  ASSERT_TRUE(PumpUntil(platform_, [&] { return !starts.empty(); }));
  platform_.VirtualLoop().RunPending();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].find("second"), std::string::npos) << starts[0];
}

TEST_F(PlayerMessagesTest, CloseCodesForgetTheParentTitleAndEndProgramRunsTheNormalExit) {
  for (const int32_t code : {kMessageCloseNow, kMessageCloseRequest, kMessageEndProgram}) {
    SCOPED_TRACE(code);
    terminations_ = 0;
    auto form = Form({"-VHParentWindow"});
    EXPECT_EQ(form->ParentTitle(), "ParentWindow");
    Send(*form, {{code, 0}});
    ASSERT_TRUE(PumpUntil(platform_, [&] { return terminations_ > 0; }));
    EXPECT_EQ(terminations_, 1);  // player 0 has no parent handle: its close ends the program
    if (code == kMessageEndProgram) {
      EXPECT_TRUE(form->Terminated());
    } else {
      EXPECT_TRUE(form->Player(0).Closed());
      EXPECT_EQ(form->ParentTitle(), "");
    }
  }
}

// Two parents each number their child viewers from 0: the later child takes a free title, so the
// main viewer's close still reaches both; other titles hear nothing of it.
TEST_F(PlayerMessagesTest, SecondaryViewerWhoseTitleIsTakenListensUnderAFreeOne) {
  Messages twelfth, unrelated;
  auto twelfthViewer = Listen("ZIMR_PADOK12", twelfth);
  auto otherProgram = Listen("Other", unrelated);
  auto firstChild = Form({"-ve0"});
  auto secondChild = Form({"-ve0"});
  EXPECT_EQ(firstChild->ApplicationTitle(), "ZIMR_PADOK0");
  EXPECT_EQ(secondChild->ApplicationTitle(), "ZIMR_PADOK0_2");
  EXPECT_EQ(secondChild->Player(0).Title, "ZIMR_PADOK0_2");
  EXPECT_EQ(secondChild->Tray().hint, "ZIMR_PADOK0_2");
  ASSERT_TRUE(secondChild->ListeningForMessages());
  auto mainViewer = Form();
  ASSERT_FALSE(mainViewer->ApplicationTitle().starts_with("ZIMR_PADOK"));
  mainViewer->Player(0).Close();
  ASSERT_TRUE(PumpUntil(platform_, [&] {
    return firstChild->Player(0).Closed() && secondChild->Player(0).Closed() && !twelfth.empty();
  }));
  EXPECT_EQ(twelfth, (Messages{{kMessageCloseNow, kMessageCloseNow}}));
  EXPECT_EQ(terminations_, 3);
  // A marker sent afterwards is the first thing the unrelated title sees.
  ASSERT_TRUE(Post("Other", 1, 2));
  ASSERT_TRUE(PumpUntil(platform_, [&] { return !unrelated.empty(); }));
  EXPECT_EQ(unrelated, (Messages{{1, 2}}));
}

TEST_F(PlayerMessagesTest, SecondaryViewerDoesNotTellTheOthers) {
  auto listener = Listen("ZIMR_PADOK3", received_);
  auto form = Form({"-VE5"});
  ASSERT_EQ(form->ApplicationTitle(), "ZIMR_PADOK5");
  form->Player(0).Close();
  EXPECT_EQ(terminations_, 1);
  ASSERT_TRUE(Post("ZIMR_PADOK3", 1, 2));
  ASSERT_TRUE(PumpUntil(platform_, [&] { return !received_.empty(); }));
  EXPECT_EQ(received_, (Messages{{1, 2}}));
}

}  // namespace
}  // namespace kpf::app
