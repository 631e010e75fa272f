// Web addresses, documents and programs a character opens: what the desktop is handed, what is
// asked first, and what is refused (silently, as if nothing had been asked for).
#include <sys/stat.h>

#include "FileFixture.hpp"

namespace kpf::test {
namespace {

using platform::MessageBoxResult;
using project::TKPFExeAction;

constexpr int32_t A = 1, T = 2;
constexpr int kYes = static_cast<int>(MessageBoxResult::Yes);
constexpr int kNo = static_cast<int>(MessageBoxResult::No);

class OpenActionsTest : public FileFixture {
 protected:
  std::unique_ptr<Harness<>> Opens(std::vector<std::vector<TKPFExeAction>> scripts) {
    auto h = Make(std::move(scripts), {"A"}, {"T"});
    h->player->Title = "Buddy";
    return h;
  }
  static TKPFExeAction Open(const std::string& address) { return Act(0, {P::Text(address)}); }
  static TKPFExeAction Run(const std::string& file, const std::string& arguments = "") {
    return Act(15, {P::Text(file), P::Text(arguments)});
  }
};

TEST_F(OpenActionsTest, OnlyWebAndMailAddressesAreHandedToTheDesktop) {
  auto h = Opens({{Open("http://example.com/a?b=1"), Open("mailto:someone@example.com"), Open("file:///etc/passwd"),
                   Open("HTTP:no-host"), Open("mailto:x@y?subject=hi&ATTACH=/home/me/.ssh/id_rsa"),
                   Open("http://example.com/\x01"), Open("http://" + std::string(9000, 'a') + ".com"),
                   Open("notes.txt")}});
  h->Fire(1);
  EXPECT_EQ(h->platform.OpenedTargets(),
            (std::vector<std::string>{"http://example.com/a?b=1", "mailto:someone@example.com"}));
  EXPECT_TRUE(h->platform.MessageDialogs().empty()) << "addresses are opened without asking";
  EXPECT_EQ(h->Count("open target="), 6u) << "every address-like text is traced, the file name is not";
}

TEST_F(OpenActionsTest, AnAddressWithAVariableAppendsItsQueryField) {
  auto h = Opens({{Act(21, {P::Var(T), P::Text("a b&c")}), Act(23, {P::Var(T), P::Text("http://x.org/p")}),
                   Act(23, {P::Var(T), P::Text("http://x.org/p?k=1")}), Act(23, {P::Var(T), P::Text("smb://host/share")}),
                   Act(23, {P::Var(T), P::Text("--help")})}});
  h->Fire(1);
  EXPECT_EQ(h->platform.OpenedTargets(),
            (std::vector<std::string>{"http://x.org/p?T=a b&c", "http://x.org/p?k=1&T=a b&c"}));
}

TEST_F(OpenActionsTest, OpeningsAreBoundedPerCharacterInAnyTenSeconds) {
  auto h = Opens({{Open("http://example.com/")}});
  for (int i = 0; i < 7; ++i) h->Fire(1);
  EXPECT_EQ(h->platform.OpenedTargets().size(), 5u);
  h->platform.AdvanceBy(10'000);
  h->Fire(1);
  EXPECT_EQ(h->platform.OpenedTargets().size(), 6u);
}

TEST_F(OpenActionsTest, ADocumentIsOpenedOnlyAfterAYesWhichHoldsForTheSameRequest) {
  Put("char/readme.txt", "hello");
  auto h = Opens({{Run("readme.txt")}, {Run("readme.txt", "other")}});
  h->Fire(1);
  ASSERT_EQ(h->platform.MessageDialogs().size(), 1u);
  const platform::MessageDialogRequest& question = h->platform.MessageDialogs()[0].request;
  EXPECT_EQ(question.caption, "Buddy");
  EXPECT_NE(question.text.find(Path("char/readme.txt")), std::string::npos) << question.text;
  ASSERT_EQ(question.buttons.size(), 2u);
  EXPECT_EQ(question.buttons[question.defaultButton].result, kNo) << "No is the default";
  EXPECT_EQ(question.dismissResult, kNo);
  EXPECT_TRUE(h->platform.OpenedTargets().empty()) << "no answer is No";
  h->platform.QueueMessageBoxAnswer(MessageBoxResult::Yes);
  h->Fire(1);
  h->Fire(1);
  EXPECT_EQ(h->platform.MessageDialogs().size(), 2u) << "the Yes holds for the same file and arguments";
  EXPECT_EQ(h->platform.OpenedTargets(), (std::vector<std::string>(2, Path("char/readme.txt"))));
  h->Fire(2);
  EXPECT_EQ(h->platform.MessageDialogs().size(), 3u) << "other arguments are asked about again";
  EXPECT_TRUE(h->Traced("state=\"asked\""));
  EXPECT_TRUE(h->Traced("state=\"declined\""));
}

// A script that asks again and again is bounded like one that opens: every question counts,
// answered or not.
TEST_F(OpenActionsTest, DeclinedAndUnansweredQuestionsCountTowardTheBound) {
  Put("char/readme.txt", "hello");
  auto h = Opens({{Run("readme.txt")}});
  for (int i = 0; i < 3; ++i) h->Fire(1);
  h->platform.QueueAnswer(kNo, 0);
  h->Fire(1);
  h->platform.QueueAnswer(kYes, 0);
  h->Fire(1);
  h->Fire(1);
  EXPECT_EQ(h->platform.MessageDialogs().size(), 5u) << "three unanswered, a No and a Yes";
  EXPECT_EQ(h->platform.OpenedTargets().size(), 1u) << "the request after the Yes was one too many";
  EXPECT_EQ(h->Count("state=\"refused\""), 1u);
  h->platform.AdvanceBy(10'000);
  h->Fire(1);
  EXPECT_EQ(h->platform.OpenedTargets(), std::vector<std::string>(2, Path("char/readme.txt")));
}

// The question is the character's own box: closing the character ends it, and nothing opens.
TEST_F(OpenActionsTest, AClosingCharacterEndsItsQuestionAndOpensNothing) {
  Put("char/readme.txt", "hello");
  auto h = Opens({{Run("readme.txt"), Act(22, {P::Var(A), P::Text("99")})}});
  h->platform.QueueAnswer(kYes, 5000);
  auto closer = h->platform.CreateTimer();
  closer->SetInterval(300);
  closer->SetOnTimer([&] { h->player->Close(); });
  closer->SetEnabled(true);
  h->Fire(1);
  ASSERT_EQ(h->platform.MessageDialogs().size(), 1u);
  EXPECT_TRUE(h->platform.MessageDialogs()[0].endedByOwner);
  EXPECT_LT(h->platform.MessageDialogs()[0].endedAt, 400);
  EXPECT_TRUE(h->platform.OpenedTargets().empty());
  EXPECT_EQ(h->player->MessageBoxes().Count(), 0u);
  EXPECT_FALSE(h->Traced("value=\"99\"")) << "the script stopped";
}

// A Yes that arrives after the character began to go opens nothing either.
TEST_F(OpenActionsTest, AYesAfterTheCharacterStoppedOpensNothing) {
  Put("char/readme.txt", "hello");
  platform::headless::HeadlessPlatform desktop;
  engine::OpenMessageBoxes boxes;
  bool stopped = false;
  engine::DocumentLauncher launcher(desktop, boxes, [&] { return stopped; });
  desktop.QueueAnswer(kYes, 500);
  auto stopper = desktop.CreateTimer();
  stopper->SetInterval(100);
  stopper->SetOnTimer([&] { stopped = true; });
  stopper->SetEnabled(true);
  EXPECT_EQ(launcher.OpenFile("Buddy", Path("char/readme.txt"), ""), engine::OpenOutcome::Refused);
  ASSERT_EQ(desktop.MessageDialogs().size(), 1u);
  EXPECT_EQ(desktop.MessageDialogs()[0].result, kYes);
  EXPECT_TRUE(desktop.OpenedTargets().empty());
}

// Launcher entries run their own command line when the desktop opens them, so they are never
// handed to it, whatever their name; neither are Java archives.
TEST_F(OpenActionsTest, LauncherFilesAreNeverOpened) {
  Put("char/start.desktop", "[Desktop Entry]\nType=Application\nExec=sh -c 'echo owned'\n");
  Put("char/README", "# a comment\n[Desktop Entry]\nExec=sh -c 'echo owned'\n");
  Put("char/Game.JAR", "PK");
  Put("char/plain.txt", "Desktop Entry is not a header here");
  auto h = Opens({{Run("start.desktop")}, {Run("README")}, {Run("Game.JAR")}, {Run("plain.txt")}});
  for (int script = 1; script <= 3; ++script) h->Fire(script);
  EXPECT_TRUE(h->platform.MessageDialogs().empty()) << "refused without asking";
  EXPECT_EQ(h->Count("state=\"refused\""), 3u);
  h->platform.QueueAnswer(kYes, 0);
  h->Fire(4);
  EXPECT_EQ(h->platform.OpenedTargets(), std::vector<std::string>{Path("char/plain.txt")});
}

TEST_F(OpenActionsTest, ProgramsStartWithAnArgumentVectorInTheirFolderAndWindowsProgramsNever) {
  fs::create_directories(root_ / "char/bin");
  Put("char/bin/tool", "#!/bin/sh\nexit 0\n");
  ::chmod(Path("char/bin/tool").c_str(), 0755);
  Put("char/setup.exe", "MZ");
  ::chmod(Path("char/setup.exe").c_str(), 0755);
  auto h = Opens({{Run("bin\\tool", R"(-v "two words" a\\\"b; rm)")}, {Run("setup.exe")}, {Run("missing")}});
  h->platform.QueueMessageBoxAnswer(MessageBoxResult::Yes);
  h->Fire(1);
  ASSERT_EQ(h->platform.StartedProcesses().size(), 1u);
  const platform::ProcessStart& start = h->platform.StartedProcesses()[0];
  EXPECT_EQ(start.program, Path("char/bin/tool"));
  EXPECT_EQ(start.arguments, (std::vector<std::string>{"-v", "two words", R"(a\"b;)", "rm"}));
  EXPECT_EQ(start.workingFolder, Path("char/bin"));
  h->Fire(2);
  h->Fire(3);
  EXPECT_EQ(h->platform.MessageDialogs().size(), 1u) << "a Windows program or a missing file is not even asked about";
  EXPECT_EQ(h->platform.StartedProcesses().size(), 1u);
  EXPECT_TRUE(h->platform.OpenedTargets().empty());
}

TEST_F(OpenActionsTest, AtMostSixteenProgramsOfTheProcessRunAtOnce) {
  Put("char/tool", "#!/bin/sh\n");
  ::chmod(Path("char/tool").c_str(), 0755);
  auto h = Opens({{Run("tool")}});
  h->platform.QueueMessageBoxAnswer(MessageBoxResult::Yes);
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 5; ++i) h->Fire(1);
    h->platform.AdvanceBy(10'000);
  }
  EXPECT_EQ(h->platform.StartedProcesses().size(), engine::kMaxLiveChildProcesses);
  h->platform.EndProcesses();
  h->Fire(1);
  EXPECT_EQ(h->platform.StartedProcesses().size(), engine::kMaxLiveChildProcesses + 1);
  h->platform.EndProcesses();
}

TEST_F(OpenActionsTest, DocumentFramesGoThroughTheSameRules) {
  Put("char/page.html", "<p>");
  project::ProjectSource source = WithVariables({"A"});
  project::AnimationSource animation = Animation(1, "docs", 0, 1, 3, 10);
  animation.Frames[1] = {.Kind = project::kDocumentFrame, .Duration = 10, .Document = "http://example.com/"};
  animation.Frames[2] = {.Kind = project::kDocumentFrame, .Duration = 10, .Document = "page.html"};
  source.Animations.push_back(animation);
  Harness<> h(source, Options());
  ASSERT_TRUE(h.player->Start());
  h.platform.AdvanceBy(250);
  EXPECT_EQ(h.platform.OpenedTargets(), std::vector<std::string>{"http://example.com/"});
  ASSERT_EQ(h.platform.MessageDialogs().size(), 1u) << "the file frame asked, and No opened nothing";
}

}  // namespace
}  // namespace kpf::test
