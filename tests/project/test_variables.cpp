// Variables: the integer-conversion rule, the system table, the stored form, values through a
// host and look-ups by id and name; unpacking of packed action parameters and the empty-item rule.
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/ActionItems.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using kpf::test::ByteBuilder;

TEST(ConvertToInteger, DecimalIntegersZeroForNoNumberAndInvalidOrTooLargeIsAConversionError) {
  for (auto [text, value] : {std::pair{"-3", -3}, {"0042", 42}, {"2147483647", INT32_MAX},
                             {"-2147483648", INT32_MIN}, {"", 0}, {"-", 0}, {"12.5", 0}, {" 5", 0},
                             {"5 ", 0}, {"abc", 0}, {"0x10", 0}, {"+3", 0}})
    EXPECT_EQ(ConvertToInteger(text), value) << text;
  for (const char* text : {"1-2", "--5", "5-", "2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_THROW(ConvertToInteger(text), EConvertError) << text;
}

// Look-ups: by id the first match, by name the last.
TEST(SystemVariables, TableIsRegisteredInOrderWithFixedIdsAndLookups) {
  std::vector<TTaviVariable> list(1);
  list[0].ID = 7;
  list[0].Name = "SCREEN_WIDTH";
  RegisterSystemVariables(list);
  ASSERT_EQ(list.size(), 51u);
  struct Row { size_t pos; int32_t code; const char* name; uint8_t kind; uint8_t type; };
  for (Row row : {Row{0, 1, "SCREEN_WIDTH", 1, 0}, Row{1, 2, "SCREEN_HEIGHT", 1, 0},
                  Row{2, 3, "CONNECTED", 2, 0}, Row{11, 12, "PROXY", 2, 1},
                  Row{21, 22, "TASKBAR_TOP", 2, 0}, Row{29, 30, "CURRENT_ANIMATION_NAME", 2, 1},
                  Row{36, 37, "LAST_ERROR_TEXT", 2, 1}, Row{37, 39, "MYDOCUMENT_FOLDER", 2, 1},
                  Row{38, 41, "PARENT_HANDLE", 2, 0}, Row{42, 45, "CURRENT_FOLDER", 2, 1},
                  Row{44, 47, "TASKBAR_TOP", 2, 0}, Row{46, 50, "TASKBAR_BOTTOM", 2, 0},
                  Row{47, 49, "TASKBAR_RIGHT", 2, 0}, Row{49, 52, "RANDOM_SCREEN_HEIGHT", 2, 0}}) {
    const auto& v = list[row.pos + 1];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(std::tuple(v.ID, v.SysIndex, v.Name, v.Kind, v.VarType),
              std::tuple(65535 + static_cast<int32_t>(row.pos), row.code, row.name, row.kind, row.type));
    EXPECT_EQ(v.Value, row.type ? VariantValue("0") : VariantValue(0));
  }
  EXPECT_EQ(FindVariableByName(list, "screen_width")->ID, 65535);
  EXPECT_EQ(VariablePositionOfId(list, 65579), 45);
  EXPECT_EQ(FindVariableByName(list, "Taskbar_Top")->SysIndex, 47);
  EXPECT_EQ(FindVariableById(list, 7), &list[0]);
  EXPECT_EQ(FindVariableById(list, 99), nullptr);
  EXPECT_EQ(VariablePositionOfId(list, 99), -1);
}

TEST(Variables, StoredFormReadsIntegerOrText) {
  ByteBuilder bytes;
  bytes.i32(12).shortString("counter").u8(0).i32(-5);
  bytes.i32(13).shortString("Greeting").u8(1 | (2 << 1) | (3 << 3)).nul("hello");
  ByteReader reader(bytes);
  TTaviVariable a, b;
  a.LoadFromStream(reader);
  b.LoadFromStream(reader);
  EXPECT_TRUE(reader.atEnd());
  EXPECT_EQ(std::tuple(a.Name, a.Value, a.StoredValue), std::tuple("COUNTER", VariantValue(-5), VariantValue(-5)));
  EXPECT_EQ(std::tuple(b.Name, b.VarType, b.Kind, b.SysIndex, b.AsString()), std::tuple("GREETING", 1, 2, 3, "hello"));
}

TEST(Variables, SetValueConvertsToTheType) {
  TTaviVariable number;
  for (auto [text, expected] : {std::pair{"12.5", 0}, {"-3", -3}}) {  // ConvertToInteger's rule
    number.SetValue(VariantValue(text));
    EXPECT_EQ(number.Value, VariantValue(expected)) << text;
  }
  EXPECT_THROW(number.SetValue(VariantValue("1-2")), EConvertError);
  TTaviVariable text;
  text.VarType = 1;
  text.SetValue(VariantValue(42));
  EXPECT_EQ(text.Value, VariantValue("42"));
  text.SetValue(VariantValue("77"));
  EXPECT_EQ(text.AsInteger(), 77);
}

namespace {

class RecordingHost : public SystemVariableHost {
 public:
  VariantValue ReadSystemValue(int code, const TTaviVariable&) override {
    return code == 1 ? VariantValue(1920) : VariantValue("c:\\docs");
  }
  void SystemValueWritten(int code, const TTaviVariable& v) override { writes.emplace_back(code, v.Value.ToText()); }
  std::vector<std::pair<int, std::string>> writes;
};

}  // namespace

TEST(Variables, SystemVariablesReadAndWriteThroughTheHost) {
  std::vector<TTaviVariable> list;
  RegisterSystemVariables(list);
  EXPECT_EQ(list[0].AsInteger(), 0);  // no host: Value
  RecordingHost host;
  SetSystemVariableHost(list, &host);
  EXPECT_EQ(list[0].AsString(), "1920");
  EXPECT_EQ(list[37].AsString(), "c:\\docs");
  list[14].SetValue(VariantValue("300"));  // CURRENT_LEFT, code 15
  list[3].SetValue(VariantValue(5));       // CURRENT_HOUR, code 4: no effect
  EXPECT_EQ(host.writes, (std::vector<std::pair<int, std::string>>{{15, "300"}}));
  EXPECT_EQ(list[14].Value, VariantValue(300));
}

// ---- action parameters ----

namespace {

TKPFExeAction Unpacked(const ByteBuilder& block) {
  std::vector<TTaviVariable> list(2);
  list[0].ID = 5;
  list[0].Name = "A";
  list[1].ID = 5;
  list[1].Name = "B";
  RegisterSystemVariables(list);
  TKPFExeAction action;
  action.ParamData = block.bytes();
  UnpackParams(action, list);
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
  for (int32_t k : {13, 14, 18}) {
    cases.push_back({k, ByteBuilder().i32(5), 0, "", k});
    cases.push_back({k, ByteBuilder().i32(65537), 4, "", k});
    cases.push_back({k, ByteBuilder().i32(4), -1, "", k});
  }
  cases.push_back({65535, ByteBuilder().i32(65535), 65535, "SCREEN_WIDTH", 65535});
  cases.push_back({65535, ByteBuilder().i32(4), -1, "", -1});
  for (int32_t k : {3, 4, 10, 11, 31, 65534, -1}) cases.push_back({k, ByteBuilder(), 0, "", k});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    auto action = Unpacked(ByteBuilder().i32(c.kind).raw(c.value.bytes()).i32(0).i32(99));  // a second entry behind it
    ASSERT_EQ(action.ParamCount(), 2u);
    EXPECT_EQ(std::tuple(action.ParamKind[0], action.ParamInt[0], action.ParamText[0]), std::tuple(c.outKind, c.paramInt, c.text));
    EXPECT_EQ(action.ParamInt[1], 99);
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
  EXPECT_EQ(Unpacked(ByteBuilder()).ParamCount(), 0u);
  auto twice = Unpacked(ByteBuilder().i32(0).i32(3));
  UnpackParams(twice, {});  // unpacking again does not accumulate
  EXPECT_EQ(twice.ParamCount(), 1u);
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
    EXPECT_EQ(std::tuple(action.ActionType, action.Name), std::tuple(c.outType, c.name)) << c.type << "/" << c.flags;
  }
}
