// extract -> pack -> info gives the model the original gave, for a standalone project and for a
// package; extract keeps hostile names inside its folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "project/ByteBuilder.hpp"
#include "project/ProjectWriter.hpp"
#include "tools/ToolRunner.hpp"

namespace kpf::tests {
namespace {

namespace fs = std::filesystem;
using project::ImageSource;
using project::ProjectSource;
using project::TKPFExeAction;
using test::ByteBuilder;

TKPFExeAction Action(const std::string& name, int32_t type, std::vector<uint8_t> params, int32_t flags = 1) {
  TKPFExeAction action;
  action.Name = name;
  action.ActionType = type;
  action.Flags = flags;
  action.ParamData = std::move(params);
  return action;
}

// Every value encoding of the parameter block: int32, text, byte, variable position, variable
// id (known and unknown), a kind without value, and a block whose last entry is cut short.
std::vector<TKPFExeAction> EveryParamKind() {
  const std::vector<uint8_t> block = ByteBuilder()
                                         .i32(0).i32(-7)
                                         .i32(1).nul("Hello \xe9\x80")  // é and the euro sign
                                         .i32(7).u8(200)
                                         .i32(13).i32(2)
                                         .i32(65535).i32(65536)
                                         .i32(65535).i32(999)  // no such variable
                                         .i32(3)
                                         .bytes();
  const std::vector<uint8_t> cut = ByteBuilder().i32(0).i32(5).i32(1).u8('x').bytes();  // text without NUL
  // Flags 0: loads as an empty "[none]" item.
  return {Action("all kinds", 40, block), Action("cut", 41, cut), Action("old", 5, {}, 0)};
}

ImageSource Packed(int w, int h, uint8_t alpha) {
  ImageSource image{.Width = w, .Height = h};
  for (int i = 0; i < w * h; ++i)
    image.Pixels.insert(image.Pixels.end(), {static_cast<uint8_t>(i), 40, 200, alpha});
  return image;
}

ProjectSource RichProject() {
  ProjectSource source;
  source.NextScriptId = 10;
  source.Scripts = {{.Id = 3, .Name = "mirror", .Description = {}, .Reserved1 = 7, .Trigger = 6,
                     .Actions = {Action("mirror", 12, {})}},
                    {.Id = 4, .Name = "params", .Description = "every kind", .Actions = EveryParamKind()}};
  // Index 5 of the palette image lies beyond the palette: transparent. Form 9 has no pixels.
  source.Images = {
      Packed(3, 2, 255), Packed(2, 2, 77),
      {.Width = 2, .Height = 2, .Form = 1, .Indices = {0, 1, 1, 5}, .Palette = {10, 20, 30, 255, 1, 2, 3, 128}},
      {.Form = 9}};

  project::AnimationSource walk;
  walk.Id = 20;
  walk.Name = "walk";
  walk.Width = 30;
  walk.Height = 40;
  walk.EventIndex = 2;
  walk.RepeatCount = 0;
  walk.Option = 128;
  walk.PosX = "10";
  walk.MoveMode = 3;
  walk.Params = {1, -2, 300};
  walk.ExtraPresent = true;
  walk.Extra = {2, 9, 9};
  walk.EventScripts[3] = 4;
  // Sound index 7 of the first frame is dropped at load; the second frame's script mirrors, so
  // the loader derives a mirrored copy of its image.
  walk.Frames = {{.X = 5, .BitmapIndex = 0, .UseTransparentColor = true, .TransparentColor = 0x00C82800,
                  .Duration = 3, .Region = {0, 0, 0, 0, 3, 0}, .Sounds = {{0, 2}, {1, 1}, {7, 1}}},
                 {.BitmapIndex = 1, .ScriptId = 3},
                 {.Kind = project::kDocumentFrame, .Document = "readme.txt"},
                 {.Kind = 7},
                 {.BitmapIndex = 2}};
  project::AnimationSource idle;
  idle.Id = 21;
  idle.Name = "idle";
  idle.Frames = {{.BitmapIndex = 3}};
  source.Animations = {walk, idle};

  source.Sounds = {{101, "..\\..\\evil.wav", {1, 2, 3}}, {100, "EVIL.wav", {4}},
                   {102, "con", {5, 6}}, {101, "", {}},
                   {101, "evil.WAV", {4, 4}}};
  source.Menus = {{.Caption = "Say hi", .Actions = {Action("hi", 30, {})}, .ItemKey = "H", .Image = {'B', 'M', 1, 2},
                   .Flags = 5, .ImageColor = static_cast<int32_t>(0xFF00000F), .ScriptId = 11},
                  {.Caption = "Plain"}};
  source.PlayLists = {{"list", "t", 1, 9, {"walk", "idle"}}};
  source.NextDialogId = 8;
  source.Dialogs = {{5, "dlg/../x", {1, 2, 3, 4}}};
  source.NextVariableId = 4;
  source.Variables = {{2, "COUNT", 0, -5, ""}, {3, "NAME", 1, 0, "Bob"}};
  source.OptionFlags = {1, 0, 1, 1};
  source.MenuCaptions = {"A", "B", "C", "D", "E", "F", "G", "H"};
  source.Cursors.resize(1);
  source.Cursors[0].HotSpotX = 3;
  source.Cursors[0].HotSpotY = 4;
  return source;
}

// Every file below `root`, relative.
std::vector<std::string> FilesBelow(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files.push_back(fs::relative(entry.path(), root).string());
  return files;
}

// Equal texts; on a difference shows a short piece around the first differing byte.
void ExpectSameText(const std::string& expected, const std::string& actual) {
  if (expected == actual) return;
  const size_t at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first - expected.begin();
  ADD_FAILURE() << "differs at byte " << at << "\nexpected: ..." << expected.substr(at < 80 ? 0 : at - 80, 200)
                << "\nactual:   ..." << actual.substr(at < 80 ? 0 : at - 80, 200);
}

std::string WithoutOffsets(std::string json) {
  for (size_t at; (at = json.find("\"offset\":")) != std::string::npos;)
    json.erase(at, json.find(',', at) + 1 - at);
  return json;
}

std::string WithoutForm1(std::string json) {
  for (size_t at; (at = json.find("\"form\":1,")) != std::string::npos;) json[at + 7] = '0';
  return json;
}

TEST(PackRoundTrip, ProjectFileExtractsToFilesAndComesBackWithTheSameModel) {
  ScratchFolder scratch("project");
  WriteBytes(scratch / "in.kpf", project::BuildProjectFile(RichProject()));
  ASSERT_EQ(RunTool({"extract", (scratch / "in.kpf").string(), (scratch / "src").string()}).exitCode, 0);
  const fs::path src = scratch / "src";
  // Three images with pixels; the no-pixel entry and the derived mirror copy get no file.
  for (const char* image : {"0000", "0001", "0002", "0003", "0004"})
    EXPECT_EQ(fs::exists(src / "images" / (image + std::string(".png"))), image < std::string("0003")) << image;
  // Sound names become one safe component each; names equal without regard to case differ.
  EXPECT_EQ(ReadBytes(src / "sounds/_.._evil.wav"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(ReadBytes(src / "sounds/EVIL.wav"), (std::vector<uint8_t>{4}));
  EXPECT_EQ(ReadBytes(src / "sounds/evil~2.WAV"), (std::vector<uint8_t>{4, 4}));
  EXPECT_TRUE(fs::exists(src / "sounds/_con"));
  EXPECT_TRUE(fs::exists(src / "sounds/0003.snd"));
  for (const auto& file : FilesBelow(scratch.path()))
    EXPECT_TRUE(file == "in.kpf" || file.rfind("src", 0) == 0) << file;
  const std::vector<uint8_t> listingBytes = ReadBytes(src / "scripts.txt");
  const std::string listing(listingBytes.begin(), listingBytes.end());
  EXPECT_NE(listing.find("type 40 \"all kinds\" flags 1 | kind 0 int -7 | kind 1 text \"Hello"),
            std::string::npos) << listing;
  EXPECT_NE(listing.find("kind 13 variable id 2"), std::string::npos);

  auto packed = RunTool({"pack", src.string(), "-o", (scratch / "out.kpf").string()});
  ASSERT_EQ(packed.exitCode, 0) << packed.output;
  std::string original = InfoJson(scratch / "in.kpf");
  ASSERT_NE(original.find("\"walk\""), std::string::npos) << original;
  // The palette image comes back as a packed image with the same pixels.
  ExpectSameText(WithoutForm1(original), InfoJson(scratch / "out.kpf"));
}

TEST(PackRoundTrip, PackageKeepsHeaderRecordsAndProgramImage) {
  ScratchFolder scratch("package");
  std::vector<uint8_t> player = {'M', 'Z', 0, 1, 2, 3};
  WriteBytes(scratch / "player", player);
  project::PackageHeader header{"3.01", "About\r\nme", "Title \xe9", 1};
  std::vector<uint8_t> named = {'.', '.', '\\', 'x', '.', 't', 'x', 't', 0, 'h', 'i'};
  const std::vector<uint8_t> initial = ByteBuilder().i32(3).u8(1).nul("Ann").bytes();
  const std::vector<uint8_t> count = ByteBuilder().i32(2).u8(0).i32(42).bytes();
  std::vector<project::PackageRecord> records = {
      {202, named}, {109, {7, 7}}, {203, initial}, {203, count}, {150, {1, 2, 3}}, {203, {1}}};
  auto block = project::CompressProject(project::WriteProjectStream(RichProject()));
  WriteBytes(scratch / "in.exe", project::BuildPackage(player, block, header, records));

  ASSERT_EQ(RunTool({"extract", (scratch / "in.exe").string(), (scratch / "src").string()}).exitCode, 0);
  EXPECT_EQ(ReadBytes(scratch / "src/resources/x.txt"), (std::vector<uint8_t>{'h', 'i'}));
  auto packed = RunTool({"pack", (scratch / "src").string(), "-o", (scratch / "out.exe").string(),
                         "--package", "--player", (scratch / "player").string()});
  ASSERT_EQ(packed.exitCode, 0) << packed.output;
  auto out = ReadBytes(scratch / "out.exe");
  ASSERT_GT(out.size(), player.size());
  EXPECT_TRUE(std::equal(player.begin(), player.end(), out.begin()));
  auto info = InfoJson(scratch / "in.exe");
  EXPECT_NE(info.find("\"kind\":\"package\""), std::string::npos);
  ExpectSameText(WithoutForm1(info), InfoJson(scratch / "out.exe"));
  // The records come back byte for byte, in order.
  auto parsedOut = RunTool({"package", (scratch / "out.exe").string()});
  auto parsedIn = RunTool({"package", (scratch / "in.exe").string()});
  ExpectSameText(WithoutOffsets(parsedIn.output.substr(parsedIn.output.find("\"records\""))),
                 WithoutOffsets(parsedOut.output.substr(parsedOut.output.find("\"records\""))));
}

}  // namespace
}  // namespace kpf::tests
