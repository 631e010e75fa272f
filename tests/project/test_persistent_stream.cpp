// The persistent property stream: the cursor collection, name forms, object modes and errors.
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/PersistentStream.hpp"

using namespace kpf::project;
using kpf::test::ByteBuilder;

namespace {

struct Result {
  std::vector<TVrCursorItem> cursors;
  std::vector<std::string> errors;
  size_t consumed = 0;
  bool threw = false;
};

Result ReadCursors(const ByteBuilder& bytes) {
  Result result;
  ByteReader reader(bytes);
  try {
    ReadCursorCollection(reader, result.cursors,
                         [&](const std::string& m) { result.errors.push_back(m); });
  } catch (const KpfError&) {
    result.threw = true;
  }
  result.consumed = reader.position();
  return result;
}

// One item's three properties by name index: HotSpotX, HotSpotY, TransparentColor.
ByteBuilder Item(int32_t x, int32_t y, int32_t color) { return ByteBuilder().i32(0).i32(x).i32(1).i32(y).i32(2).i32(color); }

}  // namespace

TEST(CursorCollection, ItemsWithAndWithoutPictureNamedFormsAndUnknownIndex) {
  auto empty = ReadCursors(ByteBuilder().i32(0));
  EXPECT_TRUE(empty.cursors.empty());
  EXPECT_EQ(empty.consumed, 4u);
  ByteBuilder bytes;
  bytes.i32(3).raw(Item(3, 4, 255)).i32(0);  // item 1: no picture
  // Item 2: x by index 0, y by the name form -1, colour under an index beyond the table.
  bytes.i32(0).i32(9).i32(-1).nul("hotspoty").i32(11).i32(7).i32(1234);
  bytes.i32(2).i32(2).sized(ByteBuilder().text("BMxx").bytes());
  // Item 3: defaults kept by names that do not exist.
  bytes.i32(-1).nul("nothing").i32(1).i32(1).i32(5).i32(2).i32(6).i32(0);
  auto r = ReadCursors(bytes);
  ASSERT_EQ(r.cursors.size(), 3u);
  EXPECT_EQ(r.consumed, bytes.size());
  EXPECT_TRUE(r.errors.empty());
  const auto &a = r.cursors[0], &b = r.cursors[1], &c = r.cursors[2];
  EXPECT_EQ(std::tuple(a.HotSpotX, a.HotSpotY, a.TransparentColor, a.Bitmap.empty()), std::tuple(3, 4, 255, true));
  EXPECT_EQ(std::tuple(b.HotSpotX, b.HotSpotY, b.TransparentColor), std::tuple(9, 11, kDefaultCursorColor));
  EXPECT_EQ(std::string(b.Bitmap.begin(), b.Bitmap.end()), "BMxx");
  EXPECT_EQ(std::tuple(c.HotSpotX, c.HotSpotY, c.TransparentColor), std::tuple(0, 5, 6));
}

TEST(CursorCollection, DamagedItemsReportOneErrorAndHostileCountsFailFast) {
  auto cut = ReadCursors(ByteBuilder().i32(1).i32(0).i32(3).i32(1));  // cut inside HotSpotY
  EXPECT_EQ(cut.errors, std::vector<std::string>{"Properties read error\rhotspoty\rStream read error"});
  ASSERT_EQ(cut.cursors.size(), 1u);
  EXPECT_EQ(cut.cursors[0].HotSpotX, 3);
  // A name index below -1 ends the collection: the second item is never read.
  auto ended = ReadCursors(ByteBuilder().i32(2).i32(-2).i32(3).raw(Item(1, 1, 1)).i32(0).raw(Item(1, 1, 1)).i32(0));
  EXPECT_EQ(ended.errors.size(), 1u);
  ASSERT_EQ(ended.cursors.size(), 2u);
  EXPECT_EQ(ended.cursors[1].HotSpotX, 0);
  auto badMode = ReadCursors(ByteBuilder().i32(1).raw(Item(1, 2, 3)).i32(9));  // unknown object mode
  ASSERT_EQ(badMode.errors.size(), 1u);
  EXPECT_NE(badMode.errors[0].find("bitmap"), std::string::npos);
  for (auto bytes : {ByteBuilder().i32(0x7fffffff), ByteBuilder().i32(-1), ByteBuilder().i32(3).i32(0)})
    EXPECT_TRUE(ReadCursors(bytes).threw);
}

namespace {

// A target with every scalar type, a string list and a reference.
class Everything : public TVrPersistentTarget {
 public:
  std::vector<PropertyInfo> Properties() const override {
    return {{"count", PropertyType::Integer}, {"letter", PropertyType::Char},
            {"style", PropertyType::Set},     {"big", PropertyType::Int64},
            {"ratio", PropertyType::Float},   {"caption", PropertyType::Text},
            {"lines", PropertyType::Object},  {"link", PropertyType::Object}};
  }
  bool SetProperty(std::string_view name, const PersistentValue& value) override {
    values.emplace_back(std::string(name), value);
    return true;
  }
  std::vector<std::pair<std::string, PersistentValue>> values;
};

}  // namespace

TEST(PersistentStream, ScalarFormsObjectsAndReferences) {
  ByteBuilder bytes;
  bytes.i32(-1).nul("count").i32(-4);
  bytes.i32(-1).nul("letter").u8('Q');
  bytes.i32(-1).nul("style").nul("[fsBold]");
  bytes.i32(-1).nul("big").i32(1).i32(1);
  bytes.i32(-1).nul("ratio").raw({0, 0, 0, 0, 0, 0, 0xF8, 0x3F});  // 1.5
  bytes.i32(-1).nul("caption").nul("Hi");
  bytes.i32(2).i32(1).i32(2).nul("a").nul("b");
  bytes.i32(1).nul("Other");
  ByteReader reader(bytes);
  TVrPersistentStream stream(reader);
  std::vector<std::string> resolved;
  stream.OnResolveReference = [&](TVrPersistentTarget&, std::string_view, std::string_view name) {
    resolved.emplace_back(name);
    return resolved.size() > 1;  // resolves on the retry after the object
  };
  Everything target;
  stream.ReadObject(target);
  EXPECT_TRUE(reader.atEnd());
  ASSERT_EQ(target.values.size(), 7u);
  const auto value = [&](size_t i) -> const PersistentValue& { return target.values[i].second; };
  EXPECT_EQ(std::tuple(std::get<int64_t>(value(0)), std::get<std::string>(value(1)), std::get<std::string>(value(2))),
            std::tuple(-4, "Q", "[fsBold]"));
  EXPECT_EQ(std::tuple(std::get<int64_t>(value(3)), std::get<double>(value(4)), std::get<std::string>(value(5))),
            std::tuple((int64_t{1} << 32) + 1, 1.5, "Hi"));
  EXPECT_EQ(std::get<std::vector<std::string>>(value(6)), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(resolved, (std::vector<std::string>{"Other", "Other"}));
  EXPECT_TRUE(stream.PendingReferences.empty());
}

TEST(PersistentStream, ExcludedNamesAndPropertyList) {
  ByteBuilder bytes;
  bytes.i32(-1).nul("caption").nul("x").i32(-1).nul("count").i32(3);
  ByteReader reader(bytes);
  TVrPersistentStream stream(reader);
  stream.PropertyList = {"caption", "count"};
  Everything target;
  stream.ReadObject(target);
  EXPECT_TRUE(reader.atEnd());
  ASSERT_EQ(target.values.size(), 2u);
  EXPECT_EQ(target.values[0].first, "caption");
}
