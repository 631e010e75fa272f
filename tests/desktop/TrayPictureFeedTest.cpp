// Tray pictures: reduced copies, and at most 20 a second reaching the icon; balloon texts cut
// without breaking a UTF-8 character.
#include <gtest/gtest.h>

#include <vector>

#include "desktop/TCoolTrayIcon.hpp"
#include "desktop/TrayPictureFeed.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::desktop {
namespace {

platform::Picture Filled(int width, int height, uint32_t pixel) {
  return {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, pixel)};
}

TEST(ReducedPictureTest, LargePicturesShrinkToSixtyFourKeepingProportionsAndAlphaWeightedColour) {
  const platform::Picture wide = ReducedPicture(Filled(16384, 2, 0xFF102030), kMaxTrayPictureSide);
  EXPECT_EQ(std::pair(wide.width, wide.height), std::pair(64, 1));
  EXPECT_EQ(wide.pixels.front(), 0xFF102030u);
  const platform::Picture tall = ReducedPicture(Filled(100, 200, 0x80FFFFFF), kMaxTrayPictureSide);
  EXPECT_EQ(std::pair(tall.width, tall.height), std::pair(32, 64));
  // A 2 x 2 block of opaque red beside transparent black averages to half-transparent red, not
  // to a darker red.
  const platform::Picture mixed{4, 2, {0xFFFF0000, 0, 0xFF00FF00, 0xFF00FF00, 0, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00}};
  const platform::Picture half = ReducedPicture(mixed, 2);
  EXPECT_EQ(half.pixels, (std::vector<uint32_t>{0x80FF0000, 0xFF00FF00}));
  const platform::Picture small = Filled(3, 3, 1);
  EXPECT_EQ(ReducedPicture(small, kMaxTrayPictureSide), small);
  EXPECT_TRUE(ReducedPicture(platform::Picture{5, 5, {1}}, kMaxTrayPictureSide).empty());  // pixels missing
}

TEST(TrayPictureFeedTest, AtMostTwentyPicturesASecondAndTheLastOneWins) {
  platform::headless::HeadlessPlatform platform;
  std::vector<std::pair<int64_t, platform::Picture>> shown;
  TrayPictureFeed feed(platform, [&](const platform::Picture* picture) {
    shown.push_back({platform.NowMs(), picture != nullptr ? *picture : platform::Picture{}});
  });
  // One picture every 5 ms for a second: the first at once, then one every 50 ms.
  auto ticker = platform.CreateTimer();
  uint32_t next = 1;
  ticker->SetInterval(5);
  ticker->SetOnTimer([&] { feed.Submit(Filled(2, 2, next++)); });
  feed.Submit(Filled(200, 100, 0xFF000000));
  ticker->SetEnabled(true);
  platform.AdvanceTo(1000);
  ticker->SetEnabled(false);
  platform.AdvanceTo(1100);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_LE(shown.size(), 22u);
  EXPECT_EQ(std::pair(shown[0].second.width, shown[0].second.height), std::pair(64, 32));
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_GE(shown[i].first - shown[i - 1].first, kMinTrayPictureIntervalMs);
  EXPECT_EQ(shown.back().second.pixels.front(), next - 1);  // the latest picture is never lost
  EXPECT_FALSE(feed.Waiting());
  // An empty picture asks for the default icon.
  feed.Submit({});
  platform.AdvanceBy(kMinTrayPictureIntervalMs);
  EXPECT_TRUE(shown.back().second.empty());
}

TEST(CutTextTest, Utf8TextsLoseNoHalfCharacterAndEightBitTextsAreCutByBytes) {
  const std::string umlauts = "\xC3\xA4\xC3\xB6\xC3\xBC";  // three two-byte characters
  EXPECT_EQ(CutText(umlauts, 3), "\xC3\xA4");
  EXPECT_EQ(CutText(umlauts, 4), "\xC3\xA4\xC3\xB6");
  EXPECT_EQ(CutText("\xE4\xF6\xFC\xE4", 3), "\xE4\xF6\xFC");  // Windows-1252
  EXPECT_EQ(CutText("short", 63), "short");
  const platform::Balloon balloon = TCoolTrayIcon::MakeBalloon(std::string(62, 't') + "\xC3\xA4", "x", 1, 1);
  EXPECT_EQ(balloon.title, std::string(62, 't'));
}

}  // namespace
}  // namespace kpf::desktop
