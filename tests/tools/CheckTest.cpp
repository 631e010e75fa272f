// kpftool check on small characters built here: a clean one gives no finding, and each broken
// one (one fault each) gives its finding at the right place with the right severity and exit
// status; the bundled sample gives no error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/DialogDefinition.hpp"
#include "project/ByteBuilder.hpp"
#include "project/ProjectWriter.hpp"
#include "tools/ToolRunner.hpp"
#include "tools/kpftool/JsonDocument.hpp"

namespace kpf::tests {
namespace {

namespace fs = std::filesystem;
using project::TKPFExeAction;
using test::ByteBuilder;
using tools::Json;

// Parameter entries of the packed block.
ByteBuilder& Int(ByteBuilder& b, int32_t value) { return b.i32(0).i32(value); }
ByteBuilder& Text(ByteBuilder& b, const std::string& text) { return b.i32(1).nul(text); }
ByteBuilder& Byte(ByteBuilder& b, uint8_t value) { return b.i32(7).u8(value); }
ByteBuilder& Variable(ByteBuilder& b, int32_t id) { return b.i32(13).i32(id); }

TKPFExeAction Item(int32_t type, const ByteBuilder& params = ByteBuilder()) {
  TKPFExeAction item;
  item.Name = "item";
  item.ActionType = type;
  item.Flags = 1;
  item.ParamData = params.bytes();
  return item;
}
TKPFExeAction TextItem(int32_t type, const std::string& text) {
  ByteBuilder b;
  return Item(type, Text(b, text));
}
TKPFExeAction IdItem(int32_t type, int32_t id) {
  ByteBuilder b;
  return Item(type, Int(b, id));
}
project::TTaviScript Script(int32_t id, const std::string& name, std::vector<TKPFExeAction> actions = {}) {
  project::TTaviScript script;
  script.Id = id;
  script.Name = name;
  script.Actions = std::move(actions);
  return script;
}
TKPFExeAction CallScript(int32_t id) { return IdItem(20, id); }
TKPFExeAction NewTimer(int32_t scriptId) {
  ByteBuilder b;
  Variable(b, 1);
  Int(b, scriptId);
  Text(b, "100");
  return Item(116, Text(b, "0"));
}
TKPFExeAction ShowDialog(int32_t id) {
  ByteBuilder b;
  Int(b, id);
  return Item(16, Byte(b, 0));
}
TKPFExeAction PlaySound(const std::string& name) {
  ByteBuilder b;
  Text(b, name);
  return Item(19, Byte(b, 0));
}
// LoadTextFile, FileExists: the variable, then the file name.
TKPFExeAction FileItem(int32_t type, const std::string& file) {
  ByteBuilder b;
  Variable(b, 1);
  return Item(type, Text(b, file));
}
TKPFExeAction SetText(int32_t variableId, const std::string& text) {
  ByteBuilder b;
  Variable(b, variableId);
  return Item(21, Text(b, text));
}

// A dialog "Ask" (ID 1) with a form and a button "OK" whose click runs `clickScript`.
project::TTaviDialog AskDialog(int32_t clickScript) {
  auto form = dialogs::CreateObject(static_cast<uint16_t>(dialogs::ObjectType::Form));
  form->Name = "Ask";
  auto button = dialogs::CreateObject(static_cast<uint16_t>(dialogs::ObjectType::Button));
  button->Name = "OK";
  button->Scripts[dialogs::kOnClick] = clickScript;
  return {1, "Ask", dialogs::WriteDefinition({form, button})};
}

// Every kind of reference the checks follow, all of them leading somewhere; every block matched.
// Script "greet" (ID 1) runs on a click of "idle"; "answer" (ID 2) from the menu entry and the
// dialog's button; "tick" (ID 3) from a timer.
project::ProjectSource CleanCharacter() {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images = {{.Width = 2, .Height = 2, .Pixels = std::vector<uint8_t>(16, 0xFF)}};
  project::AnimationSource idle;
  idle.Id = 1;
  idle.Name = "idle";
  idle.Width = idle.Height = 2;
  idle.Frames = {{.BitmapIndex = 0, .Duration = 10}};
  idle.EventScripts[3] = 1;
  source.Animations = {idle};
  source.Sounds = {{.Name = "beep.wav", .Data = {'R', 'I', 'F', 'F'}}};
  project::TPlayList tour;
  tour.Name = "TOUR";
  tour.Items = {"idle", "<<RANDOM:TOUR>>"};
  source.PlayLists = {tour};
  source.Variables = {{.ID = 1, .Name = "NAME", .Flags = 1, .TextValue = "Ann"}};
  source.NextVariableId = 2;
  source.Dialogs = {AskDialog(2)};
  source.NextDialogId = 2;
  source.Menus = {{.Caption = "Say hi", .ScriptId = 2}};
  source.Scripts = {
      Script(1, "greet", {
          TextItem(1, "idle"), TextItem(1, "\"id\" & \"le\""), TextItem(1, "<%NAME%>"), TextItem(1, "<<RANDOM:TOUR>>"),
          TextItem(14, "tour"), PlaySound("BEEP.WAV"), ShowDialog(1), NewTimer(3),
          TextItem(27, "1 = 1"), SetText(1, "<%name%> and <%SCREEN_WIDTH%>"), IdItem(28, 0), CallScript(2), IdItem(29, 0),
          TextItem(30, "1 = 0"), IdItem(40, 0), IdItem(31, 0),
          FileItem(147, "notes.txt"), TextItem(0, "https://example.org/"), TextItem(15, "{temp}\\tool.sh")}),
      Script(2, "answer", {TextItem(2, "Hello, <%NAME%>")}),
      Script(3, "tick"),
  };
  source.NextScriptId = 4;
  return source;
}

project::TTaviScript& Greet(project::ProjectSource& s) { return s.Scripts[0]; }
void AddToGreet(project::ProjectSource& s, TKPFExeAction item) { Greet(s).Actions.push_back(std::move(item)); }
int GreetItems() { return static_cast<int>(CleanCharacter().Scripts[0].Actions.size()); }

// Which member names the part inside the place.
enum class PlaceType { Null, Integer, String };

struct BrokenCase {
  const char* name;
  std::function<void(project::ProjectSource&)> breakIt;
  std::string severity;
  std::string partKind, partName;  // "script" and "greet" ...
  std::string placeKey;            // "item", "frame", "object", "entry" or empty
  PlaceType placeType = PlaceType::Null;
  int64_t number = 0;
  std::string objectName;
  std::string says;  // part of the message
};

class CheckTest : public ::testing::Test {
 protected:
  CheckTest() : scratch_("check") {}

  fs::path Write(const project::ProjectSource& source, const std::string& name) {
    const fs::path path = scratch_ / (name + ".kpf");
    WriteBytes(path, project::BuildProjectFile(source));
    return path;
  }

  ScratchFolder scratch_;
};

TEST_F(CheckTest, CleanCharacterGivesNoFinding) {
  const ToolResult result = RunTool({"check", Write(CleanCharacter(), "clean").string()});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
}

TEST_F(CheckTest, EachFaultIsNamedAtItsPlace) {
  const int next = GreetItems() + 1;  // the item number a fault appended to "greet" gets
  using T = PlaceType;
  const std::vector<BrokenCase> cases = {
      {"call", [](auto& s) { AddToGreet(s, CallScript(99)); }, "error", "script", "greet", "item", T::Integer, next, "", "script 99"},
      {"timer", [](auto& s) { AddToGreet(s, NewTimer(77)); }, "error", "script", "greet", "item", T::Integer, next, "", "script 77"},
      {"menu", [](auto& s) { s.Menus[0].ScriptId = 55; }, "error", "menu", "Say hi", "", T::Null, 0, "", "script 55"},
      {"menu action", [](auto& s) {
         s.Menus[0].Actions = {CallScript(98)};  // made into the script the entry starts
         s.WriteMenuExtras = false;
       }, "error", "script", "Script-4", "item", T::Integer, 1, "", "script 98"},
      {"dialog object", [](auto& s) { s.Dialogs = {AskDialog(66)}; }, "error", "dialog", "Ask", "object", T::String, 0, "OK", "script 66"},
      {"trigger table", [](auto& s) { s.Animations[0].EventScripts[5] = 44; }, "error", "animation", "idle", "", T::Null, 0, "", "slot 5"},
      {"frame", [](auto& s) { s.Animations[0].Frames[0].ScriptId = 45; }, "error", "animation", "idle", "frame", T::Integer, 1, "", "script 45"},
      {"animation", [](auto& s) { AddToGreet(s, TextItem(1, "\"ru\" & \"n\"")); }, "error", "script", "greet", "item", T::Integer, next, "", "\"run\""},
      {"lower-case random", [](auto& s) { AddToGreet(s, TextItem(1, "<<RANDOM:tour>>")); }, "error", "script", "greet", "item", T::Integer, next, "", "upper case"},
      {"play list", [](auto& s) { AddToGreet(s, TextItem(14, "walks")); }, "error", "script", "greet", "item", T::Integer, next, "", "\"walks\""},
      {"play-list entry", [](auto& s) { s.PlayLists[0].Items.push_back("fly"); }, "error", "playList", "TOUR", "entry", T::Integer, 3, "", "\"fly\""},
      {"sound", [](auto& s) { AddToGreet(s, PlaySound("boom.wav")); }, "error", "script", "greet", "item", T::Integer, next, "", "boom.wav"},
      {"dialog", [](auto& s) { AddToGreet(s, ShowDialog(9)); }, "error", "script", "greet", "item", T::Integer, next, "", "dialog 9"},
      {"variable", [](auto& s) { AddToGreet(s, SetText(8, "x")); }, "error", "script", "greet", "item", T::Integer, next, "", "variable"},
      {"tag", [](auto& s) { s.Scripts[1].Actions[0] = TextItem(2, "Hi <%NICK%>"); }, "warning", "script", "answer", "item", T::Integer, 1, "", "<%NICK%>"},
      {"if", [](auto& s) { AddToGreet(s, TextItem(27, "1 = 1")); }, "error", "script", "greet", "item", T::Integer, next, "", "END IF"},
      {"while", [](auto& s) { AddToGreet(s, TextItem(30, "1 = 1")); }, "error", "script", "greet", "item", T::Integer, next, "", "END WHILE"},
      {"next", [](auto& s) { AddToGreet(s, IdItem(145, 0)); }, "warning", "script", "greet", "item", T::Integer, next, "", "FOR"},
      {"break", [](auto& s) { AddToGreet(s, IdItem(40, 0)); }, "error", "script", "greet", "item", T::Integer, next, "", "BREAK"},
      {"empty code", [](auto& s) { AddToGreet(s, IdItem(7, 0)); }, "warning", "script", "greet", "item", T::Integer, next, "", "code 7"},
      {"code above 230", [](auto& s) { AddToGreet(s, IdItem(231, 0)); }, "warning", "script", "greet", "item", T::Integer, next, "", "231"},
      {"climbing name", [](auto& s) { AddToGreet(s, FileItem(149, "..\\..\\boot.ini")); }, "warning", "script", "greet", "item", T::Integer, next, "", "boot.ini"},
      {"drive letter", [](auto& s) { AddToGreet(s, FileItem(147, "C:\\autoexec.bat")); }, "warning", "script", "greet", "item", T::Integer, next, "", "refused"},
      {"windows program", [](auto& s) { AddToGreet(s, TextItem(15, "setup.exe")); }, "warning", "script", "greet", "item", T::Integer, next, "", "Windows program"},
      {"file address", [](auto& s) { AddToGreet(s, TextItem(0, "file:///etc/passwd")); }, "warning", "script", "greet", "item", T::Integer, next, "", "file:///etc/passwd"},
      {"unreached", [](auto& s) { s.Scripts.push_back(Script(4, "lonely")); }, "note", "script", "lonely", "", T::Null, 0, "", "starts this script"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    project::ProjectSource source = CleanCharacter();
    c.breakIt(source);
    const ToolResult result = RunTool({"check", "--json", Write(source, "broken").string()});
    EXPECT_EQ(result.exitCode, c.severity == "error" ? 1 : 0) << result.output;
    const Json findings = tools::ParseJson(result.output);
    ASSERT_EQ(findings.size(), 1u) << result.output;
    const Json& finding = findings[0];
    EXPECT_EQ(finding.at("severity").get<std::string>(), c.severity);
    ASSERT_NE(tools::JsonMember(finding, c.partKind), nullptr) << result.output;
    EXPECT_EQ(finding.at(c.partKind).get<std::string>(), c.partName);
    if (c.placeType == T::Integer) {
      ASSERT_NE(tools::JsonMember(finding, c.placeKey), nullptr) << result.output;
      EXPECT_EQ(finding.at(c.placeKey).get<int64_t>(), c.number);
    } else if (c.placeType == T::String) {
      ASSERT_NE(tools::JsonMember(finding, c.placeKey), nullptr) << result.output;
      EXPECT_EQ(finding.at(c.placeKey).get<std::string>(), c.objectName);
    }
    EXPECT_NE(finding.at("message").get<std::string>().find(c.says), std::string::npos) << result.output;
  }
}

// A package of the clean character with the given records, behind a two-byte program.
std::vector<uint8_t> CleanPackage(const std::vector<project::PackageRecord>& records) {
  const std::vector<uint8_t> program = {'M', 'Z'};
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(CleanCharacter()));
  return project::BuildPackage(program, block, {"3.0", "", "Pip", 0}, records);
}

// The file offset of the first record of CleanPackage: program, block length, block, header.
size_t FirstRecordOffset() {
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(CleanCharacter()));
  return 2 + 4 + block.size() + std::string("3.0").size() + 1 + 1 + std::string("Pip").size() + 1 + 4;
}

std::vector<uint8_t> CleanWith(const std::function<void(project::ProjectSource&)>& breakIt) {
  project::ProjectSource source = CleanCharacter();
  breakIt(source);
  return project::BuildProjectFile(source);
}

struct LoadProblemCase {
  const char* name;
  std::function<std::vector<uint8_t>()> file;
  std::string severity;
  std::string where;  // the start of the place the loader names
  std::string says;   // part of the message
};

TEST_F(CheckTest, EachLoadProblemIsNamedAtItsPlace) {
  const int next = GreetItems() + 1;
  const std::string item = "script \"greet\" item " + std::to_string(next);
  const std::vector<LoadProblemCase> cases = {
      {"unknown section", [] { return CleanWith([](auto& s) { s.ExtraSections = {{700, {1, 2, 3}}}; }); },
       "warning", "section 700 at offset ", "unknown section of 3 bytes"},
      {"reserved section", [] { return CleanWith([](auto& s) { s.ExtraSections = {{653, {1, 2, 3}}}; }); },
       "", "", ""},
      {"bytes after the last field", [] {
         return CleanWith([](auto& s) { s.ExtraSections = {{144, ByteBuilder().i32(1).nul("Open").u8(9).bytes()}}; });
       }, "warning", "section 144", "1 bytes after its last field"},
      {"bytes after the last sound", [] {  // a section read while the stream inflates
         return CleanWith([](auto& s) { s.ExtraSections = {{129, ByteBuilder().i32(0).u8(1).u8(2).bytes()}}; });
       }, "warning", "section 129", "2 bytes after its last field"},
      {"second option flags", [] {
         return CleanWith([](auto& s) { s.ExtraSections = {{131, ByteBuilder().i32(1).u8(0).bytes()}}; });
       }, "error", "section 131", "replaces"},
      {"menu extras for other entries", [] {
         return CleanWith([](auto& s) { s.ExtraSections = {{137, ByteBuilder().i32(3).bytes()}}; });
       }, "error", "section 137", "for 3 menu entries, the project has 1"},
      {"sound index", [] { return CleanWith([](auto& s) { s.Animations[0].Frames[0].Sounds = {{5, 0}}; }); },
       "error", "animation \"idle\" frame 1", "sound index 5"},
      {"stored outline", [] {
         return CleanWith([](auto& s) { s.Animations[0].Frames[0].Region = {0, 0, 0, 0, 9, 0}; });
       }, "warning", "animation \"idle\" frame 1", "outline"},
      {"trigger slots", [] {
         return CleanWith([](auto& s) {
           s.Animations[0].EventScripts.resize(project::kEventScriptSlots + 2, -1);
           s.Animations[0].EventScripts.back() = 1;
         });
       }, "warning", "animation \"idle\"", "1 scripts of its trigger table"},
      {"cut-short parameters", [] {
         return CleanWith([](auto& s) { AddToGreet(s, Item(2, ByteBuilder().i32(1).nul("Hi").i32(0).u8(7))); });
       }, "error", item, "last 5 bytes"},
      {"cursor properties", [] {
         return CleanWith([](auto& s) { s.ExtraSections = {{655, ByteBuilder().i32(1).i32(-5).bytes()}}; });
       }, "error", "section 655", "Properties read error: Invalid property name index"},
      {"wrong magic", [] {
         return project::CompressProject(ByteBuilder().nul("KPF3").u16(255).i32(0).bytes());
       }, "error", "project stream", "\"KPF2\""},
      {"record name", [] { return CleanPackage({{202, ByteBuilder().nul("").text("x").bytes()}}); },
       "error", "record 1 (tag 202) at offset ", "empty name"},
      {"record value", [] { return CleanPackage({{203, ByteBuilder().i32(1).u8(0).u8(1).bytes()}}); },
       "error", "record 1 (tag 203)", "bad variable value"},
      {"value kind", [] { return CleanPackage({{203, ByteBuilder().i32(1).u8(4).bytes()}}); },
       "error", "record 1 (tag 203)", "kind 4"},
      {"value of no variable", [] { return CleanPackage({{203, ByteBuilder().i32(9).u8(0).i32(1).bytes()}}); },
       "warning", "initial value of variable 9", "no variable"},
      {"unknown record", [] { return CleanPackage({{777, {1}}}); }, "warning", "record 1 (tag 777)", "unknown record"},
      {"record beyond the package", [] {
         std::vector<uint8_t> file = CleanPackage({{202, ByteBuilder().nul("a.txt").text("x").bytes()}});
         file[FirstRecordOffset() + 7] = 0x7F;  // the length's high byte
         return file;
       }, "error", "package", "not read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = scratch_ / "problem.kpf";
    WriteBytes(path, c.file());
    const ToolResult result = RunTool({"check", "--json", path.string()});
    const Json findings = tools::ParseJson(result.output);
    if (c.severity.empty()) {
      EXPECT_EQ(result.exitCode, 0);
      EXPECT_TRUE(findings.empty()) << result.output;
      continue;
    }
    EXPECT_EQ(result.exitCode, c.severity == "error" ? 1 : 0) << result.output;
    ASSERT_EQ(findings.size(), 1u) << result.output;
    const Json& finding = findings[0];
    EXPECT_EQ(finding.at("severity").get<std::string>(), c.severity);
    ASSERT_NE(tools::JsonMember(finding, "load"), nullptr) << result.output;
    EXPECT_EQ(finding.at("load").get<std::string>().rfind(c.where, 0), 0u) << result.output;
    EXPECT_NE(finding.at("message").get<std::string>().find(c.says), std::string::npos) << result.output;
  }
}

// The text lines name severity, place (as the loader gave it, for load problems) and fault.
TEST_F(CheckTest, LinesNameSeverityPlaceAndFault) {
  project::ProjectSource source = CleanCharacter();
  source.Animations[0].Frames[0].Sounds = {{3, 0}};
  source.Scripts[1].Actions.push_back(CallScript(12));
  const ToolResult result = RunTool({"check", Write(source, "line").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            "error: animation \"idle\" frame 1: sound index 3 names no sound of the project: the frame does not play it\n"
            "error: script \"answer\" item 2: parameter 1 names script 12, which does not exist\n");
}

TEST_F(CheckTest, UnreadableFileExitsWithTwo) {
  const fs::path garbage = scratch_ / "garbage.kpf";
  WriteText(garbage, "not a character");
  EXPECT_EQ(RunTool({"check", garbage.string()}).exitCode, 2);
  EXPECT_EQ(RunTool({"check", (scratch_ / "missing.kpf").string()}).exitCode, 2);
}

TEST_F(CheckTest, BundledSampleHasNoError) {
  const ToolResult result = RunTool({"check", KPF_SAMPLE_PATH});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(result.output.find("error:"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace kpf::tests
