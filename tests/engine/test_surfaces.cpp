// Drawing surfaces through their actions on the headless platform: slot rules, sizing and
// clearing, windows (shape, cursor, click script, popup), release of replaced surfaces, the
// bounds on sizes and coordinates, the tray icon, and kpftool's surface pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "PlayerHarness.hpp"
#include "render/PngFile.hpp"
#include "tools/kpftool/HeadlessRun.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;
using platform::headless::HeadlessWindow;

constexpr int32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0x0000FF;

P I(int32_t value) { return P::Int(value); }
TKPFExeAction NewSurface(int w, int h) { return Act(64, {I(w), I(h)}); }
TKPFExeAction NewSurfaceInto(int w, int h, int32_t variable) { return Act(64, {I(w), I(h), P::Var(variable)}); }
TKPFExeAction Select(int slot) { return Act(81, {I(slot)}); }
TKPFExeAction Show(int x, int y) { return Act(57, {I(x), I(y)}); }
TKPFExeAction Pixel(int x, int y, int32_t color) { return Act(54, {I(x), I(y), I(color)}); }
TKPFExeAction GetPixel(int x, int y, int32_t variable) { return Act(58, {I(x), I(y), P::Var(variable)}); }
TKPFExeAction SetNumber(int32_t variable, int32_t value) { return Act(22, {P::Var(variable), I(value)}); }

// Variables V (1), W (2); script n + 1 runs scripts[n]; animation "pic" shows SmallImage.
project::ProjectSource SurfaceProject(std::vector<std::vector<TKPFExeAction>> scripts) {
  project::ProjectSource source = WithVariables({"V", "W"});
  source.Animations.push_back(Animation(1, "pic", 0, 0, 2));
  AddScripts(source, std::move(scripts));
  return source;
}

const engine::DrawingSurface* SurfaceAt(Harness<>& h, int slot) { return h.player->Surfaces().At(slot); }

// Surface windows: every window but the character's (the first made).
std::vector<HeadlessWindow*> SurfaceWindows(Harness<>& h) {
  auto windows = h.platform.Windows();
  windows.erase(windows.begin());
  return windows;
}

TEST(Surfaces, SlotsOutsideTheRangeSelectSlotZero) {
  Harness<> h(SurfaceProject({{Select(5), NewSurfaceInto(3, 2, 1), Select(32), NewSurfaceInto(4, 4, 2)},
                              {Select(-1), GetPixel(0, 0, 1), Select(5), GetPixel(2, 1, 2), GetPixel(3, 1, 1)}}));
  h.Fire(1);
  EXPECT_EQ(h.Int("V"), 5);
  EXPECT_EQ(h.Int("W"), 0);
  ASSERT_NE(SurfaceAt(h, 0), nullptr);
  EXPECT_EQ(SurfaceAt(h, 0)->Picture.Width(), 4);
  // A new surface is white, its transparent colour the top-left pixel's, with no click script.
  EXPECT_EQ(SurfaceAt(h, 5)->TransparentColour, kWhite);
  EXPECT_EQ(SurfaceAt(h, 5)->ClickScript, -1);
  EXPECT_EQ(SurfaceAt(h, 5)->UseTransparency, 1);
  h.Fire(2);
  EXPECT_EQ(h.Int("W"), kWhite);
  EXPECT_EQ(h.Int("V"), -1);  // outside the picture
}

TEST(Surfaces, ResizeAndClearFillWithTheTransparentColourAndKeepTheBrush) {
  Harness<> h(SurfaceProject({{NewSurface(3, 2), Pixel(1, 1, kBlack), Act(68, {I(static_cast<int32_t>(0xAA0000FF))}),
                               Act(59, {I(5), I(3)})},
                              {Act(71)},
                              {Act(53, {I(0), I(0), I(1), I(1)})}}));
  h.Fire(1);
  const render::Canvas& picture = SurfaceAt(h, 0)->Picture;
  EXPECT_EQ(SurfaceAt(h, 0)->TransparentColour, kRed);  // top byte cleared
  ASSERT_EQ(picture.Width(), 5);
  EXPECT_EQ(picture.GetPixel(1, 1), kBlack);
  EXPECT_EQ(picture.GetPixel(0, 0), kWhite);
  EXPECT_EQ(picture.GetPixel(4, 0), kRed);
  EXPECT_EQ(picture.GetPixel(0, 2), kRed);
  h.Fire(2);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(picture.GetPixel(x, y), kRed);
  }
  h.Fire(3);  // the brush is white again
  EXPECT_EQ(picture.GetPixel(0, 0), kWhite);
}

TEST(Surfaces, ActionsOnAnEmptySlotDoNothingAndTheScriptGoesOn) {
  Harness<> h(SurfaceProject({{SetNumber(1, 7), Select(3), Act(49, {I(0), I(4), I(0), I(3)}),
                               Act(56, {I(0), I(0), I(9), I(9)}), GetPixel(0, 0, 1), Show(10, 10), Act(61), Act(71),
                               Act(59, {I(4), I(4)}), Act(66, {P::Text("x"), P::Var(1)}), Act(70, {I(0), I(0), I(0)}),
                               Act(171), SetNumber(2, 9)}}));
  bool trayCalled = false;
  engine::MainFormHandlers handlers;
  handlers.setTrayIcon = [&](const platform::Picture&) { trayCalled = true; };
  h.player->SetMainFormHandlers(handlers);
  h.Fire(1);
  EXPECT_EQ(h.Int("V"), 7);
  EXPECT_EQ(h.Int("W"), 9);
  EXPECT_TRUE(SurfaceWindows(h).empty());
  EXPECT_FALSE(trayCalled);
  EXPECT_FALSE(h.Traced("surface-show"));
}

TEST(Surfaces, ShowingTwiceMovesOneShapedWindow) {
  Harness<> h(SurfaceProject({{NewSurface(20, 10), Pixel(3, 2, kRed), Pixel(4, 2, kBlack), Show(100, 50)},
                              {Pixel(0, 9, kBlack), Show(200, 60)},
                              {Act(61)}}));
  h.Fire(1);
  ASSERT_EQ(SurfaceWindows(h).size(), 1u);
  HeadlessWindow* window = SurfaceWindows(h)[0];
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->Bounds(), (platform::Rect{100, 50, 120, 60}));
  ASSERT_TRUE(window->Shape().has_value());
  EXPECT_EQ(*window->Shape(), (platform::Region{{3, 2, 5, 3}}));
  EXPECT_EQ(window->ImagePixels()[2 * 20 + 3], 0xFFFF0000u);  // an opaque copy of the picture
  EXPECT_EQ(window->Cursor(), 0);
  h.Fire(2);
  ASSERT_EQ(SurfaceWindows(h).size(), 1u);
  EXPECT_EQ(window->Bounds(), (platform::Rect{200, 60, 220, 70}));
  EXPECT_EQ(*window->Shape(), (platform::Region{{3, 2, 5, 3}, {0, 9, 1, 10}}));
  EXPECT_EQ(h.Count("surface-show slot=0"), 2u);
  EXPECT_TRUE(h.Traced("surface-show slot=0 x=200 y=60 w=20 h=10"));
  h.Fire(3);
  EXPECT_FALSE(window->Visible());
  EXPECT_FALSE(SurfaceAt(h, 0)->Visible);
  EXPECT_TRUE(h.Traced("surface-hide slot=0"));
}

TEST(Surfaces, AllTransparentPicturesHaveAnEmptyShapeAndEmptyOnesAreNotShown) {
  Harness<> h(SurfaceProject({{NewSurface(8, 8), Show(0, 0)}, {Select(1), NewSurface(0, 8), Show(5, 5)}}));
  h.Fire(1);
  ASSERT_EQ(SurfaceWindows(h).size(), 1u);
  ASSERT_TRUE(SurfaceWindows(h)[0]->Shape().has_value());
  EXPECT_TRUE(SurfaceWindows(h)[0]->Shape()->empty());
  h.Fire(2);
  EXPECT_EQ(SurfaceWindows(h).size(), 1u);
  EXPECT_EQ(h.Count("surface-show"), 1u);
}

TEST(Surfaces, AClickOnTheWindowRunsTheClickScriptWithTheHandCursor) {
  Harness<> h(SurfaceProject({{NewSurface(10, 10), Pixel(5, 5, kBlack), Act(60, {I(2)}), Show(30, 40)},
                              {SetNumber(1, 42)}}));
  h.player->Start();
  h.Fire(1);
  HeadlessWindow* window = SurfaceWindows(h).at(0);
  EXPECT_EQ(window->Cursor(), platform::kHandCursor);
  window->PressMouse(platform::MouseButton::Left, 5, 5);
  window->ReleaseMouse(platform::MouseButton::Left);
  EXPECT_EQ(h.Int("V"), 42);
  EXPECT_TRUE(h.Traced("surface-click slot=0 script=2"));
  // The right button opens the player's popup menu instead.
  window->PressMouse(platform::MouseButton::Right, 5, 5);
  EXPECT_EQ(h.Count("surface-click"), 1u);
  EXPECT_TRUE(h.Traced(" popup"));
}

TEST(Surfaces, NewSurfaceOnAShownSlotRemovesItsWindowAfterTheClickThatAskedForIt) {
  // The click script replaces the very surface whose window is being clicked; with a wait, the
  // wait's nested loop runs the task that frees retired windows while the click still runs on
  // the old window.
  for (bool waits : {false, true}) {
    std::vector<TKPFExeAction> click = {NewSurface(6, 6), SetNumber(1, 1)};
    if (waits) click.insert(click.begin() + 1, Act(4, {P::Text("2")}));
    Harness<> h(SurfaceProject({{NewSurface(10, 10), Pixel(1, 1, kBlack), Act(60, {I(2)}), Show(0, 0)}, click}));
    h.Fire(1);
    HeadlessWindow* window = SurfaceWindows(h).at(0);
    window->PressMouse(platform::MouseButton::Left, 1, 1);
    EXPECT_EQ(h.Int("V"), 1) << waits;
    // Hidden at once, the sender forgotten, the window object freed from the loop afterwards.
    ASSERT_EQ(SurfaceWindows(h).size(), 1u);
    EXPECT_FALSE(window->Visible());
    EXPECT_TRUE(h.Traced("surface-hide slot=0"));
    EXPECT_NE(h.player->Context().sender, engine::TriggerContext::SenderKind::Surface);
    h.platform.AdvanceBy(1);
    EXPECT_TRUE(SurfaceWindows(h).empty());
    EXPECT_EQ(SurfaceAt(h, 0)->Picture.Width(), 6);
    EXPECT_FALSE(SurfaceAt(h, 0)->Window);
  }
}

TEST(Surfaces, ShowingASurfaceResizedToNothingHidesItsWindow) {
  Harness<> h(SurfaceProject({{NewSurface(8, 8), Pixel(1, 1, kBlack), Show(10, 10)},
                              {Act(59, {I(0), I(0)}), Show(20, 20)},
                              {Act(59, {I(4), I(4)}), Show(30, 30)}}));
  h.Fire(1);
  HeadlessWindow* window = SurfaceWindows(h).at(0);
  ASSERT_TRUE(window->Visible());
  h.Fire(2);
  EXPECT_FALSE(window->Visible());
  EXPECT_FALSE(SurfaceAt(h, 0)->Visible);
  EXPECT_TRUE(h.Traced("surface-hide slot=0"));
  EXPECT_EQ(h.Count("surface-show"), 1u);
  h.Fire(3);  // sized again, the same window shows it
  ASSERT_EQ(SurfaceWindows(h).size(), 1u);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->Bounds(), (platform::Rect{30, 30, 34, 34}));
}

TEST(Surfaces, RectangleOutlinesRoundRectanglesAndTextSizesThroughTheirActions) {
  constexpr int32_t kXorPen = 14;
  Harness<> h(SurfaceProject({{NewSurface(8, 7), Act(49, {I(kRed), I(kXorPen), I(0), I(1)}),
                               Act(55, {I(1), I(1), I(5), I(4)})},
                              {NewSurface(40, 30), Act(49, {I(kBlack), I(4), I(0), I(1)}), Act(50, {I(kRed), I(0)}),
                               Act(63, {I(2), I(3), I(38), I(27)})},
                              {NewSurface(10, 10), Act(51, {P::Text("Sans"), I(kBlack), I(8), I(1)}),
                               Act(66, {P::Text("Hg"), P::Var(1)}), Act(67, {P::Text("Hg"), P::Var(2)})}}));
  // Four pen lines round (1, 1)-(5, 4), both corners included, each pixel drawn once (an xor
  // pen drawing a pixel twice would leave it white), the inside untouched.
  h.Fire(1);
  const render::Canvas& outline = SurfaceAt(h, 0)->Picture;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool onOutline = (x >= 1 && x <= 5 && (y == 1 || y == 4)) || (y >= 1 && y <= 4 && (x == 1 || x == 5));
      EXPECT_EQ(outline.GetPixel(x, y), onOutline ? (kWhite ^ kRed) : kWhite) << x << "," << y;
    }
  }
  // The round rectangle has the 8 × 4 corner ellipse, pen outline and brush inside.
  h.Fire(2);
  render::Canvas expected(40, 30), square(40, 30);
  for (render::Canvas* canvas : {&expected, &square}) {
    canvas->SetPen(kBlack, 4, 0, 1);
    canvas->SetBrush(kRed, 0);
  }
  expected.RoundRect(2, 3, 38, 27, 8, 4);
  square.RoundRect(2, 3, 38, 27, 0, 0);
  ASSERT_FALSE(std::ranges::equal(expected.Pixels(), square.Pixels()));
  EXPECT_TRUE(std::ranges::equal(SurfaceAt(h, 0)->Picture.Pixels(), expected.Pixels()));
  // Text sizes come from the surface's font: bold 8 points, as the canvas measures it.
  h.Fire(3);
  render::Canvas measured(1, 1);
  measured.SetFont("Sans", kBlack, 8, 1);
  EXPECT_EQ(h.Int("V"), measured.TextExtent("Hg").width);
  EXPECT_EQ(h.Int("W"), measured.TextExtent("Hg").height);
  EXPECT_GT(h.Int("W"), h.Int("V") / 2);
}

TEST(Surfaces, SizesBeyondTheBoundsAreRefusedBeforeAnythingIsReleased) {
  std::vector<TKPFExeAction> refused = {NewSurface(16385, 1), NewSurface(-1, 5), NewSurface(4096, 4097),
                                        Act(59, {I(1), I(-3)}), Act(59, {I(16384), I(16384)})};
  Harness<> h(SurfaceProject({{NewSurface(7, 3), Pixel(0, 0, kBlack), Show(10, 10)}, refused,
                              {Select(1), NewSurface(4096, 4096), Select(2), NewSurface(16384, 1024), Select(3),
                               NewSurface(4096, 4096), Select(4), NewSurface(4096, 4096)},
                              {Select(0), NewSurface(4096, 4096), Select(5), NewSurface(1, 1)}}));
  h.Fire(1);
  h.Fire(2);
  ASSERT_NE(SurfaceAt(h, 0), nullptr);
  EXPECT_EQ(SurfaceAt(h, 0)->Picture.Width(), 7);
  EXPECT_EQ(SurfaceAt(h, 0)->Picture.GetPixel(0, 0), kBlack);
  EXPECT_TRUE(SurfaceWindows(h).at(0)->Visible());
  // All surfaces together hold at most 64 M pixels: with slot 0's 21 pixels a fourth surface of
  // 16 M is refused, while one replacing slot 0 fits, and then not a pixel more.
  constexpr int64_t k16M = int64_t{16} << 20;
  h.Fire(3);
  EXPECT_EQ(SurfaceAt(h, 4), nullptr);
  EXPECT_EQ(h.player->Surfaces().TotalPixels(), 3 * k16M + 21);
  h.Fire(4);
  EXPECT_EQ(SurfaceAt(h, 0)->Picture.Width(), 4096);
  EXPECT_EQ(SurfaceAt(h, 5), nullptr);
  EXPECT_EQ(h.player->Surfaces().TotalPixels(), 4 * k16M);
}

TEST(Surfaces, HostileCoordinatesWidthsAndFrameIndexesAreBounded) {
  Harness<> h(SurfaceProject({{NewSurface(16, 16), Act(49, {I(kBlack), I(4), I(0), I(INT_MAX)}),
                               Act(56, {I(INT_MIN), I(INT_MIN), I(INT_MAX), I(INT_MAX)}),
                               Act(51, {P::Text(std::string(5000, 'F')), I(kBlack), I(INT_MIN), I(15)}),
                               Act(52, {I(INT_MIN), I(INT_MAX), P::Text("far")}), Pixel(INT_MAX, 0, kRed),
                               GetPixel(-1, 0, 1), Act(62, {I(0), I(0), P::Text("pic"), I(-1)}),
                               Act(62, {I(0), I(0), P::Text("pic"), I(2)}), Act(63, {I(INT_MIN), I(0), I(8), I(8)})}}));
  h.Fire(1);
  const render::Canvas& picture = SurfaceAt(h, 0)->Picture;
  EXPECT_EQ(picture.Pen().width, render::Canvas::kMaxPenWidth);
  EXPECT_EQ(picture.Font().size, render::Canvas::kMaxFontSize);
  EXPECT_EQ(picture.Font().face.size(), render::Canvas::kMaxFaceBytes);
  EXPECT_EQ(h.Int("V"), -1);
  // The wide line covered everything; no red pixel, no frame drawn.
  for (uint32_t pixel : picture.Pixels()) EXPECT_EQ(pixel, 0u);
}

TEST(Surfaces, AnimationFramesAreDrawnByNameAndIndex) {
  Harness<> h(SurfaceProject({{NewSurface(8, 8), Act(62, {I(2), I(3), P::Text("PIC"), I(1)}),
                               Act(62, {I(-2), I(6), P::Text("missing"), I(0)})}}));
  h.Fire(1);
  const render::Canvas& picture = SurfaceAt(h, 0)->Picture;
  constexpr int32_t kImage = 0x0A141E;  // SmallImage: blue 10, green 20, red 30
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
      EXPECT_EQ(picture.GetPixel(x, y), inside ? kImage : kWhite) << x << "," << y;
    }
  }
}

TEST(Surfaces, OutlinesOfManyRunsGoToTheWindowAsAMask) {
  // A diagonal cross hatch on 1024 × 512 has 114 688 single-pixel runs.
  Harness<> h(SurfaceProject({{NewSurface(1024, 512), Act(50, {I(kBlack), I(7)}),
                               Act(53, {I(0), I(0), I(1024), I(512)}), Show(0, 0)}}));
  h.Fire(1);
  HeadlessWindow* window = SurfaceWindows(h).at(0);
  EXPECT_FALSE(window->Shape().has_value());
  ASSERT_TRUE(window->Mask().has_value());
  const platform::ShapeMask& mask = *window->Mask();
  EXPECT_EQ(mask.width, 1024);
  EXPECT_EQ(mask.height, 512);
  EXPECT_TRUE(mask.Shows(0, 0));
  EXPECT_TRUE(mask.Shows(9, 1));   // x - y = 8
  EXPECT_TRUE(mask.Shows(7, 1));   // x + y = 8
  EXPECT_FALSE(mask.Shows(1, 0));
  EXPECT_FALSE(mask.Shows(8, 1));
}

TEST(Surfaces, TheTrayGetsACopyWithTheTransparentColourSeeThrough) {
  Harness<> h(SurfaceProject({{NewSurface(3, 2), Pixel(1, 0, kRed), Act(171)}}));
  std::vector<platform::Picture> pictures;
  engine::MainFormHandlers handlers;
  handlers.setTrayIcon = [&](const platform::Picture& picture) { pictures.push_back(picture); };
  h.player->SetMainFormHandlers(handlers);
  h.Fire(1);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].width, 3);
  EXPECT_EQ(pictures[0].height, 2);
  EXPECT_EQ(pictures[0].pixels[1], 0xFFFF0000u);
  EXPECT_EQ(pictures[0].pixels[0] >> 24, 0u);
}

TEST(Surfaces, CloseHidesTheWindowsAndReleasesTheSurfaces) {
  Harness<> h(SurfaceProject({{NewSurface(5, 5), Pixel(2, 2, kBlack), Show(0, 0), Select(9), NewSurface(5, 5),
                               Pixel(0, 0, kBlack), Show(9, 9)}}));
  ASSERT_TRUE(h.player->Start());
  h.Fire(1);
  ASSERT_EQ(SurfaceWindows(h).size(), 2u);
  h.player->Close();
  EXPECT_TRUE(h.Traced("surface-hide slot=0"));
  EXPECT_TRUE(h.Traced("surface-hide slot=9"));
  for (HeadlessWindow* window : SurfaceWindows(h)) EXPECT_FALSE(window->Visible());
  EXPECT_EQ(SurfaceAt(h, 9), nullptr);
  h.platform.AdvanceBy(1);
  EXPECT_TRUE(SurfaceWindows(h).empty());
}

TEST(Surfaces, KpftoolWritesTheSurfacesAsPictures) {
  project::ProjectSource source = SurfaceProject({{Select(2), NewSurface(6, 4), Pixel(5, 3, kRed)}});
  source.Scripts[0].Trigger = 2;  // at start
  source.Animations[0].RepeatCount = 0;
  const std::filesystem::path file = WriteProjectFile(source, "surfaces");
  tools::RunOptions options;
  options.file = file.string();
  options.seconds = 1;
  options.surfacesFolder = (file.parent_path() / "pictures").string();
  EXPECT_EQ(tools::RunHeadless(options, nullptr), 0);
  const render::PngImage png = render::ReadPng((file.parent_path() / "pictures" / "surface-2.png").string());
  EXPECT_EQ(png.width, 6);
  EXPECT_EQ(png.height, 4);
  EXPECT_EQ(png.pixels[3 * 6 + 5], 0xFFFF0000u);
  EXPECT_EQ(png.pixels[0], 0xFFFFFFFFu);
  EXPECT_FALSE(std::filesystem::exists(file.parent_path() / "pictures" / "surface-0.png"));
  std::filesystem::remove_all(file.parent_path());
}

}  // namespace
}  // namespace kpf::test
