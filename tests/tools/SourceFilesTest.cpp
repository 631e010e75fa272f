// Helpers of the source folder: safe file names, folder-bound references, hex, the JSON reader,
// the parameter-block codec and the Windows-1252 conversion back from UTF-8.
#include <gtest/gtest.h>

#include "tools/kpftool/JsonDocument.hpp"
#include "tools/kpftool/ParamCodec.hpp"
#include "tools/kpftool/SourceFiles.hpp"
#include "tools/kpftool/Windows1252.hpp"

namespace kpf::tools {
namespace {

TEST(SourceFiles, SafeFileNameKeepsOneHarmlessComponent) {
  struct Case {
    std::string stored, expected;
  } cases[] = {
      {"walk.wav", "walk.wav"},          {"..\\..\\x.wav", "_.._x.wav"},
      {"/etc/passwd", "_etc_passwd"},    {"..", "fallback"},
      {"", "fallback"},                  {"  .hidden. ", "hidden"},
      {"a:b*c?.wav", "a_b_c_.wav"},      {"CON.wav", "_CON.wav"},
      {"\xe9t\xe9.wav", "_t_.wav"},      {std::string("nul\0x", 5), "nul_x"},
      {"///", "fallback"},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.stored, "fallback"), c.expected) << c.stored;
  std::string longName(300, 'a');
  auto shortened = SafeFileName(longName + ".wav", "f");
  EXPECT_EQ(shortened.size(), 100u);
  EXPECT_EQ(shortened.substr(96), ".wav");
}

TEST(SourceFiles, UniqueNamesDifferWithoutRegardToCase) {
  UniqueNames names;
  EXPECT_EQ(names.Take("a.wav"), "a.wav");
  EXPECT_EQ(names.Take("A.WAV"), "A~2.WAV");
  EXPECT_EQ(names.Take("a.wav"), "a~3.wav");
  EXPECT_EQ(names.Take("a~2.wav"), "a~2~2.wav");
}

TEST(SourceFiles, ReferencesStayInsideTheFolder) {
  EXPECT_EQ(ResolveReference("/f", "images/0001.png"), std::filesystem::path("/f/images/0001.png"));
  for (const char* bad : {"", "/abs", "../up", "a/../../b", "a\\b", "./x"})
    EXPECT_THROW(ResolveReference("/f", bad), std::runtime_error) << bad;
}

TEST(SourceFiles, HexRoundTripAndFaults) {
  std::vector<uint8_t> bytes = {0, 1, 0xAB, 0xFF};
  EXPECT_EQ(ToHex(bytes), "0001abff");
  EXPECT_EQ(FromHex("0001ABff"), bytes);
  EXPECT_THROW(FromHex("abc"), std::runtime_error);
  EXPECT_THROW(FromHex("zz"), std::runtime_error);
}

TEST(JsonReader, ParsesValuesAndRejectsFaults) {
  auto doc = tools::ParseJson(R"({"a":[1,-2,true,false,null,"x\u00e9\ud83d\ude00"],"b":{},"c":1.5})");
  ASSERT_TRUE(doc.is_object());
  const auto& a = doc.at("a");
  EXPECT_EQ(a[1].get<int64_t>(), -2);
  EXPECT_TRUE(a[2].get<bool>());
  EXPECT_FALSE(a[3].get<bool>());
  EXPECT_TRUE(a[4].is_null());
  EXPECT_EQ(a[5].get<std::string>(), "x\xc3\xa9\xf0\x9f\x98\x80");
  EXPECT_TRUE(doc.at("c").is_number_float());
  EXPECT_EQ(tools::JsonMember(doc, "zz"), nullptr);
  for (const char* bad : {"", "{", "[1,]", "{\"a\":1,\"a\":2}", "\"\\ud800\"", "[1] 2", "tru",
                          "99999999999999999999", "\"a\nb\"", "{1:2}"})
    EXPECT_THROW(tools::ParseJson(bad), JsonError) << bad;
  EXPECT_THROW(tools::ParseJson(std::string(100, '[') + std::string(100, ']')), JsonError);
}

TEST(ParamBlock, EncodesEveryFormAndReportsCutShortBlocks) {
  std::vector<ParamEntry> entries = {{0, -1, ""}, {1, 0, "hi"}, {7, 255, ""}, {13, 4, ""},
                                     {65535, 65536, ""}, {3, 0, ""}};
  auto block = EncodeParamBlock(entries);
  EXPECT_EQ(block.size(), 8u + 7u + 5u + 8u + 8u + 4u);
  bool complete = false;
  auto back = DecodeParamBlock(block, complete);
  EXPECT_TRUE(complete);
  ASSERT_EQ(back.size(), entries.size());
  EXPECT_EQ(back[1].Text, "hi");
  EXPECT_EQ(back[4].Value, 65536);
  block.pop_back();  // the last int32 of the 65535 entry... now the kind-3 entry is cut
  back = DecodeParamBlock(block, complete);
  EXPECT_FALSE(complete);
  EXPECT_EQ(back.size(), entries.size() - 1);
  EXPECT_THROW(EncodeParamBlock({{7, 256, ""}}), std::runtime_error);
}

TEST(Windows1252, CodePageCharactersRoundTripAndUnmappableOnesAreRefused) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  EXPECT_THROW(Utf8ToWindows1252("\xe6\x97\xa5"), std::runtime_error);
  EXPECT_THROW(Utf8ToWindows1252("\xc3"), std::runtime_error);
  EXPECT_THROW(Utf8ToWindows1252("\x80"), std::runtime_error);
  EXPECT_EQ(Windows1252ToUtf8("caf\xe9 \x80 \x9f"), "caf\xc3\xa9 \xe2\x82\xac \xc5\xb8");
  // The undefined bytes stand for the C1 controls of their value, in and out.
  EXPECT_EQ(Windows1252ToUtf8("\x81\x8d\x8f\x90\x9d"), "\xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d");
  EXPECT_EQ(Utf8ToWindows1252("a\xc2\x9d\xe2\x80\x9c" "b\xc2\x81"), "a\x9d\x93" "b\x81");
  EXPECT_EQ(Windows1252ToUtf8(std::string("a\0\xe9", 3)), std::string("a\0\xc3\xa9", 4));
  try {
    Utf8ToWindows1252("ok \xc2\x80");
    FAIL() << "U+0080 has no byte";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "character U+0080 has no Windows-1252 byte");
  }
  try {
    Utf8ToWindows1252("\xe9t\xe9");
    FAIL() << "Latin-1 bytes are no UTF-8";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "invalid UTF-8 text");
  }
}

}  // namespace
}  // namespace kpf::tools
