// Dialogs through kpftool: `info` lists each dialog's objects, a definition that fails part-way
// keeps what came before it, extract writes editable JSON with picture files that pack turns back
// into the same bytes, and `run` drives a dialog by its --dialog-* switches.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dialogs/DialogBytes.hpp"
#include "dialogs/DialogDefinition.hpp"
#include "project/ProjectLoader.hpp"
#include "project/ProjectWriter.hpp"
#include "tools/ToolRunner.hpp"
#include "tools/kpftool/JsonDocument.hpp"

namespace kpf::tests {
namespace {

namespace fs = std::filesystem;
using tools::Json;

// A dialog with one object of every class, as the authoring tool writes it.
std::vector<uint8_t> EveryClassDialog() {
  test::FormFields form;
  form.common.name = "All";
  form.background = test::SolidBmp(4, 3, 0x102030);
  form.backgroundKind = '3';
  form.onShow = 1;
  return test::Join({
      test::FormRecord(form),
      test::LabelRecord("Hi", {"Lbl", 1, 2, 3, 4, 0, 1, 0, 1, 1, 0, {3}}),
      test::ImageRecord({"Photo"}, test::SolidJpeg(5, 5, 0x00FF00), '4', 0xFF00FF),
      test::EditRecord("Ann", {"Ed"}, 2, 1),
      test::ButtonRecord("OK", {"Ok"}, 1, "go"),
      test::ComboRecord({"x", "y"}, {"Cb", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, test::ComboExtension(1, 0, 0)}),
      test::RadioRecord({"r1"}, "Pick", {"Rg"}),
      test::ListRecord({"l1", "l2"}, {"Lb"}),
      test::CheckRecord("Agree", "yes", 1, {"Cx"}),
      test::MemoRecord({"one", "two"}, {"Me"}),
      test::HtmlFileRecord({"Web", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, {4, 0, 0, 0, 5, 0, 0, 0}}),
      test::FlashRecord({"Fl"}),
      test::BevelRecord({"Bv"}, 1, 2),
      test::BitBtnRecord({"Bb"}, 0, test::SolidBmp(2, 2, 0xFF0000), {}, test::SolidBmp(2, 2, 0x0000FF)),
      test::EndRecord(),
  });
}

project::ProjectSource WithDialogs(std::vector<project::TTaviDialog> dialogs) {
  project::ProjectSource source;
  source.Images.push_back({.Width = 2, .Height = 2, .Form = 0, .Pixels = std::vector<uint8_t>(16, 200)});
  source.Scripts.push_back({});
  source.Scripts[0].Id = 1;
  source.Scripts[0].Name = "main";
  source.NextScriptId = 2;
  source.Dialogs = std::move(dialogs);
  source.NextDialogId = static_cast<int32_t>(source.Dialogs.size() + 1);
  return source;
}

fs::path WriteProject(const ScratchFolder& folder, const project::ProjectSource& source) {
  const fs::path file = folder / "dialogs.kpf";
  WriteBytes(file, project::BuildProjectFile(source));
  return file;
}

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& member : object.items()) keys.push_back(member.key());
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::vector<std::string> Sorted(std::vector<std::string> keys) {
  std::sort(keys.begin(), keys.end());
  return keys;
}

const std::vector<std::string> kCommonKeys = {"type", "class", "name", "left", "top", "width", "height", "tag",
                                              "visible", "cursor", "includeOnSubmit", "enabled", "showPopup",
                                              "value", "scripts"};

std::vector<std::string> CommonAnd(std::vector<std::string> own) {
  own.insert(own.end(), kCommonKeys.begin(), kCommonKeys.end());
  return Sorted(own);
}

TEST(DialogTool, InfoListsEveryObjectWithTheMembersOfItsClass) {
  ScratchFolder folder("dialog-info");
  const Json info = tools::ParseJson(InfoJson(WriteProject(folder, WithDialogs({{1, "All", EveryClassDialog()}}))));
  const Json& dialog = info.at("project").at("dialogs").at(0);
  EXPECT_EQ(tools::JsonMember(dialog, "error"), nullptr);
  const auto& objects = dialog.at("objects");
  ASSERT_EQ(objects.size(), 14u);
  const std::vector<std::vector<std::string>> own = {
      {"caption", "color", "borderStyle", "position", "borderless", "borderIcons", "actionURL", "alwaysOnTop",
       "fullScreen", "dragable", "background"},
      {"caption", "wordWrap", "autoSize", "transparent", "font"},
      {"image"},
      {"text", "passwordField", "font"},
      {"caption", "mode", "submitValue", "font"},
      {"items", "itemIndex", "mode", "sorted", "font"},
      {"caption", "color", "items", "font"},
      {"items", "font"},
      {"caption", "checkedValue", "checked", "font"},
      {"lines", "font"},
      {"html"},
      {"flashFile"},
      {"style", "shape"},
      {"mode", "submitValue", "idle", "hover", "click"},
  };
  const char* classes[] = {"TMyForm",     "TMyLabel",   "TMyImage",   "TMyEdit", "TMyButton",
                           "TMyComboBox", "TMyRadioGroup", "TMyListBox", "TMyCheckBox", "TMyMemo",
                           "TMyHTML",     "TMyFlash",   "TMyBevel",   "TMyBitBtn"};
  for (size_t i = 0; i < objects.size(); ++i) {
    EXPECT_EQ(Keys(objects[i]), CommonAnd(own[i])) << classes[i];
    EXPECT_EQ(objects[i].at("class").get<std::string>(), classes[i]);
    EXPECT_EQ(objects[i].at("type").get<int64_t>(), static_cast<int64_t>(i + 1));
  }
  EXPECT_EQ(Keys(*tools::JsonMember(objects[0], "scripts")), Sorted({"OnShow", "OnClose", "OnClick"}));
  EXPECT_EQ(objects[0].at("scripts").at("OnShow").get<int64_t>(), 1);
  EXPECT_EQ(Keys(*tools::JsonMember(objects[13], "scripts")), Sorted({"OnClick", "OnChangeBitmap"}));
  EXPECT_EQ(Keys(*tools::JsonMember(objects[11], "scripts")),
            Sorted({"OnDownloadError", "OnDownloadStart", "OnDownloadData", "OnDownloadEnd"}));
  EXPECT_EQ(Keys(*tools::JsonMember(objects[0], "background")), Sorted({"kind", "transparentColor", "size"}));
  EXPECT_EQ(Keys(*tools::JsonMember(objects[1], "font")), Sorted({"name", "color", "size", "style", "charset", "height"}));
  EXPECT_EQ(Keys(*tools::JsonMember(objects[10], "html")), Sorted({"fileName", "lines", "size", "url", "kind"}));
  EXPECT_EQ(Keys(*tools::JsonMember(objects[11], "flashFile")), Sorted({"fileName", "size", "url", "kind"}));
  EXPECT_EQ(objects[3].at("value").get<std::string>(), "Ann");
  EXPECT_EQ(objects[4].at("value").get<std::string>(), "go");
  EXPECT_EQ(objects[8].at("value").get<std::string>(), "yes");
  EXPECT_EQ(objects[9].at("value").get<std::string>(), "one\r\ntwo\r\n");
  EXPECT_EQ(objects[5].at("itemIndex").get<int64_t>(), 1);
}

TEST(DialogTool, ABrokenDefinitionListsTheObjectsBeforeTheFaultAndTheProjectStillLoads) {
  ScratchFolder folder("dialog-broken");
  test::ByteBuilder bad;
  bad.i32(1 << 30).u16(2);
  const auto broken = test::Join({test::LabelRecord("first", {"First"}), bad.bytes(), test::LabelRecord("x", {"Lost"})});
  const auto result = RunTool({"info", WriteProject(folder, WithDialogs({{1, "Broken", broken}, {2, "All", EveryClassDialog()}})).string()});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  const Json info = tools::ParseJson(InfoJson(folder / "dialogs.kpf"));
  const auto& dialogs = info.at("project").at("dialogs");
  ASSERT_EQ(dialogs.size(), 2u);
  ASSERT_EQ(dialogs[0].at("objects").size(), 1u);
  EXPECT_EQ(dialogs[0].at("objects")[0].at("name").get<std::string>(), "First");
  ASSERT_NE(tools::JsonMember(dialogs[0], "error"), nullptr);
  EXPECT_EQ(dialogs[1].at("objects").size(), 14u);
  EXPECT_EQ(tools::JsonMember(info, "error"), nullptr);
}

std::vector<project::TTaviDialog> Packed(const fs::path& file) {
  project::ProjectModel model;
  project::LoadProjectStream(ReadBytes(file), model);
  return model.Dialogs;
}

TEST(DialogTool, ExtractWritesEditableJsonThatPacksIntoTheSameBytes) {
  ScratchFolder folder("dialog-roundtrip");
  // The second definition holds a record the objects do not keep (an unknown type code): it
  // stays raw and comes back unchanged too.
  test::ByteBuilder unknown;
  unknown.nul("opaque");
  const std::vector<uint8_t> odd = test::Join({test::Record(42, unknown), test::LabelRecord("a", {"A"}), test::EndRecord()});
  // The third stores no picture or file: it has no folder of its own, its JSON is still written.
  auto form = dialogs::CreateObject(static_cast<uint16_t>(dialogs::ObjectType::Form));
  form->Name = "Plain";
  const std::vector<uint8_t> plain = dialogs::WriteDefinition({form});
  const fs::path original =
      WriteProject(folder, WithDialogs({{1, "All", EveryClassDialog()}, {7, "Odd", odd}, {8, "Plain", plain}}));
  const fs::path source = folder / "source";
  ASSERT_EQ(RunTool({"extract", original.string(), source.string()}).exitCode, 0);
  EXPECT_TRUE(fs::exists(source / "dialogs" / "0000.json"));
  EXPECT_TRUE(fs::exists(source / "dialogs" / "0001.bin"));
  EXPECT_TRUE(fs::exists(source / "dialogs" / "0002.json"));
  EXPECT_TRUE(fs::exists(source / "dialogs" / "0000" / "Photo-image.jpg"));
  EXPECT_TRUE(fs::exists(source / "dialogs" / "0000" / "All-background.bmp"));
  const fs::path packed = folder / "packed.kpf";
  const auto result = RunTool({"pack", source.string(), "-o", packed.string()});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const auto before = Packed(original);
  const auto after = Packed(packed);
  ASSERT_EQ(after.size(), 3u);
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].ID, before[i].ID);
    EXPECT_EQ(after[i].Name, before[i].Name);
    EXPECT_EQ(after[i].Definition, before[i].Definition) << after[i].Name;
  }

  // The JSON is the source: an edited caption is what pack stores.
  std::ifstream in(source / "dialogs" / "0000.json");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t at = text.find("\"caption\": \"Hi\"");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 15, "\"caption\": \"Hey\"");
  WriteText(source / "dialogs" / "0000.json", text);
  ASSERT_EQ(RunTool({"pack", source.string(), "-o", packed.string()}).exitCode, 0);
  const Json info = tools::ParseJson(InfoJson(packed));
  const Json& label = info.at("project").at("dialogs")[0].at("objects")[1];
  EXPECT_EQ(label.at("caption").get<std::string>(), "Hey");
}

TEST(DialogTool, RunDrivesADialogThatAStartScriptShowsModally) {
  ScratchFolder folder("dialog-run");
  test::FormFields form;
  form.common.name = "Ask";
  project::ProjectSource source = WithDialogs(
      {{1, "Ask", test::Join({test::FormRecord(form), test::EditRecord("", {"Name"}, 3),
                              test::ButtonRecord("OK", {"Ok"}, 0, "", 2), test::EndRecord()})}});
  // Script 1 runs at start and waits in the modal dialog; 2 is the button's, 3 the edit's.
  auto act = [](int32_t type, std::vector<uint8_t> params) {
    project::TKPFExeAction action;
    action.ActionType = type;
    action.Name = "a";
    action.Flags = 1;
    action.ParamData = std::move(params);
    return action;
  };
  auto ints = [](std::vector<int32_t> values) {
    test::ByteBuilder b;
    for (int32_t v : values) b.i32(0).i32(v);
    return b.bytes();
  };
  source.Scripts[0].Trigger = 2;
  source.Scripts[0].Actions = {act(16, ints({1, 1}))};
  source.Scripts.push_back({});
  source.Scripts[1].Id = 2;
  source.Scripts[1].Name = "ok";
  source.Scripts[1].Actions = {act(17, ints({1}))};
  source.Scripts.push_back({});
  source.Scripts[2].Id = 3;
  source.Scripts[2].Name = "typed";
  source.NextScriptId = 4;
  source.OptionFlags = {0, 1, 1};
  const fs::path file = WriteProject(folder, source);
  const auto result = RunTool({"run", file.string(), "--trace", "--seconds", "3", "--dialog-text", "Ask.Name=Zoe@500",
                               "--dialog-click", "ok@700", "--dialog-close", "Ask@900", "--dialog-click", "Nope@800"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const std::string& trace = result.output;
  const size_t shown = trace.find("dialog-show id=1 name=\"Ask\" mode=1");
  const size_t typed = trace.find("500 control dialog=\"ASK\" name=\"Name\" event=\"change\" value=\"Zoe\"");
  const size_t clicked = trace.find("700 control dialog=\"ASK\" name=\"Ok\" event=\"click\"");
  const size_t hidden = trace.find("dialog-hide id=1");
  ASSERT_NE(shown, std::string::npos) << trace;
  ASSERT_NE(typed, std::string::npos) << trace;
  ASSERT_NE(clicked, std::string::npos) << trace;
  ASSERT_NE(hidden, std::string::npos) << trace;
  EXPECT_LT(shown, typed);
  EXPECT_LT(clicked, hidden);
  EXPECT_NE(trace.find("800 dialog-missing name=\"Nope\""), std::string::npos) << trace;
  // Hidden by the button's script, the dialog is no longer there to close.
  EXPECT_NE(trace.find("900 dialog-missing name=\"Ask\""), std::string::npos) << trace;
}

}  // namespace
}  // namespace kpf::tests
