// Hand-written source folders: the smallest folder packs and loads with the documented
// defaults, references by name resolve, and every kind of bad input ends in a clear error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "render/PngFile.hpp"
#include "tools/ToolRunner.hpp"

namespace kpf::tests {
namespace {

namespace fs = std::filesystem;

void WritePicture(const fs::path& path, int w, int h) {
  fs::create_directories(path.parent_path());
  std::vector<uint32_t> pixels(static_cast<size_t>(w * h), 0x80FF0000u);
  render::WritePng(path.string(), w, h, pixels);
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

ToolResult Pack(const ScratchFolder& scratch, const std::string& json) {
  WriteText(scratch / "src/project.json", json);
  return RunTool({"pack", (scratch / "src").string(), "-o", (scratch / "out.kpf").string()});
}

// Packs `scratch/src` with `json` as a package named `output` around a two-byte player program.
ToolResult PackPackage(const ScratchFolder& scratch, const std::string& json, const std::string& output = "out.exe") {
  WriteText(scratch / "src/project.json", json);
  WriteText(scratch / "player", "MZ");
  return RunTool({"pack", (scratch / "src").string(), "-o", (scratch / output).string(), "--package", "--player",
                  (scratch / "player").string()});
}

TEST(PackHandWritten, SmallestFolderLoadsWithDefaults) {
  ScratchFolder scratch("minimal");
  WritePicture(scratch / "src/idle.png", 6, 4);
  auto result = Pack(scratch, R"({ "project": { "animations": [ { "name": "idle",
      "frames": [ { "image": "idle.png", "duration": 10 } ] } ] } })");
  ASSERT_EQ(result.exitCode, 0) << result.output;
  std::string info = InfoJson(scratch / "out.kpf");
  for (const char* part : {R"("name":"idle","width":6,"height":4,"repeatCount":2,"option":255)",
                           R"("duration":10,"image":0)", R"("width":6,"height":4,"form":0)", R"("hasAlpha":true)"})
    EXPECT_TRUE(Has(info, part)) << part << " in " << info;
  EXPECT_FALSE(Has(info, "\"error\""));
}

TEST(PackHandWritten, NamesResolveToIdsAndMenuScriptsAreNumbered) {
  ScratchFolder scratch("names");
  WritePicture(scratch / "src/a.png", 2, 2);
  WriteText(scratch / "src/beep.wav", "RIFF");
  auto result = Pack(scratch, R"({ "project": {
    "variables": [ { "name": "count", "value": 5 }, { "name": "who", "value": "Bob" } ],
    "scripts": [ { "name": "hello", "actions": [ { "type": 50,
        "params": [ "text", 7, { "kind": 13, "variable": "COUNT" }, { "kind": 65535, "variable": "screen_width" } ] } ] } ],
    "sounds": [ "beep.wav" ],
    "animations": [ { "name": "a", "eventScripts": [ null, null, null, "hello" ],
      "frames": [ { "image": "a.png", "script": "hello", "sounds": [ { "sound": "BEEP.WAV" } ] },
                  { "image": 0 } ] } ],
    "menuEntries": [ { "caption": "Go", "actions": [ { "type": 30 } ] },
                     { "caption": "Hello", "script": "hello" } ] } })");
  ASSERT_EQ(result.exitCode, 0) << result.output;
  std::string info = InfoJson(scratch / "out.kpf");
  EXPECT_TRUE(Has(info, R"("id":1,"name":"COUNT","kind":0,"sysIndex":0,"varType":0,"value":5)")) << info;
  EXPECT_TRUE(Has(info, R"("id":2,"name":"WHO","kind":0,"sysIndex":0,"varType":1,"value":"Bob")"));
  EXPECT_TRUE(Has(info, R"({"kind":1,"int":0,"text":"text"},{"kind":0,"int":7,"text":"7"},{"kind":13,"int":0,"text":""},{"kind":65535,"int":65535,"text":"SCREEN_WIDTH"})"));
  EXPECT_TRUE(Has(info, R"("eventScripts":[-1,-1,-1,1,)"));
  EXPECT_TRUE(Has(info, R"("scriptId":1,"useTransparentColor":false,"transparentColor":0,"sounds":[{"soundIndex":0,"playMode":1}])"));
  EXPECT_TRUE(Has(info, R"({"name":"beep.wav","kind":101,"size":4)"));
  // The loader makes "Script-2" for the first entry; the second names its script.
  EXPECT_TRUE(Has(info, R"("name":"Script-2")"));
  EXPECT_TRUE(Has(info, R"({"caption":"Go","itemKey":"","flags":3,"scriptId":2})"));
  EXPECT_TRUE(Has(info, R"({"caption":"Hello","itemKey":"","flags":3,"scriptId":1})"));
}

struct BadInput {
  const char* name;
  std::string json;
  const char* message;
};

class PackRejects : public ::testing::TestWithParam<BadInput> {};

TEST_P(PackRejects, WithAClearMessage) {
  ScratchFolder scratch(GetParam().name);
  WritePicture(scratch / "src/ok.png", 2, 2);
  WriteText(scratch / "src/bad.png", "not a picture");
  WriteText(scratch / "src/s.wav", "x");
  auto result = Pack(scratch, GetParam().json);
  EXPECT_EQ(result.exitCode, 1) << result.output;
  EXPECT_TRUE(Has(result.output, GetParam().message)) << result.output;
  EXPECT_FALSE(fs::exists(scratch / "out.kpf"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackRejects,
    ::testing::Values(
        BadInput{"syntax", R"({ "project": [ })", "JSON line 1"},
        BadInput{"missingImage", R"({"project":{"animations":[{"frames":[{"image":"gone.png"}]}]}})",
                 "project.animations[0].frames[0].image: gone.png: missing file"},
        BadInput{"badPng", R"({"project":{"images":["bad.png"]}})", "project.images[0]: bad.png"},
        BadInput{"imageIndex", R"({"project":{"images":["ok.png"],"animations":[{"frames":[{"image":1}]}]}})",
                 "image index 1 is beyond the 1 images"},
        BadInput{"noImage", R"({"project":{"animations":[{"frames":[{"duration":3}]}]}})",
                 "an image frame needs an image"},
        BadInput{"escape", R"({"project":{"sounds":["../s.wav"]}})", "leaves the folder"},
        BadInput{"absolute", R"({"project":{"sounds":["/etc/passwd"]}})", "must be relative"},
        BadInput{"soundIndex", R"({"project":{"sounds":["s.wav"],"images":["ok.png"],"animations":[{"frames":[{"image":0,"sounds":[{"soundIndex":1}]}]}]}})",
                 "soundIndex: 1 is outside 0..0"},
        BadInput{"scriptName", R"({"project":{"animations":[{"eventScripts":["nobody"]}]}})",
                 "no script named \"nobody\""},
        BadInput{"variableName", R"({"project":{"scripts":[{"actions":[{"params":[{"kind":14,"variable":"X"}]}]}]}})",
                 "no variable named \"X\""},
        BadInput{"byteRange", R"({"project":{"scripts":[{"actions":[{"params":[{"kind":7,"int":256}]}]}]}})",
                 "256 is outside 0..255"},
        BadInput{"wrongType", R"({"project":{"animations":[{"repeatCount":"two"}]}})",
                 "project.animations[0].repeatCount: expected an integer, found a string"},
        BadInput{"unmappable", R"({"project":{"animations":[{"name":"\u65e5"}]}})",
                 "U+65E5 has no Windows-1252 byte"},
        BadInput{"longName", R"({"project":{"variables":[{"name":")" + std::string(256, 'A') + R"("}]}})",
                 "longer than 255 bytes"},
        BadInput{"dialogFile", R"({"project":{"dialogs":[{"name":"d"}]}})", "a dialog needs its definition file"},
        BadInput{"hex", R"({"project":{"scripts":[{"actions":[{"paramData":"abc"}]}]}})", "odd length"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PackHandWritten, CommandLineFaults) {
  ScratchFolder scratch("cli");
  EXPECT_EQ(RunTool({"pack", (scratch / "src").string()}).exitCode, 2);  // no -o
  auto missing = RunTool({"pack", (scratch / "nothing").string(), "-o", (scratch / "o").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(Has(missing.output, "source folder")) << missing.output;
  WriteText(scratch / "src/project.json", "{}");
  auto noPlayer = RunTool({"pack", (scratch / "src").string(), "-o", (scratch / "o").string(),
                           "--package", "--player", (scratch / "absent").string()});
  EXPECT_EQ(noPlayer.exitCode, 1);
  EXPECT_TRUE(Has(noPlayer.output, "player program")) << noPlayer.output;
  auto noProject = RunTool({"extract", (scratch / "absent.kpf").string(), (scratch / "x").string()});
  EXPECT_EQ(noProject.exitCode, 1);
  WriteText(scratch / "junk.kpf", "definitely not zlib");
  EXPECT_EQ(RunTool({"extract", (scratch / "junk.kpf").string(), (scratch / "x").string()}).exitCode, 1);
}

// Without a record list the header is followed directly by the trailer; a resources folder gives
// one named-file record per file, in name order. Extract refuses the package once the named
// file's record length grows huge.
TEST(PackHandWritten, PackageRecordsFromTheResourcesFolderAndADamagedTail) {
  ScratchFolder scratch("resources");
  ASSERT_EQ(PackPackage(scratch, R"({"header":{"title":"Solo"}})", "solo.exe").exitCode, 0);
  std::string info = InfoJson(scratch / "solo.exe");
  EXPECT_TRUE(Has(info, R"("title":"Solo")")) << info;
  EXPECT_TRUE(Has(info, R"("resources":[])")) << info;
  EXPECT_FALSE(Has(info, "\"error\"")) << info;
  WriteText(scratch / "src/resources/b.txt", "bee");
  WriteText(scratch / "src/resources/a.txt", "ay");
  auto result = PackPackage(scratch, "{}");
  ASSERT_EQ(result.exitCode, 0) << result.output;
  info = InfoJson(scratch / "out.exe");
  EXPECT_TRUE(Has(info, R"([{"tag":202,"name":"a.txt","size":2,"extracted":false},{"tag":202,"name":"b.txt","size":3)")) << info;

  auto bytes = ReadBytes(scratch / "out.exe");
  const uint8_t named[] = {202, 0, 0, 0};  // the tag of the last named file, then its length
  auto tag = std::find_end(bytes.begin(), bytes.end(), std::begin(named), std::end(named));
  ASSERT_NE(tag, bytes.end());
  tag[4] = 0xFF;
  tag[7] = 0x7F;
  WriteBytes(scratch / "bad.exe", bytes);
  result = RunTool({"extract", (scratch / "bad.exe").string(), (scratch / "out").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Has(result.output, "damaged package")) << result.output;
}

TEST(PackHandWritten, RecordsListIsWrittenInOrder) {
  ScratchFolder scratch("records");
  WriteText(scratch / "src/resources/a.txt", "ay");
  WriteText(scratch / "src/resources/ignored.txt", "not listed");
  auto result = PackPackage(scratch, R"({
    "project": { "variables": [ { "name": "count", "id": 7 } ] },
    "records": [ { "tag": 203, "variable": "Count", "value": 9 },
                 { "tag": 203, "id": 8, "value": "text" },
                 { "tag": 202, "file": "resources/a.txt", "name": "sub\\a.txt" },
                 { "tag": 150 } ] })");
  ASSERT_EQ(result.exitCode, 0) << result.output;
  auto records = RunTool({"package", (scratch / "out.exe").string()}).output;
  EXPECT_TRUE(Has(records, R"("tag":203,"kind":"variable","length":9,"variable":{"id":7,"kind":0,"value":9})")) << records;
  EXPECT_TRUE(Has(records, R"("variable":{"id":8,"kind":1,"value":"text"})"));
  EXPECT_TRUE(Has(records, R"("fileName":"sub\\a.txt","contentLength":2)"));
  EXPECT_TRUE(Has(records, R"("tag":150,"kind":"unknown","length":0})"));
  EXPECT_FALSE(Has(records, "ignored.txt"));
}

}  // namespace
}  // namespace kpf::tests
