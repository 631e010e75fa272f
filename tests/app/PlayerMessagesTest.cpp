// The main form receiving messages from other processes through its socket: each code reaches
// player 0, positions outside the lists are ignored, and a main viewer that closes tells the
// secondary viewers (every title beginning "ZIMR_PADOK") to close too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AppTestProjects.hpp"
#include "app/MessageChannel.hpp"
#include "app/TfmPlayer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using Message = std::pair<int32_t, int32_t>;

class PlayerMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = (scratch_ / "kpfplayer").string();
    project::ProjectSource source = testing::SimpleProject();
    source.Animations.push_back(testing::Showing(2, "second", 0, 0, 8));
    source.Variables = {testing::Variable(1, "RECEIVED", false)};
    source.Scripts.push_back(testing::ScriptOf(10, 0, {testing::Action(22, {{13, "1"}, {1, "<%RECEIVED%>+1"}})}));
    source.Scripts.push_back(testing::ScriptOf(11, 0, {testing::Action(22, {{13, "1"}, {1, "<%RECEIVED%>+100"}})}));
    source.NextScriptId = 12;
    project_ = scratch_ / "pip.kpf";
    testing::WriteBytes(project_, project::BuildProjectFile(source));
  }

  std::unique_ptr<TfmPlayer> MakeForm(std::vector<std::string> extra = {}) {
    TfmPlayer::Settings settings;
    fs::create_directories(scratch_ / "bin");
    settings.executablePath = (scratch_ / "bin" / "kpfplayer").string();
    settings.arguments = {project_.string()};
    settings.arguments.insert(settings.arguments.end(), extra.begin(), extra.end());
    settings.resourceFolder = (scratch_ / "resources").string() + "/";
    settings.terminate = [this] { ++terminations_; };
    settings.messageFolder = folder_;
    return std::make_unique<TfmPlayer>(platform_, std::move(settings));
  }

  // Runs the loop until `done` holds; the form's helper thread posts each message as it reads it.
  template <typename Condition>
  bool PumpUntil(Condition done) {
    for (int round = 0; round < 200000 && !done(); ++round) {
      platform_.VirtualLoop().RunPending();
      std::this_thread::yield();
    }
    return done();
  }

  void Send(TfmPlayer& form, const std::vector<Message>& messages) {
    for (const auto& [code, param] : messages) {
      ASSERT_TRUE(MessageChannel::PostToTitle(folder_, form.ApplicationTitle(), code, param));
    }
  }

  std::unique_ptr<MessageChannel> Listener(const std::string& title, std::vector<Message>& into) {
    return std::make_unique<MessageChannel>(platform_.Loop(), folder_, title,
                                            [&into](int32_t code, int32_t param) { into.emplace_back(code, param); });
  }

  static int32_t Received(engine::TFormKPFPlayer& player) {
    return player.Model.VariableByName("RECEIVED")->GetValue().ToInteger();
  }

  testing::ScratchFolder scratch_;
  std::string folder_;
  fs::path project_;
  platform::headless::HeadlessPlatform platform_;
  int terminations_ = 0;
};

// Messages from one sender arrive in order: once the last one's effect shows, the earlier ones
// have been handled too.
TEST_F(PlayerMessagesTest, RunScriptAtPositionAndIgnoreOutOfRange) {
  auto form = MakeForm();
  ASSERT_TRUE(form->ListeningForMessages());
  engine::TFormKPFPlayer& player = form->Player(0);
  Send(*form, {{kMessageRunScript, 1}});
  ASSERT_TRUE(PumpUntil([&] { return Received(player) == 100; }));
  Send(*form, {{kMessageRunScript, 2}, {kMessageRunScript, -1}, {kMessageRunScript, 1 << 30}, {kMessageRunScript, 0}});
  ASSERT_TRUE(PumpUntil([&] { return Received(player) >= 101; }));
  EXPECT_EQ(Received(player), 101);
  EXPECT_FALSE(player.Closed());
  EXPECT_EQ(terminations_, 0);
}

TEST_F(PlayerMessagesTest, PlayAnimationAtPositionAndIgnoreOutOfRange) {
  auto form = MakeForm();
  engine::TFormKPFPlayer& player = form->Player(0);
  std::vector<std::string> starts;
  player.SetTraceSink([&starts](const std::string& line) {
    if (line.find("anim-start") != std::string::npos) starts.push_back(line);
  });
  Send(*form, {{kMessagePlayAnimation, 2}, {kMessagePlayAnimation, -1}, {kMessagePlayAnimation, 1}});
  ASSERT_TRUE(PumpUntil([&] { return !starts.empty(); }));
  platform_.VirtualLoop().RunPending();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts[0].find("second"), std::string::npos) << starts[0];
}

TEST_F(PlayerMessagesTest, CloseCodesForgetTheParentTitleAndCloseThePlayer) {
  for (const int32_t code : {kMessageCloseNow, kMessageCloseRequest}) {
    terminations_ = 0;
    auto form = MakeForm({"-VHParentWindow"});
    ASSERT_EQ(form->ParentTitle(), "ParentWindow");
    Send(*form, {{code, 0}});
    ASSERT_TRUE(PumpUntil([&] { return form->Player(0).Closed(); })) << code;
    EXPECT_EQ(form->ParentTitle(), "");
    EXPECT_EQ(terminations_, 1);  // player 0 has no parent handle: its close ends the program
  }
}

TEST_F(PlayerMessagesTest, EndProgramCodeRunsTheNormalExit) {
  auto form = MakeForm();
  Send(*form, {{kMessageEndProgram, 0}});
  ASSERT_TRUE(PumpUntil([&] { return terminations_ > 0; }));
  EXPECT_EQ(terminations_, 1);
  EXPECT_TRUE(form->Terminated());
}

TEST_F(PlayerMessagesTest, SecondProcessWithTheSameTitleDoesNotListen) {
  auto first = MakeForm();
  auto second = MakeForm();
  EXPECT_TRUE(first->ListeningForMessages());
  EXPECT_FALSE(second->ListeningForMessages());
  Send(*second, {{kMessageRunScript, 0}});
  ASSERT_TRUE(PumpUntil([&] { return Received(first->Player(0)) == 1; }));
  EXPECT_EQ(Received(second->Player(0)), 0);
}

TEST_F(PlayerMessagesTest, ClosingMainViewerClosesEverySecondaryViewer) {
  std::vector<Message> third;
  std::vector<Message> twelfth;
  std::vector<Message> unrelated;
  auto thirdViewer = Listener("ZIMR_PADOK3", third);
  auto twelfthViewer = Listener("ZIMR_PADOK12", twelfth);
  auto otherProgram = Listener("Other", unrelated);
  auto form = MakeForm();
  ASSERT_FALSE(form->ApplicationTitle().starts_with("ZIMR_PADOK"));
  form->Player(0).Close();
  ASSERT_TRUE(PumpUntil([&] { return !third.empty() && !twelfth.empty(); }));
  EXPECT_EQ(third, (std::vector<Message>{{kMessageCloseNow, kMessageCloseNow}}));
  EXPECT_EQ(twelfth, third);
  // A marker sent afterwards is the first thing the unrelated title sees.
  ASSERT_TRUE(MessageChannel::PostToTitle(folder_, "Other", 1, 2));
  ASSERT_TRUE(PumpUntil([&] { return !unrelated.empty(); }));
  EXPECT_EQ(unrelated, (std::vector<Message>{{1, 2}}));
}

// Two parents each number their child viewers from 0: the later child takes a free title, so the
// main viewer's close still reaches both.
TEST_F(PlayerMessagesTest, SecondaryViewerWhoseTitleIsTakenListensUnderAFreeOne) {
  auto firstChild = MakeForm({"-ve0"});
  auto secondChild = MakeForm({"-ve0"});
  EXPECT_EQ(firstChild->ApplicationTitle(), "ZIMR_PADOK0");
  EXPECT_EQ(secondChild->ApplicationTitle(), "ZIMR_PADOK0_2");
  EXPECT_EQ(secondChild->Player(0).Title, "ZIMR_PADOK0_2");
  EXPECT_EQ(secondChild->Tray().hint, "ZIMR_PADOK0_2");
  ASSERT_TRUE(secondChild->ListeningForMessages());
  auto mainViewer = MakeForm();
  mainViewer->Player(0).Close();
  ASSERT_TRUE(PumpUntil([&] { return firstChild->Player(0).Closed() && secondChild->Player(0).Closed(); }));
}

TEST_F(PlayerMessagesTest, SecondaryViewerDoesNotTellTheOthers) {
  std::vector<Message> secondary;
  auto listener = Listener("ZIMR_PADOK3", secondary);
  auto form = MakeForm({"-VE5"});
  ASSERT_EQ(form->ApplicationTitle(), "ZIMR_PADOK5");
  form->Player(0).Close();
  EXPECT_EQ(terminations_, 1);
  ASSERT_TRUE(MessageChannel::PostToTitle(folder_, "ZIMR_PADOK3", 1, 2));
  ASSERT_TRUE(PumpUntil([&] { return !secondary.empty(); }));
  EXPECT_EQ(secondary, (std::vector<Message>{{1, 2}}));
}

// A secondary viewer started with "-VE3" is the one the main viewer reaches.
TEST_F(PlayerMessagesTest, SecondaryViewerProcessClosesWithTheMainViewer) {
  auto secondaryViewer = MakeForm({"-VE3"});
  ASSERT_TRUE(secondaryViewer->ListeningForMessages());
  auto mainViewer = MakeForm();
  mainViewer->Player(0).Close();
  ASSERT_TRUE(PumpUntil([&] { return secondaryViewer->Player(0).Closed(); }));
  EXPECT_EQ(terminations_, 2);
}

}  // namespace
}  // namespace kpf::app
