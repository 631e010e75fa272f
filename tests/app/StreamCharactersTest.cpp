// Characters loaded from memory: downloaded from a loopback server (a package with its resources,
// which then runs with a private temporary folder of its own) or taken from a memory stream
// holding a project; failures take the download's failure branch.
#include "FormTest.hpp"
#include "LoopbackServer.hpp"
#include "package/PackageFormat.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::Action;
using testing::IntValue;
using testing::ScriptOf;

constexpr int32_t kText = 1;
constexpr int32_t kNumber = 0;
constexpr int32_t kVariable = 13;

// A character whose start script sets its STARTED variable.
project::ProjectSource ChildProject() {
  project::ProjectSource source = testing::SimpleProject();
  source.Variables = {testing::Variable(1, "STARTED", false)};
  source.Scripts = {ScriptOf(1, 2, {Action(22, {{kVariable, "1"}, {kText, "7"}})})};
  source.NextScriptId = 2;
  return source;
}

std::string PackageText() {
  const std::vector<uint8_t> image = {'I', 'M', 'G'};
  const std::string named = std::string("child-note.txt") + '\0' + "from the package";
  const std::vector<uint8_t> package = project::BuildPackage(
      image, project::BuildProjectFile(ChildProject()), {"3.0", "", "Child", 0},
      {{package::kTagNamedFile, std::vector<uint8_t>(named.begin(), named.end())}});
  return {package.begin(), package.end()};
}

class StreamCharactersTest : public testing::FormTest {
 protected:
  StreamCharactersTest() : server_({{"/child.exe", {200, PackageText()}}}) {}

  // CHILD (1) receives the handle, OK (2) and FAILED (3) count the branches, H (4) holds a stream.
  std::unique_ptr<TfmPlayer> Parent(std::vector<project::TKPFExeAction> actions) {
    project::ProjectSource source = testing::SimpleProject();
    source.Variables = {testing::Variable(1, "CHILD", false), testing::Variable(2, "OK", false),
                        testing::Variable(3, "FAILED", false), testing::Variable(4, "H", false)};
    source.Scripts = {ScriptOf(1, 0, std::move(actions)),
                      ScriptOf(2, 0, {Action(22, {{kVariable, "2"}, {kText, "<%OK%>+1"}})}),
                      ScriptOf(3, 0, {Action(22, {{kVariable, "3"}, {kText, "<%FAILED%>+1"}})})};
    source.NextScriptId = 4;
    const fs::path path = WriteProject(source, "parent.kpf");
    TfmPlayer::Settings settings = FormSettings({path.string()});
    settings.resourceFolder.clear();  // every character gets a private folder of its own
    settings.allowLoopbackTransfers = true;
    return std::make_unique<TfmPlayer>(platform_, std::move(settings));
  }
  static void Fire(engine::TFormKPFPlayer& player) { player.FireScript(1, {}); }

  test::LoopbackServer server_;
};

TEST_F(StreamCharactersTest, ADownloadedCharacterRunsWithItsResourcesInAFolderOfItsOwn) {
  auto form = Parent({Action(224, {{kText, server_.Url("/child.exe")}, {kNumber, "2"}, {kNumber, "3"}, {kVariable, "1"}}),
                      Action(224, {{kText, server_.Url("/missing")}, {kNumber, "2"}, {kNumber, "3"}, {kVariable, "1"}})});
  engine::TFormKPFPlayer& parent = form->Player(0);
  Fire(parent);
  ASSERT_EQ(form->PlayerCount(), 2u);
  engine::TFormKPFPlayer& child = form->Player(1);
  EXPECT_EQ(IntValue(parent, "CHILD"), form->HandleOf(child));
  EXPECT_EQ(IntValue(parent, "OK"), 1);
  EXPECT_EQ(IntValue(parent, "FAILED"), 1);
  EXPECT_EQ(IntValue(child, "STARTED"), 7);
  EXPECT_EQ(child.Title, "Child");
  const std::string folder = child.Options().temporaryFolder;
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder, parent.Options().temporaryFolder);
  EXPECT_EQ(testing::ReadBytes(fs::path(folder) / "child-note.txt").size(), 16u);
  form.reset();
  EXPECT_FALSE(fs::exists(folder)) << "the folder goes with its character";
}

TEST_F(StreamCharactersTest, AStreamHoldingAProjectBecomesACharacterAndOtherBytesDoNot) {
  testing::WriteBytes(scratch_ / "child.KPFDAT", project::BuildProjectFile(ChildProject()));
  auto form = Parent({Action(201, {{kVariable, "4"}}), Action(190, {{kVariable, "4"}, {kText, "child"}}),
                      Action(225, {{kVariable, "4"}, {kVariable, "1"}})});
  Fire(form->Player(0));
  ASSERT_EQ(form->PlayerCount(), 2u);
  EXPECT_EQ(IntValue(form->Player(1), "STARTED"), 7);
  EXPECT_EQ(IntValue(form->Player(0), "CHILD"), form->HandleOf(form->Player(1)));

  testing::WriteBytes(scratch_ / "child.KPFDAT", {1, 2, 3});
  Fire(form->Player(0));
  EXPECT_EQ(IntValue(form->Player(0), "CHILD"), 0) << "not the handle of a player that closed at once";
  EXPECT_TRUE(form->Player(2).Closed()) << "bytes that are no character load nothing that runs";
  EXPECT_EQ(form->Player(0).ChildInstanceCount(), 0) << "characters from memory take no child number";
}

}  // namespace
}  // namespace kpf::app
