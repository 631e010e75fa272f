// Speech hints on the recording desktop: markup, bubble geometry from measured extents, the
// placement of the tail's tip, and hostile texts that must stay within the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/HintMarkup.hpp"
#include "desktop/TVrHint.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::desktop {
namespace {

using platform::headless::HeadlessHintWindow;
constexpr int kLine = HeadlessHintWindow::kLineHeight;
constexpr int kChar = HeadlessHintWindow::kCharWidth;

struct MarkupCase {
  std::string text;
  std::string firstText;
  bool bold, underline, italic;
};

TEST(HintMarkupTest, TagsAreRecognisedOnlyAtTheLineStartInTheirOrder) {
  const std::vector<MarkupCase> cases{
      {"plain", "plain", false, false, false},  {"<b>bold", "bold", true, false, false},
      {"<b><u><i>all", "all", true, true, true}, {"<u><i>ui", "ui", false, true, true},
      {"<i><b>x", "<b>x", false, false, true},   {"<u><b>x", "<b>x", false, true, false},
      {" <b>x", " <b>x", false, false, false},   {"<B>x", "<B>x", false, false, false},
      {"it#39s", "it's", false, false, false},   {"#39#39#3", "''#3", false, false, false},
      {"<b>x</b>&amp;<span>", "x</b>&amp;<span>", true, false, false}};
  for (const MarkupCase& c : cases) {
    SCOPED_TRACE(c.text);
    const auto lines = ParseHintMarkup(c.text, 10, 100);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, c.firstText);
    EXPECT_EQ(lines[0].style, (platform::HintTextStyle{c.bold, c.underline, c.italic}));
  }
}

TEST(HintMarkupTest, BreaksSplitLinesEmptyLinesStayAndLimitsCutLinesAndBytes) {
  const auto texts = [](const std::string& text, size_t maxLines, size_t maxBytes) {
    std::vector<std::string> result;
    for (const auto& line : ParseHintMarkup(text, maxLines, maxBytes)) result.push_back(line.text);
    return result;
  };
  EXPECT_EQ(texts("a<br><br>b<br>", 10, 100), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(texts("abcdef<br>ghi<br>jkl", 2, 4), (std::vector<std::string>{"abcd", "ghi"}));
}

class TVrHintTest : public ::testing::Test {
 protected:
  HeadlessHintWindow& Window() { return *platform_.LastHintWindow(); }
  const platform::HintBubble& Bubble() { return *Window().Bubble(); }

  platform::headless::HeadlessPlatform platform_;
  TVrHint hint_{platform_};
};

TEST_F(TVrHintTest, BubbleSizeFollowsTheLinesAndTheTailTipPointsAtTheGivenPoint) {
  hint_.ShowHintAt("Hello<br><b>World", 100, 300);
  ASSERT_TRUE(hint_.Showing());
  const auto& bubble = Bubble();
  ASSERT_EQ(bubble.lines.size(), 2u);
  EXPECT_TRUE(bubble.lines[1].style.bold);
  EXPECT_EQ(bubble.lineHeight, kLine);
  EXPECT_EQ(bubble.height, 2 * kLine + 16);
  EXPECT_EQ(bubble.bodyHeight, 2 * kLine + 8);
  // The widest line is the bold one: 5 × 7 pixels.
  EXPECT_EQ(bubble.width, 5 * HeadlessHintWindow::kBoldCharWidth + 8);
  // The width follows the widest line, wherever it is.
  hint_.ShowHintAt("a long first line<br>end", 0, 500);
  EXPECT_EQ(Bubble().width, 17 * kChar + 8);
  hint_.ShowHintAt("abc<br>a much longer last line", 0, 500);
  EXPECT_EQ(Bubble().width, 23 * kChar + 8);
  // The tip, W/16 right of the body's left edge, is at (X, Y): the bubble stands above it.
  hint_.ShowHintAt(std::string(40, 'x'), 200, 400);
  const int width = 40 * kChar + 8;
  EXPECT_EQ(Bubble().tailX, width / 16);
  EXPECT_EQ(Window().Bounds(), (platform::Rect{200, 400 - Bubble().height, 200 + width, 400}));
}

TEST_F(TVrHintTest, EmptyTextShowsNothingAndNarrowTextsKeepRoomForTheTail) {
  hint_.ShowHintAt("", 10, 10);
  EXPECT_FALSE(hint_.Showing());
  EXPECT_EQ(platform_.LastHintWindow(), nullptr);
  hint_.ShowHintAt("a", 0, 100);
  EXPECT_EQ(Bubble().width, kMinBubbleWidth);
  // A screen too small for any line still shows one.
  platform_.SetScreenRect(platform::Rect{0, 0, 10, 10});
  hint_.ShowHintAt("a<br>b", 0, 0);
  EXPECT_EQ(Bubble().lines.size(), 1u);
  EXPECT_EQ(Bubble().width, kMinBubbleWidth);
}

TEST_F(TVrHintTest, HideMoveAndStayOnTop) {
  hint_.SetStayOnTop(true);
  hint_.ShowHintAt("hi", 50, 200);
  EXPECT_TRUE(Window().StayOnTop());
  const platform::Rect before = Window().Bounds();
  hint_.MoveBy(10, -5);
  EXPECT_EQ(Window().Bounds(), (platform::Rect{before.left + 10, before.top - 5, before.right + 10, before.bottom - 5}));
  hint_.HideHint();
  EXPECT_FALSE(hint_.Showing());
  hint_.MoveBy(100, 100);  // a hidden bubble stays where it was
  EXPECT_EQ(Window().Bounds().left, before.left + 10);
  hint_.SetStayOnTop(false);
  EXPECT_FALSE(Window().StayOnTop());
}

TEST_F(TVrHintTest, HugeTextsAreClippedToTheScreenBeforeTheyAreMeasured) {
  std::string lines, breaks;
  for (int i = 0; i < 10000; ++i) lines += "line<br>";
  for (int i = 0; i < (1 << 18); ++i) breaks += "<br>";  // a megabyte of breaks alone
  hint_.ShowHintAt(lines, 0, 700);
  EXPECT_EQ(Bubble().lines.size(), static_cast<size_t>((768 - 16) / kLine));
  EXPECT_LE(Bubble().height, 768);
  EXPECT_LT(Window().MeasuredBytes(), 1000u);
  hint_.ShowHintAt(breaks, 0, 700);
  EXPECT_LE(Bubble().height, 768);
  // One line of a megabyte: cut to the screen's width and measured only in part.
  const size_t measuredBefore = Window().MeasuredBytes();
  hint_.ShowHintAt(std::string(1 << 20, 'w'), 0, 700);
  EXPECT_EQ(Bubble().width, 1024);
  ASSERT_EQ(Bubble().lines.size(), 1u);
  EXPECT_LE(Bubble().lines[0].text.size(), kMaxHintLineBytes);
  EXPECT_LE(Window().MeasuredBytes() - measuredBefore, kMaxHintLineBytes + 2);
}

}  // namespace
}  // namespace kpf::desktop
