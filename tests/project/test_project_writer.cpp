// The writer: streams it builds load back to the same model (its package images are checked
// against the container layout with the package tests).
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/ProjectLoader.hpp"
#include "project/ProjectWriter.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;

namespace {

ProjectSource FullSource() {
  ProjectSource s;
  s.NextScriptId = 5;
  TKPFExeAction action;
  action.Name = "Flip it";
  action.ActionType = 11;
  action.Flags = 1;
  action.ParamData = kpf::test::ByteBuilder().i32(65535).i32(65536).bytes();
  TTaviScript& script = s.Scripts.emplace_back();
  script.Id = 1;
  script.Name = "Flip";
  script.Trigger = 3;
  script.Actions.push_back(action);
  s.Images = {{.Width = 2, .Height = 1, .Form = 0, .Pixels = {0, 0, 255, 255, 255, 255, 255, 0}},
              {.Width = 1, .Height = 2, .Form = 1, .Indices = {0, 1}, .Palette = {1, 2, 3, 255, 4, 5, 6, 128}}};
  AnimationSource a;
  a.Id = 9;
  a.Name = "Idle";
  a.MoveMode = 3;
  a.Params = {1, -2};
  a.ExtraPresent = true;
  a.Extra = {2};
  a.EventScripts[0] = 1;
  a.Frames = {{.BitmapIndex = 1, .Sounds = {{0, 2}}, .ScriptId = 1}, {.Kind = kDocumentFrame, .Document = "readme.txt"}};
  s.Animations.push_back(a);
  s.Sounds.push_back({104, "song.mid", {1, 2, 3}});
  s.Menus.push_back({.Caption = "Go", .Actions = {action}, .ItemKey = "g", .Flags = 1});
  s.PlayLists.push_back({"P", "t", 1, 2, {"Idle"}});
  s.Dialogs.push_back({3, "D", {9, 9}});
  s.NextDialogId = 4;
  s.Variables.push_back({.ID = 1, .Name = "Name", .Flags = 1, .TextValue = "x"});
  s.OptionFlags = {1, 0};
  s.MenuCaptions = {"a", "b"};
  s.Cursors.push_back({1, 2, 3, {'B', 'M'}});
  s.Cursors.push_back({});
  s.ExtraSections.push_back({141, {1, 2, 3}});  // skipped by its length when loading
  return s;
}

}  // namespace

TEST(ProjectWriter, RoundTripThroughTheLoader) {
  ProjectModel m;
  LoadProjectStream(BuildProjectFile(FullSource()), m);
  ASSERT_EQ(m.Scripts.size(), 2u);
  // The second script is the menu entry's.
  EXPECT_EQ(std::tuple(m.Scripts[0].Trigger, m.Scripts[0].Actions[0].ParamText, m.Scripts[1].Id),
            std::tuple(3, std::vector<std::string>{"SCREEN_HEIGHT"}, 5));
  EXPECT_EQ(std::tuple(m.MenuEntries[0].ScriptId, m.MenuEntries[0].ItemKey), std::tuple(-1, "g"));
  ASSERT_EQ(m.Bitmaps.size(), 3u);  // the flipped copy of image 1
  EXPECT_EQ(std::tuple(m.Bitmaps[0].Pixels()[0], m.Bitmaps[0].Pixels()[1]), std::tuple(0xFFFF0000u, 0x00FFFFFFu));
  EXPECT_EQ(std::tuple(m.Bitmaps[2].CopyKind, m.Bitmaps[2].Pixels()[0]), std::tuple(2, 0x80060504u));
  const auto& a = m.Animations.at(0);
  EXPECT_EQ(std::tuple(a.Params, a.ExtraByte, a.Frames[0].Variants[2].Image, a.Frames[1].Document),
            std::tuple(std::vector<int32_t>{1, -2}, 2, 2, "readme.txt"));
  EXPECT_EQ(std::tuple(m.Sounds[0].Data.size(), m.PlayLists[0].Items[0], m.Dialogs[0].Definition.size()),
            std::tuple(3u, "Idle", 2u));
  EXPECT_EQ(std::tuple(m.Variables[0].AsString(), m.Variables.size(), m.MenuCaptions.size()),
            std::tuple("x", 1 + kSystemVariableCount, 2u));
  ASSERT_EQ(m.Cursors.size(), 2u);
  EXPECT_EQ(std::tuple(m.Cursors[0].Bitmap.size(), m.Cursors[1].TransparentColor), std::tuple(2u, kDefaultCursorColor));
  EXPECT_EQ(std::tuple(m.OptionFlag(0), m.OptionFlag(1)), std::tuple(true, false));
}
