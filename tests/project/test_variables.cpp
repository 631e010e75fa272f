// Variables: the integer-conversion rule, the system table, the stored form, values through a
// host and look-ups by id and name.
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using kpf::test::ByteBuilder;

TEST(ConvertToInteger, ZeroForTextsThatAreNoNumber) {
  for (const char* text : {"", "-", "12.5", " 5", "5 ", "abc", "0x10", "+3"})
    EXPECT_EQ(ConvertToInteger(text), 0) << text;
}

TEST(ConvertToInteger, DecimalIntegers) {
  EXPECT_EQ(ConvertToInteger("-3"), -3);
  EXPECT_EQ(ConvertToInteger("0042"), 42);
  EXPECT_EQ(ConvertToInteger("2147483647"), 2147483647);
  EXPECT_EQ(ConvertToInteger("-2147483648"), INT32_MIN);
}

TEST(ConvertToInteger, InvalidOrTooLargeIsAConversionError) {
  for (const char* text : {"1-2", "--5", "5-", "2147483648", "-2147483649", "99999999999999999999"})
    EXPECT_THROW(ConvertToInteger(text), EConvertError) << text;
}

TEST(SystemVariables, TableIsRegisteredInOrderWithFixedIds) {
  std::vector<TTaviVariable> list(1);
  list[0].Name = "MINE";
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
    EXPECT_EQ(v.ID, 65535 + static_cast<int32_t>(row.pos)) << row.name;
    EXPECT_EQ(v.SysIndex, row.code) << row.name;
    EXPECT_EQ(v.Name, row.name);
    EXPECT_EQ(v.Kind, row.kind) << row.name;
    EXPECT_EQ(v.VarType, row.type) << row.name;
    EXPECT_EQ(v.Value, row.type ? VariantValue("0") : VariantValue(0)) << row.name;
  }
}

TEST(Variables, LookupByIdIsFirstAndByNameIsLastMatch) {
  std::vector<TTaviVariable> list(1);
  list[0].ID = 7;
  list[0].Name = "SCREEN_WIDTH";
  RegisterSystemVariables(list);
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
  EXPECT_EQ(a.Name, "COUNTER");
  EXPECT_EQ(a.Value, VariantValue(-5));
  EXPECT_EQ(a.StoredValue, a.Value);
  EXPECT_EQ(b.Name, "GREETING");
  EXPECT_EQ(b.VarType, 1);
  EXPECT_EQ(b.Kind, 2);
  EXPECT_EQ(b.SysIndex, 3);
  EXPECT_EQ(b.AsString(), "hello");
}

TEST(Variables, SetValueConvertsToTheType) {
  TTaviVariable number;
  for (auto [text, expected] : {std::pair{"12.5", 0}, {" 5", 0}, {"", 0}, {"-3", -3}}) {
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
    reads.push_back(code);
    return code == 1 ? VariantValue(1920) : VariantValue("c:\\docs");
  }
  void SystemValueWritten(int code, const TTaviVariable& v) override {
    writes.emplace_back(code, v.Value.ToText());
  }
  std::vector<int> reads;
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
  ASSERT_EQ(host.writes.size(), 1u);
  EXPECT_EQ(host.writes[0], (std::pair<int, std::string>{15, "300"}));
  EXPECT_EQ(list[14].Value, VariantValue(300));
}
