// Web addresses, documents and programs a character opens: what the desktop is handed, what is
// asked first, and what is refused (silently, as if nothing had been asked for).
#include <sys/stat.h>

#include "FileFixture.hpp"

namespace kpf::test {
namespace {

using platform::MessageBoxResult;
using project::TKPFExeAction;

constexpr int32_t A = 1, T = 2;

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
  EXPECT_TRUE(h->platform.MessageBoxes().empty()) << "addresses are opened without asking";
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
  ASSERT_EQ(h->platform.MessageBoxes().size(), 1u);
  const auto& question = h->platform.MessageBoxes()[0];
  EXPECT_EQ(question.caption, "Buddy");
  EXPECT_NE(question.text.find(Path("char/readme.txt")), std::string::npos) << question.text;
  EXPECT_EQ(question.buttons, platform::MessageBoxButtons::YesNo);
  EXPECT_TRUE(h->platform.OpenedTargets().empty()) << "no answer is No";
  h->platform.QueueMessageBoxAnswer(MessageBoxResult::Yes);
  h->Fire(1);
  h->Fire(1);
  EXPECT_EQ(h->platform.MessageBoxes().size(), 2u) << "the Yes holds for the same file and arguments";
  EXPECT_EQ(h->platform.OpenedTargets(), (std::vector<std::string>(2, Path("char/readme.txt"))));
  h->Fire(2);
  EXPECT_EQ(h->platform.MessageBoxes().size(), 3u) << "other arguments are asked about again";
  EXPECT_TRUE(h->Traced("state=\"asked\""));
  EXPECT_TRUE(h->Traced("state=\"declined\""));
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
  EXPECT_EQ(h->platform.MessageBoxes().size(), 1u) << "a Windows program or a missing file is not even asked about";
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
  ASSERT_EQ(h.platform.MessageBoxes().size(), 1u) << "the file frame asked, and No opened nothing";
}

}  // namespace
}  // namespace kpf::test
