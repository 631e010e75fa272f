// Scripts that reach other characters through the main form: further characters loaded in this
// process (handles, parents, limits on self-loading projects), close requests, variables sent
// between them, and copies of the player started as processes of their own.
#include <algorithm>
#include <set>

#include "FormTest.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::Action;
using testing::IntValue;
using testing::ScriptOf;

constexpr int32_t kText = 1;
constexpr int32_t kVariable = 13;

class ScriptedCharactersTest : public testing::FormTest {
 protected:
  // A project with the variables CHILD, N, MESSAGE, TARGET and RECEIVED (ids 1 to 5, as script
  // parameters name them), the given scripts, and a trigger-9 script counting deliveries.
  fs::path WriteScripted(const std::string& name, std::vector<project::TTaviScript> scripts) {
    project::ProjectSource source = testing::SimpleProject();
    source.Variables = {testing::Variable(1, "CHILD", false), testing::Variable(2, "N", false),
                        testing::Variable(3, "MESSAGE", true), testing::Variable(4, "TARGET", false),
                        testing::Variable(5, "RECEIVED", false)};
    scripts.push_back(ScriptOf(90, 9, {Action(22, {{kVariable, "5"}, {kText, "<%RECEIVED%>+1"}})}));
    source.Scripts = std::move(scripts);
    source.NextScriptId = 100;
    return WriteProject(source, name);
  }

  static void Fire(engine::TFormKPFPlayer& player, int32_t scriptId) { player.FireScript(scriptId, {}); }
};

TEST_F(ScriptedCharactersTest, LoadedCharactersAreChildrenThatCloseByHandleOrAllTogether) {
  // Beside the executable, whose folder is the current folder of a project given by name.
  const fs::path child = WriteScripted("bin/child.kpf", {});
  const fs::path parent = WriteScripted(
      "parent.kpf", {ScriptOf(1, 0, {Action(100, {{kText, child.string()}, {kVariable, "1"}})}),
                     ScriptOf(2, 0, {Action(100, {{kText, "child.kpf"}})}),
                     ScriptOf(3, 0, {Action(173, {{kVariable, "1"}})}),
                     ScriptOf(4, 0, {Action(174, {})})});
  auto form = MakeForm({parent.string()});
  engine::TFormKPFPlayer& first = form->Player(0);
  Fire(first, 1);
  Fire(first, 2);
  Fire(first, 1);
  ASSERT_EQ(form->PlayerCount(), 4u);
  EXPECT_EQ(first.ChildInstanceCount(), 3);
  std::set<int32_t> handles;
  for (size_t n = 0; n < 4; ++n) handles.insert(IntValue(form->Player(n), "CURRENT_INSTANCE"));
  EXPECT_EQ(handles.size(), 4u);
  for (size_t n = 1; n < 4; ++n) {
    EXPECT_EQ(IntValue(form->Player(n), "PARENT_HANDLE"), form->HandleOf(first));
    EXPECT_FALSE(form->Player(n).Closed());
  }
  EXPECT_EQ(IntValue(first, "CHILD"), form->HandleOf(form->Player(3)));

  const std::vector<int32_t> children = {form->HandleOf(form->Player(1)), form->HandleOf(form->Player(2)),
                                         form->HandleOf(form->Player(3))};
  Fire(first, 3);  // the character whose handle CHILD holds
  platform_.AdvanceBy(100);
  EXPECT_EQ(form->FindByHandle(children[2]), nullptr);
  EXPECT_EQ(form->PlayerCount(), 3u);
  Fire(first, 4);  // every child of this character
  platform_.AdvanceBy(100);
  EXPECT_EQ(form->PlayerCount(), 1u);
  EXPECT_FALSE(first.Closed());
  EXPECT_EQ(terminations_, 0);
  // Handles are not given again while the process runs.
  Fire(first, 1);
  EXPECT_EQ(std::count(children.begin(), children.end(), IntValue(first, "CHILD")), 0);
}

TEST_F(ScriptedCharactersTest, ACharacterThatLoadsItselfAtStartStopsAtTheNestingLimit) {
  const fs::path path = scratch_ / "self.kpf";
  WriteScripted("self.kpf", {ScriptOf(1, 2, {Action(100, {{kText, path.string()}, {kVariable, "1"}})})});
  auto form = MakeForm({path.string()});
  EXPECT_EQ(form->PlayerCount(), 1u + kMaxNestedLoads);
  // The deepest character was refused one: its variable holds 0.
  EXPECT_EQ(IntValue(form->Player(kMaxNestedLoads), "CHILD"), 0);
  EXPECT_EQ(IntValue(form->Player(0), "CHILD"), form->HandleOf(form->Player(1)));
  EXPECT_TRUE(form->AnyPlayerRunning());
}

TEST_F(ScriptedCharactersTest, ALoopOfLoadsStopsAtTheRunningLimit) {
  const fs::path child = WriteScripted("child.kpf", {});
  const fs::path parent = WriteScripted(
      "parent.kpf", {ScriptOf(1, 0, {Action(30, {{kText, "<%N%> < 300"}}),
                                     Action(100, {{kText, child.string()}, {kVariable, "1"}}),
                                     Action(22, {{kVariable, "2"}, {kText, "<%N%>+1"}}), Action(31, {})})});
  auto form = MakeForm({parent.string()});
  Fire(form->Player(0), 1);
  EXPECT_EQ(IntValue(form->Player(0), "N"), 300);
  EXPECT_EQ(form->PlayerCount(), kMaxRunningPlayers);
  EXPECT_EQ(IntValue(form->Player(0), "CHILD"), 0);
}

// A character that loads a child and closes it again, 300 times, leaves no closed characters behind.
TEST_F(ScriptedCharactersTest, CharactersLoadedAndClosedAgainAndAgainDoNotPileUp) {
  const fs::path child = WriteScripted("child.kpf", {});
  const fs::path parent = WriteScripted(
      "parent.kpf", {ScriptOf(1, 4, {Action(100, {{kText, child.string()}, {kVariable, "1"}}),
                                     Action(173, {{kVariable, "1"}}), Action(22, {{kVariable, "2"}, {kText, "<%N%>+1"}})})});
  auto form = MakeForm({parent.string()});
  platform_.AdvanceBy(301 * 1000);
  EXPECT_GE(IntValue(form->Player(0), "N"), 300);
  EXPECT_EQ(form->PlayerCount(), 1u);
  EXPECT_EQ(platform_.Windows().size(), 1u);
}

TEST_F(ScriptedCharactersTest, SendVariableReachesOneCharacterByHandleOrEveryOtherInstance) {
  const fs::path child = WriteScripted("child.kpf", {});
  const fs::path parent = WriteScripted(
      "parent.kpf", {ScriptOf(1, 0, {Action(100, {{kText, child.string()}, {kVariable, "1"}})}),
                     ScriptOf(2, 0, {Action(21, {{kVariable, "3"}, {kText, "hello"}}),
                                     Action(154, {{kVariable, "4"}, {kVariable, "3"}})})});
  auto form = MakeForm({parent.string()});
  engine::TFormKPFPlayer& first = form->Player(0);
  Fire(first, 1);
  Fire(first, 1);
  first.Model.VariableByName("TARGET")->SetValue(-1);
  Fire(first, 2);
  EXPECT_EQ(IntValue(form->Player(1), "RECEIVED"), 1);
  EXPECT_EQ(IntValue(form->Player(2), "RECEIVED"), 1);
  EXPECT_EQ(IntValue(first, "RECEIVED"), 0);
  EXPECT_EQ(form->Player(2).Model.VariableByName("MESSAGE")->AsString(), "hello");
  first.Model.VariableByName("TARGET")->SetValue(form->HandleOf(form->Player(2)));
  Fire(first, 2);
  EXPECT_EQ(IntValue(form->Player(1), "RECEIVED"), 1);
  EXPECT_EQ(IntValue(form->Player(2), "RECEIVED"), 2);
  // A character removed from the instances receives nothing.
  form->RemovePlayer(form->Player(2));
  first.Model.VariableByName("TARGET")->SetValue(-1);
  Fire(first, 2);
  EXPECT_EQ(IntValue(form->Player(1), "RECEIVED"), 2);
  EXPECT_EQ(IntValue(form->Player(2), "RECEIVED"), 2);
}

// Two characters whose variable trigger sends the variable on to every other character would
// deliver to each other for ever: deliveries nest at most as deeply as script runs.
TEST_F(ScriptedCharactersTest, CharactersThatSendOnWhatTheyReceiveStopAtTheNestingLimit) {
  const auto echoing = [&](const std::string& name) {
    project::ProjectSource source = testing::SimpleProject();
    source.Variables = {testing::Variable(1, "CHILD", false), testing::Variable(2, "N", false),
                        testing::Variable(3, "MESSAGE", true), testing::Variable(4, "TARGET", false, -1),
                        testing::Variable(5, "RECEIVED", false)};
    source.Scripts = {ScriptOf(90, 9, {Action(22, {{kVariable, "5"}, {kText, "<%RECEIVED%>+1"}}),
                                       Action(154, {{kVariable, "4"}, {kVariable, "3"}})})};
    source.NextScriptId = 100;
    return WriteProject(source, name);
  };
  const fs::path child = echoing("echo.kpf");
  auto form = MakeForm({echoing("first.kpf").string()});
  engine::TFormKPFPlayer& first = form->Player(0);
  ASSERT_NE(form->CreatePlayer(form->HandleOf(first), child.string()), nullptr);
  form->SendToPlayers(first, -1, *first.Model.VariableByName("MESSAGE"));
  const int32_t received = IntValue(form->Player(1), "RECEIVED") + IntValue(first, "RECEIVED");
  EXPECT_GT(received, 1);
  EXPECT_LE(received, engine::kMaxScriptDepth);
}

TEST_F(ScriptedCharactersTest, ProjectInstancesAreStartedWithAnArgumentVectorAndNumberedInTurn) {
  const fs::path other = WriteScripted("bin/other.kpf", {});
  const fs::path parent = WriteScripted("parent.kpf", {ScriptOf(1, 0, {Action(83, {{kText, "other.kpf"}})}),
                                                      ScriptOf(2, 0, {Action(83, {{kText, "missing.kpf"}})})});
  auto form = MakeForm({parent.string()});
  engine::TFormKPFPlayer& first = form->Player(0);
  Fire(first, 1);
  Fire(first, 2);
  Fire(first, 1);
  const std::string program = (scratch_ / "bin" / "kpfplayer").string();
  const std::string title = "-vh" + form->ApplicationTitle();
  EXPECT_EQ(platform_.StartedPrograms(),
            (std::vector<std::vector<std::string>>{{program, other.string(), "-ve0", title},
                                                   {program, other.string(), "-ve1", title}}));
  EXPECT_EQ(first.ChildInstanceCount(), 2);
  EXPECT_EQ(form->PlayerCount(), 1u);
}

TEST(ProjectInstanceArgumentsTest, APathThatLooksLikeASwitchStaysAPath) {
  EXPECT_EQ(engine::ProjectInstanceArguments("-VS1x.kpf", 12, "My \"title\""),
            (std::vector<std::string>{"./-VS1x.kpf", "-ve12", "-vhMy \"title\""}));
  const CommandLine child = ParseCommandLine(engine::ProjectInstanceArguments("-VS1x.kpf", 12, "Parent"));
  EXPECT_EQ(child.projectFile, "./-VS1x.kpf");
  EXPECT_EQ(child.startSwitches, (std::vector<StartSwitch>{{StartSwitch::Kind::ViewerTitle, 0, "ZIMR_PADOK12"},
                                                           {StartSwitch::Kind::ParentTitle, 0, "Parent"}}));
}

}  // namespace
}  // namespace kpf::app
