// Internet transfers against a loopback server of the test's own: the success and failure
// branches of every transfer action, redirects, the body cap, refused addresses, --offline, and
// a close request ending the wait.
#include "FileFixture.hpp"
#include "LoopbackServer.hpp"
#include "desktop/HttpTransfer.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

constexpr int32_t H = 1, OK = 2, FAILED = 3, N = 4;

// Records the pictures the dialogs would receive.
class PicturePlayer : public engine::TFormKPFPlayer {
 public:
  using TFormKPFPlayer::TFormKPFPlayer;
  void SetObjectPictureFromStream(std::string_view objectName, int code, const engine::MemoryStream& stream) override {
    pictures.push_back({std::string(objectName), code, stream.bytes.size()});
  }
  struct Picture {
    std::string name;
    int code;
    size_t bytes;
    bool operator==(const Picture&) const = default;
  };
  std::vector<Picture> pictures;
};

class NetActionsTest : public FileFixture {
 protected:
  NetActionsTest()
      : server_({{"/data", {200, "payload"}},
                 {"/pic.gif", {200, "GIF89a"}},
                 {"/pic.jpg", {200, "JFIF"}},
                 {"/hop", {302, "", "/data"}},
                 {"/far", {302, "", "/far"}},
                 {"/file", {302, "", "file:///etc/passwd"}},
                 {"/big", {200, std::string(engine::kMaxTransferBytes + 1, 'b')}},
                 {"/slow", {200, "part", {}, true}}}) {}

  // Script 1 runs the action; scripts 2 and 3 count successes and failures.
  std::unique_ptr<Harness<PicturePlayer>> Net(std::vector<TKPFExeAction> actions, bool loopback = true,
                                              bool offline = false) {
    project::ProjectSource source = WithVariables({"H", "OK", "FAILED", "N"});
    source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
    actions.insert(actions.begin(), Act(201, {P::Var(H)}));
    source.Scripts = {Script(1, "act", std::move(actions)),
                      Script(2, "ok", {Act(22, {P::Var(OK), P::Text("<%OK%>+1")})}),
                      Script(3, "failed", {Act(22, {P::Var(FAILED), P::Text("<%FAILED%>+1")})})};
    source.NextScriptId = 4;
    engine::PlayerOptions options = Options();
    options.allowLoopbackTransfers = loopback;
    options.offline = offline;
    auto h = std::make_unique<Harness<PicturePlayer>>(source, options);
    EXPECT_TRUE(h->player->Start());
    return h;
  }
  static TKPFExeAction ToStream(const std::string& url) {
    return Act(218, {P::Text(url), P::Int(2), P::Int(3), P::Var(H)});
  }
  std::string StreamText(Harness<PicturePlayer>& h) {
    const engine::MemoryStream* stream = h.player->Streams().Find(h.Int("H"));
    return stream != nullptr ? std::string(stream->bytes.begin(), stream->bytes.end()) : "<none>";
  }

  LoopbackServer server_;
};

TEST_F(NetActionsTest, DownloadToStreamFillsTheStreamFromItsStartAndRunsTheSuccessScript) {
  auto h = Net({Act(199, {P::Var(H), P::Text("old")}), ToStream(server_.Url("/hop")), Act(165, {P::Var(N), P::Var(H)})});
  h->Fire(1);
  EXPECT_EQ(StreamText(*h), "payload");
  EXPECT_EQ(h->Int("N"), 0);
  EXPECT_EQ(h->Int("OK"), 1);
  EXPECT_EQ(h->Int("FAILED"), 0);
  EXPECT_TRUE(h->Traced("net address=\"" + server_.Url("/hop") + "\" bytes=7"));
}

TEST_F(NetActionsTest, FailuresEmptyTheStreamAndRunTheFailureScript) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort()) + "/x";
  for (const std::string& url : {server_.Url("/missing"), refused, server_.Url("/big"), server_.Url("/far"),
                                 server_.Url("/file"), std::string("ftp://127.0.0.1/x"), std::string("file:///etc/hosts")}) {
    auto h = Net({Act(199, {P::Var(H), P::Text("old")}), ToStream(url)});
    h->Fire(1);
    EXPECT_EQ(StreamText(*h), "") << url;
    EXPECT_EQ(h->Int("FAILED"), 1) << url;
    EXPECT_EQ(h->Int("OK"), 0) << url;
  }
}

TEST_F(NetActionsTest, LoopbackIsRefusedByDefaultAndOfflineFailsWithoutConnecting) {
  auto plain = Net({ToStream(server_.Url("/data"))}, false);
  plain->Fire(1);
  EXPECT_EQ(plain->Int("FAILED"), 1);
  EXPECT_TRUE(plain->Traced("failure=\"refused address\""));
  const int requests = server_.Requests();
  auto offline = Net({ToStream(server_.Url("/data"))}, true, true);
  offline->Fire(1);
  EXPECT_EQ(offline->Int("FAILED"), 1);
  EXPECT_TRUE(offline->Traced("failure=\"offline\""));
  EXPECT_EQ(server_.Requests(), requests);
}

TEST_F(NetActionsTest, DownloadToFileNamesTheDocumentsFolderUnlessTheTargetSaysWhere) {
  auto h = Net({Act(103, {P::Text(server_.Url("/data")), P::Int(2), P::Int(3), P::Text("plain.bin")}),
                Act(103, {P::Text(server_.Url("/data")), P::Int(2), P::Int(3), P::Text("{temp}\\got.bin")}),
                Act(103, {P::Text(server_.Url("/data")), P::Int(2), P::Int(3), P::Text(Path("outside/x.bin"))}),
                Act(103, {P::Text(server_.Url("/missing")), P::Int(2), P::Int(3), P::Text("never.bin")})});
  h->Fire(1);
  EXPECT_EQ(Content("docs/plain.bin"), "payload");
  EXPECT_EQ(Content("temp/got.bin"), "payload");
  EXPECT_FALSE(Exists("outside/x.bin")) << "a refused target abandons the action before its success script";
  EXPECT_FALSE(Exists("docs/never.bin"));
  EXPECT_EQ(h->Int("OK"), 2);
  EXPECT_EQ(h->Int("FAILED"), 1);
}

TEST_F(NetActionsTest, PicturesGoToTheNamedObjectByTheAddressExtension) {
  auto h = Net({Act(221, {P::Text(server_.Url("/pic.gif")), P::Int(2), P::Int(3), P::Text("D.IMG")}),
                Act(221, {P::Text(server_.Url("/pic.jpg")), P::Int(2), P::Int(3), P::Text("D.IMG")}),
                Act(221, {P::Text(server_.Url("/missing.gif")), P::Int(2), P::Int(3), P::Text("D.IMG")})});
  h->Fire(1);
  EXPECT_EQ(h->player->pictures, (std::vector<PicturePlayer::Picture>{{"D.IMG", 21, 6}, {"D.IMG", 20, 4}}));
  EXPECT_EQ(h->Int("OK"), 2);
  EXPECT_EQ(h->Int("FAILED"), 1);
}

TEST_F(NetActionsTest, CheckAddressAndTransferStreamHaveOnlyTheirOwnBranches) {
  auto h = Net({Act(34, {P::Text(server_.Url("/data")), P::Int(2), P::Int(3)}),
                Act(34, {P::Text(server_.Url("/missing")), P::Int(2), P::Int(3)}),
                Act(166, {P::Text(server_.Url("/data")), P::Int(0), P::Int(0), P::Var(H)})});
  h->Fire(1);
  EXPECT_EQ(h->Int("OK"), 0) << "CheckAddress has no success script";
  EXPECT_EQ(h->Int("FAILED"), 1);
  EXPECT_EQ(StreamText(*h), "payload");
}

TEST_F(NetActionsTest, AClosingCharacterEndsTheWaitForASlowServerAsAFailure) {
  auto h = Net({ToStream(server_.Url("/slow")), Act(22, {P::Var(N), P::Text("5")})});
  // Meanwhile the character goes on: a timer of the loop asks it to close.
  auto closer = h->platform.CreateTimer();
  closer->SetInterval(300);
  closer->SetOnTimer([&] { h->player->Close(); });
  closer->SetEnabled(true);
  h->Fire(1);
  EXPECT_TRUE(h->Traced("failure=\"stopped\""));
  EXPECT_FALSE(h->Traced("var name=\"N\"")) << "the run ended with the player";
  EXPECT_FALSE(h->Traced("var name=\"OK\""));
}

TEST(HttpTransferTest, AtMostFourTransfersOfTheProcessRunAtOnce) {
  LoopbackServer server({{"/slow", {200, "x", {}, true}}});
  std::vector<std::shared_ptr<desktop::HttpTransfer>> running;
  for (size_t i = 0; i < desktop::kMaxConcurrentTransfers; ++i) {
    running.push_back(desktop::HttpTransfer::Start({.url = server.Url("/slow"), .allowLoopback = true}));
    ASSERT_NE(running.back(), nullptr);
  }
  EXPECT_EQ(desktop::HttpTransfer::Start({.url = server.Url("/slow"), .allowLoopback = true}), nullptr);
  for (auto& transfer : running) transfer->Cancel();
  for (auto& transfer : running) {
    while (!transfer->WaitFor(std::chrono::milliseconds(100))) {
    }
    EXPECT_FALSE(transfer->TakeResult().ok);
  }
}

}  // namespace
}  // namespace kpf::test
