// Unpacking of packed action parameters, kind by kind, and the empty-item rule.
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/ActionItems.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using kpf::test::ByteBuilder;

namespace {

std::vector<TTaviVariable> Variables() {
  std::vector<TTaviVariable> list(2);
  list[0].ID = 5;
  list[0].Name = "A";
  list[1].ID = 5;
  list[1].Name = "B";
  RegisterSystemVariables(list);
  return list;
}

TKPFExeAction Unpacked(const ByteBuilder& block) {
  TKPFExeAction action;
  action.ParamData = block.bytes();
  UnpackParams(action, Variables());
  return action;
}

}  // namespace

TEST(UnpackParams, EveryKindFamily) {
  struct Case { int32_t kind; ByteBuilder value; int32_t paramInt; std::string text; int32_t outKind; };
  std::vector<Case> cases;
  for (int32_t k : {0, 8, 12, 21, 26, 30}) cases.push_back({k, ByteBuilder().i32(-17), -17, "-17", k});
  for (int32_t k : {1, 2, 5, 6, 15, 16, 17, 20, 27, 29})
    cases.push_back({k, ByteBuilder().nul("x+1"), 0, "x+1", k});
  for (int32_t k : {7, 9, 19, 22, 23, 24, 25, 28}) cases.push_back({k, ByteBuilder().u8(200), 200, "", k});
  for (int32_t k : {13, 14, 18}) cases.push_back({k, ByteBuilder().i32(5), 0, "", k});
  for (int32_t k : {13, 14, 18}) cases.push_back({k, ByteBuilder().i32(65537), 4, "", k});
  for (int32_t k : {13, 14, 18}) cases.push_back({k, ByteBuilder().i32(4), -1, "", k});
  cases.push_back({65535, ByteBuilder().i32(65535), 65535, "SCREEN_WIDTH", 65535});
  cases.push_back({65535, ByteBuilder().i32(4), -1, "", -1});
  for (int32_t k : {3, 4, 10, 11, 31, 65534, -1}) cases.push_back({k, ByteBuilder(), 0, "", k});
  for (const auto& c : cases) {
    ByteBuilder block;
    block.i32(c.kind).raw(c.value.bytes()).i32(0).i32(99);  // a second entry behind it
    auto action = Unpacked(block);
    ASSERT_EQ(action.ParamCount(), 2u) << c.kind;
    EXPECT_EQ(action.ParamKind[0], c.outKind) << c.kind;
    EXPECT_EQ(action.ParamInt[0], c.paramInt) << c.kind;
    EXPECT_EQ(action.ParamText[0], c.text) << c.kind;
    EXPECT_EQ(action.ParamInt[1], 99) << c.kind;
  }
}

TEST(UnpackParams, CutShortLastEntryIsDropped) {
  for (auto block : {ByteBuilder().i32(0).i32(1).i32(0).u8(7),            // int32 value cut
                     ByteBuilder().i32(0).i32(1).i32(1).text("no nul"),   // text without NUL
                     ByteBuilder().i32(0).i32(1).i32(7),                  // byte missing
                     ByteBuilder().i32(0).i32(1).u8(1).u8(0)}) {          // kind cut
    auto action = Unpacked(block);
    ASSERT_EQ(action.ParamCount(), 1u);
    EXPECT_EQ(action.ParamInt[0], 1);
  }
}

TEST(UnpackParams, EmptyBlockGivesNoParameters) {
  EXPECT_EQ(Unpacked(ByteBuilder()).ParamCount(), 0u);
}

TEST(UnpackParams, UnpackingTwiceDoesNotAccumulate) {
  TKPFExeAction action;
  action.ParamData = ByteBuilder().i32(0).i32(3).bytes();
  UnpackParams(action, {});
  UnpackParams(action, {});
  EXPECT_EQ(action.ParamCount(), 1u);
}

TEST(NormalizeEmptyAction, LowTypesNeedFlags) {
  struct Case { int32_t type; int32_t flags; int32_t outType; const char* name; };
  for (Case c : {Case{5, 0, -1, "[none]"}, Case{5, 0x10000, -1, "[none]"}, Case{5, 1, 5, "Act"},
                 Case{10, 0, -1, "[none]"}, Case{11, 0, 11, "Act"}, Case{20, 0, 20, "Act"}}) {
    TKPFExeAction action;
    action.Name = "Act";
    action.ActionType = c.type;
    action.Flags = c.flags;
    NormalizeEmptyAction(action);
    EXPECT_EQ(action.ActionType, c.outType) << c.type << "/" << c.flags;
    EXPECT_EQ(action.Name, c.name);
  }
}
