// The desktop in character pixels over the headless desktop: what the engine reads is the real
// screen divided by the scale, what it places is multiplied, and pictures, shapes, bubbles,
// cursors and dialogs reach the platform enlarged pixel by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/HeadlessPlatform.hpp"
#include "platform/scaled/ScaledPlatform.hpp"

namespace kpf::platform::scaled {
namespace {

using headless::HeadlessPlatform;

struct RecordedInput : WindowInput {
  void MouseDown(MouseButton, int x, int y) override { presses.push_back({x, y}); }
  void MouseMove(bool, bool, int x, int y) override { moves.push_back({x, y}); }
  void MouseUp(MouseButton) override {}
  void DoubleClick() override {}
  void KeyDown(int) override {}
  void KeyUp(int) override {}
  void CloseRequested() override {}
  std::vector<Point> presses, moves;
};

struct RecordedDialogEvents : DialogWindowEvents {
  void WindowCloseRequested() override {}
  void BackgroundMouseDown(MouseButton, int x, int y) override { presses.push_back({x, y}); }
  void BackgroundMouseMove(bool, int x, int y) override { moves.push_back({x, y}); }
  void BackgroundClicked() override {}
  std::vector<Point> presses, moves;
};

TEST(PixelScaleTest, MapsBothWaysRoundingTowardsTheCoveringPixel) {
  const PixelScale two(2);
  EXPECT_EQ(two.Up(Rect{-3, 5, 10, 11}), (Rect{-6, 10, 20, 22}));
  EXPECT_EQ(two.Down(Rect{-3, 5, 10, 11}), (Rect{-2, 2, 5, 5}));
  EXPECT_EQ(two.Down(two.Up(Point{-7, 9})), (Point{-7, 9}));
  // Far positions stop at what the window system carries instead of wrapping.
  EXPECT_EQ(PixelScale(4).Up(20000), kMaxWindowCoordinate);
  const PixelScale half(1, 2);
  EXPECT_EQ(half.Up(7), 3);
  EXPECT_EQ(half.UpSize(1), 1);
  EXPECT_EQ(half.Down(3), 6);
  // Factors outside 1/4..4 are held at the limits.
  EXPECT_EQ(PixelScale(9).Numerator(), kMaxScale);
  EXPECT_TRUE(PixelScale(2, 2).Identity());
}

TEST(PixelScaleTest, EnlargesPicturesAndMasksPixelByPixel) {
  const std::vector<uint32_t> pixels{1, 2, 3, 4, 5, 6};  // 3 × 2
  std::vector<uint32_t> enlarged;
  const ImageView view = PixelScale(2).Up(ImageView{3, 2, pixels}, enlarged);
  ASSERT_EQ(view.width, 6);
  ASSERT_EQ(view.height, 4);
  const std::vector<uint32_t> expected{1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 4, 4, 5, 5, 6, 6};
  EXPECT_EQ(std::vector<uint32_t>(view.pixels.begin(), view.pixels.end()), expected);
  // A view shorter than its size is passed on as it is, never read past its end.
  EXPECT_EQ(PixelScale(2).Up(ImageView{3, 3, pixels}, enlarged).width, 3);

  ShapeMask mask{3, 1, {0b101}};
  const ShapeMask big = PixelScale(3).Up(mask);
  ASSERT_EQ(big.width, 9);
  ASSERT_EQ(big.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(big.Shows(x, y), x < 3 || x >= 6) << x << "," << y;
  }
}

class ScaledPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop_.SetScreenRect({0, 0, 2048, 1536});
    desktop_.SetWorkArea(Rect{0, 0, 2048, 1456});
    desktop_.SetTaskbarRect(Rect{0, 1456, 2048, 1536});
    desktop_.SetPointer({301, 400});
  }
  HeadlessPlatform desktop_;
  ScaledPlatform scaled_{desktop_, 2};
};

TEST_F(ScaledPlatformTest, TheEngineSeesTheScreenDividedAndPlacesMultiplied) {
  EXPECT_EQ(scaled_.ScreenRect(), (Rect{0, 0, 1024, 768}));
  EXPECT_EQ(scaled_.WorkArea(), (Rect{0, 0, 1024, 728}));
  EXPECT_EQ(scaled_.TaskbarRect(), (Rect{0, 728, 1024, 768}));
  EXPECT_EQ(scaled_.Pointer(), (Point{150, 200}));
  ASSERT_NE(scaled_.ScreenSaver(), nullptr);
  EXPECT_EQ(scaled_.ScreenSaver()->ReadPointer(), (Point{150, 200}));
  desktop_.SetWindowsFromForeground({DesktopWindow{7, "editor", true, ShowState::Normal, {100, 50, 900, 651}}});
  EXPECT_EQ(scaled_.WindowsFromForeground().at(0).rect, (Rect{50, 25, 450, 325}));
  scaled_.WarpPointer({10, 20});
  EXPECT_EQ(desktop_.Pointer(), (Point{20, 40}));
  desktop_.SetTaskbarRect(std::nullopt);
  EXPECT_EQ(scaled_.TaskbarRect(), std::nullopt);
}

TEST_F(ScaledPlatformTest, MonitorsAreDividedAndTheirChangesAndChoicePassThrough) {
  desktop_.SetMonitors(MonitorLayout{{Monitor{{2048, 0, 4608, 1440}, {2048, 0, 4608, 1380}},
                                      Monitor{{0, 200, 2048, 1736}, {0, 200, 2048, 1736}}},
                                     0});
  int changes = 0;
  scaled_.SetOnMonitorsChanged([&changes] { ++changes; });
  desktop_.VirtualLoop().RunPending();
  EXPECT_EQ(changes, 1);
  const MonitorLayout seen = scaled_.Monitors();
  ASSERT_EQ(seen.monitors.size(), 2u);
  EXPECT_EQ(seen.monitors[0], (Monitor{{1024, 0, 2304, 720}, {1024, 0, 2304, 690}}));
  EXPECT_EQ(seen.monitors[1], (Monitor{{0, 100, 1024, 868}, {0, 100, 1024, 868}}));
  EXPECT_EQ(scaled_.ScreenRect(), (Rect{1024, 0, 2304, 720}));
  scaled_.ChooseScreenMonitor(1);
  EXPECT_EQ(desktop_.ChosenMonitor(), 1);
  EXPECT_EQ(scaled_.Monitors().primary, 1u);
  EXPECT_EQ(scaled_.WorkArea(), (Rect{0, 100, 1024, 868}));
}

TEST_F(ScaledPlatformTest, CharacterWindowsAreDrawnLargerAndReportInputInCharacterPixels) {
  auto window = scaled_.CreateWindow();
  RecordedInput input;
  window->SetInput(&input);
  window->MoveResize(100, 50, 3, 2);
  headless::HeadlessWindow& real = *desktop_.LastWindow();
  EXPECT_EQ(real.Bounds(), (Rect{200, 100, 206, 104}));
  EXPECT_EQ(window->Bounds(), (Rect{100, 50, 103, 52}));

  const std::vector<uint32_t> pixels{0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005, 0xFF000006};
  window->ShowLayered(ImageView{3, 2, pixels}, 200);
  ASSERT_EQ(real.ImageWidth(), 6);
  ASSERT_EQ(real.ImageHeight(), 4);
  EXPECT_EQ(real.ImagePixels()[6 * 3 + 5], 0xFF000006u);
  EXPECT_EQ(real.LayeredAlpha(), 200);
  const Region shape{{1, 0, 3, 1}};
  window->SetShape(&shape);
  EXPECT_EQ(real.Shape(), (Region{{2, 0, 6, 2}}));
  window->SetShapeMask(ShapeMask{3, 2, {0b001, 0b100}});
  ASSERT_TRUE(real.Mask());
  EXPECT_TRUE(real.Mask()->Shows(1, 1));
  EXPECT_FALSE(real.Mask()->Shows(2, 2));
  EXPECT_TRUE(real.Mask()->Shows(5, 3));

  real.PressMouse(MouseButton::Left, 5, 3);
  real.MoveMouse(true, false, 411, 201);
  EXPECT_EQ(input.presses, (std::vector<Point>{{2, 1}}));
  EXPECT_EQ(input.moves, (std::vector<Point>{{205, 100}}));
}

TEST_F(ScaledPlatformTest, BubblesMenusAndCursorsFollowTheScale) {
  auto hint = scaled_.CreateHintWindow();
  HintBubble bubble;
  bubble.width = 40;
  bubble.bodyHeight = 20;
  bubble.height = 30;
  hint->Show(bubble, {10, 20});
  const headless::HeadlessHintWindow& real = *desktop_.LastHintWindow();
  EXPECT_EQ(real.Bubble()->scale, 2);
  EXPECT_EQ(real.Bubble()->width, 40);  // laid out in character pixels, drawn twice as large
  EXPECT_EQ(real.Bounds(), (Rect{20, 40, 100, 100}));
  EXPECT_EQ(hint->Bounds(), (Rect{10, 20, 50, 50}));

  auto menu = scaled_.CreatePopupMenu();
  MenuEntry close;
  close.caption = "Close";
  menu->Popup({close}, {30, 40}, [](int) {});
  EXPECT_EQ(desktop_.LastPopupMenu()->Popups().at(0).at, (Point{60, 80}));

  scaled_.RegisterCursor(3, CursorImage{Picture{1, 1, {0xFF00FF00}}, 0, 1});
  const CursorImage& cursor = desktop_.Cursors().at(3);
  EXPECT_EQ(cursor.picture.width, 2);
  EXPECT_EQ(cursor.picture.pixels, (std::vector<uint32_t>(4, 0xFF00FF00)));
  EXPECT_EQ(cursor.hotSpotY, 2);
}

TEST_F(ScaledPlatformTest, DialogsAreEnlargedByWhatTheToolkitDoesNotScaleItself) {
  auto dialog = scaled_.CreateDialogWindow();
  RecordedDialogEvents events;
  dialog->SetEvents(&events);
  dialog->SetClientSize(200, 100);
  dialog->MoveTo(30, 40);
  dialog->SetBackground(Picture{1, 1, {0xFF112233}});
  auto label = dialog->CreateControl(DialogControlKind::Label, {});
  label->SetBounds({5, 6, 25, 16});
  DialogFont font;
  font.pixelHeight = 11;
  label->SetFont(font);
  headless::HeadlessDialogWindow& real = *desktop_.DialogWindows().back();
  EXPECT_EQ(real.ClientWidth(), 400);
  EXPECT_EQ(real.ClientHeight(), 200);
  EXPECT_EQ(real.Background().width, 2);
  EXPECT_EQ(real.Controls().back()->Bounds(), (Rect{10, 12, 50, 32}));
  EXPECT_EQ(real.Controls().back()->Font().pixelHeight, 22);
  EXPECT_EQ(dialog->Bounds().left, 30);
  real.UserPressBackground(MouseButton::Left, 41, 20);
  EXPECT_EQ(events.presses, (std::vector<Point>{{20, 10}}));

  // A toolkit that already doubles its windows gets the dialog as it is.
  ScaledPlatform underScaledToolkit(desktop_, 2, 2);
  auto plain = underScaledToolkit.CreateDialogWindow();
  plain->SetClientSize(200, 100);
  EXPECT_EQ(desktop_.DialogWindows().back()->ClientWidth(), 200);
}

}  // namespace
}  // namespace kpf::platform::scaled
