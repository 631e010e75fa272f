// The character window on a real X server: shapes as they show on screen and as they take the
// pointer, exact placement, and the input it reports.
#include <algorithm>
#include <tuple>
#include <vector>

#include "GtkTestSupport.hpp"

#include <X11/Xatom.h>
#include <X11/keysym.h>

namespace kpf::platform::gtk::testing {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kScreenRed = 0xFF0000;
constexpr uint32_t kRootBlack = 0x000000;

struct Press {
  MouseButton button;
  int x, y;
  bool operator==(const Press&) const = default;
};

struct RecordedInput : WindowInput {
  std::vector<Press> downs;
  std::vector<MouseButton> ups;
  std::vector<Point> moves;
  std::vector<int> keysDown, keysUp;
  int doubleClicks = 0, closeRequests = 0;

  void MouseDown(MouseButton button, int x, int y) override { downs.push_back({button, x, y}); }
  void MouseMove(bool, bool, int screenX, int screenY) override { moves.push_back({screenX, screenY}); }
  void MouseUp(MouseButton button) override { ups.push_back(button); }
  void DoubleClick() override { ++doubleClicks; }
  void KeyDown(int keyCode) override { keysDown.push_back(keyCode); }
  void KeyUp(int keyCode) override { keysUp.push_back(keyCode); }
  void CloseRequested() override { ++closeRequests; }
};

class GtkNativeWindowTest : public GtkDisplayTest {
 protected:
  // A red window at (x, y) of the given size, shown; Drawn tells when it is on screen.
  std::unique_ptr<NativeWindow> ShowRedWindow(int x, int y, int width, int height, const Region* shape) {
    pixels_.assign(static_cast<size_t>(width) * height, kRed);
    auto window = platform_->CreateWindow();
    window->SetInput(&input_);
    window->MoveResize(x, y, width, height);
    window->ShowImage(ImageView{width, height, pixels_});
    window->SetShape(shape);
    window->SetVisible(true);
    return window;
  }
  bool Drawn(int x, int y, uint32_t colour = kScreenRed) {
    return RunUntil([&] { return ScreenPixel(x, y) == colour; });
  }

  std::vector<uint32_t> pixels_;
  RecordedInput input_;
};

TEST_F(GtkNativeWindowTest, ShapeOfTwoRectanglesShowsOnlyTheirPixelsAndTakesOnlyTheirClicks) {
  const Region shape{Rect{0, 0, 50, 50}, Rect{100, 50, 200, 100}};
  auto window = ShowRedWindow(100, 100, 200, 100, &shape);
  ASSERT_TRUE(Drawn(125, 125) && Drawn(250, 175));
  const std::tuple<int, int, uint32_t> probes[] = {
      {100, 100, kScreenRed}, {149, 149, kScreenRed}, {150, 100, kRootBlack}, {175, 125, kRootBlack},
      {200, 150, kScreenRed}, {299, 199, kScreenRed}, {199, 175, kRootBlack}, {125, 175, kRootBlack},
      {99, 100, kRootBlack},  {300, 199, kRootBlack},
  };
  for (const auto& [x, y, expected] : probes) EXPECT_EQ(ScreenPixel(x, y), expected) << "at " << x << "," << y;
  Click(175, 125);  // outside the shape: goes to the root
  Click(260, 170);  // inside the second rectangle
  ASSERT_TRUE(RunUntil([&] { return !input_.downs.empty() && !input_.ups.empty(); }));
  EXPECT_EQ(input_.downs, (std::vector<Press>{{MouseButton::Left, 160, 70}}));
  EXPECT_EQ(input_.ups, std::vector<MouseButton>{MouseButton::Left});
}

TEST_F(GtkNativeWindowTest, RemovingTheShapeShowsTheWholeRectangleAndAnEmptyShapeNothing) {
  const Region shape{Rect{0, 0, 10, 10}};
  auto window = ShowRedWindow(50, 60, 80, 40, &shape);
  ASSERT_TRUE(Drawn(55, 65));
  EXPECT_EQ(ScreenPixel(100, 80), kRootBlack);
  window->SetShape(nullptr);
  ASSERT_TRUE(Drawn(100, 80));
  EXPECT_EQ(ScreenPixel(129, 99), kScreenRed);
  EXPECT_EQ(ScreenPixel(130, 100), kRootBlack);
  const Region empty;
  window->SetShape(&empty);
  ASSERT_TRUE(Drawn(100, 80, kRootBlack));
  EXPECT_EQ(ScreenPixel(55, 65), kRootBlack);
}

// Most frames keep the window where it is: asking for the same rectangle again sends the server
// nothing, and a move that keeps the size still takes the window there.
TEST_F(GtkNativeWindowTest, TheSameRectangleAgainSendsNothingAndAMoveStillArrives) {
  auto window = ShowRedWindow(40, 40, 30, 30, nullptr);
  ASSERT_TRUE(Drawn(50, 50));
  const unsigned long before = NextRequest(display_);
  window->MoveResize(40, 40, 30, 30);
  EXPECT_EQ(NextRequest(display_), before);
  window->MoveResize(60, 40, 30, 30);
  ASSERT_TRUE(Drawn(85, 50));
  EXPECT_TRUE(Drawn(50, 50, kRootBlack));
}

// More rectangles than one shape request should carry go to the server as a bit mask: the
// window shows, and takes clicks on, exactly the same pixels.
TEST_F(GtkNativeWindowTest, ShapesOfTooManyRectanglesAndBitMasksShowTheirPixelsOnly) {
  Region columns;  // every other pixel of every row: 90 000 runs
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 600; x += 2) columns.push_back(Rect{x, y, x + 1, y + 1});
  }
  ASSERT_GT(columns.size(), kMaxShapeRectangles);
  auto window = ShowRedWindow(0, 100, 600, 300, &columns);
  ASSERT_TRUE(Drawn(0, 100) && Drawn(598, 399));
  for (const auto& [x, y, expected] : std::vector<std::tuple<int, int, uint32_t>>{
           {1, 100, kRootBlack}, {2, 101, kScreenRed}, {301, 250, kRootBlack}, {300, 250, kScreenRed}}) {
    EXPECT_EQ(ScreenPixel(x, y), expected) << "at " << x << "," << y;
  }
  Click(301, 250);  // a transparent column: goes to the root
  Click(300, 250);
  ASSERT_TRUE(RunUntil([&] { return !input_.downs.empty() && !input_.ups.empty(); }));
  EXPECT_EQ(input_.downs, (std::vector<Press>{{MouseButton::Left, 300, 150}}));
  // A mask of one 10 × 10 square at (20, 20).
  ShapeMask mask{.width = 600, .height = 300, .bits = {}};
  mask.bits.assign(mask.RowBytes() * 300, 0);
  for (int y = 20; y < 30; ++y) {
    for (int x = 20; x < 30; ++x) mask.bits[y * mask.RowBytes() + x / 8] |= static_cast<uint8_t>(1u << (x % 8));
  }
  window->SetShapeMask(mask);
  window->SetCursor(kHandCursor);
  EXPECT_TRUE(RunUntil([&] { return ScreenPixel(2, 101) == kRootBlack; }));
  EXPECT_TRUE(Drawn(25, 125));  // newly inside the shape: painted on its expose
  EXPECT_EQ(ScreenPixel(30, 125), kRootBlack);
  EXPECT_EQ(ScreenPixel(19, 120), kRootBlack);
}

TEST_F(GtkNativeWindowTest, ButtonsDoubleClicksKeysAndCloseRequestsAreReported) {
  auto window = ShowRedWindow(200, 200, 100, 100, nullptr);
  ASSERT_TRUE(Drawn(250, 250));
  Click(210, 220, 3);
  Click(211, 221, 2);
  Click(230, 240, 1);
  Click(230, 240, 1);
  ASSERT_TRUE(RunUntil([&] { return input_.doubleClicks == 1 && input_.ups.size() == 4; }));
  using enum MouseButton;
  EXPECT_EQ(input_.downs, (std::vector<Press>{{Right, 10, 20}, {Middle, 11, 21}, {Left, 30, 40}, {Left, 30, 40}}));
  EXPECT_EQ(input_.ups, (std::vector<MouseButton>{Right, Middle, Left, Left}));
  ASSERT_FALSE(input_.moves.empty());
  EXPECT_EQ(input_.moves.back(), (Point{230, 240}));  // screen coordinates

  // Keys come as virtual-key codes.
  XSetInputFocus(display_, XWindowOf(*window), RevertToPointerRoot, CurrentTime);
  for (const KeySym symbol : {KeySym{XK_a}, KeySym{XK_Left}, KeySym{XK_Return}}) {
    const KeyCode code = XKeysymToKeycode(display_, symbol);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
  }
  XSync(display_, False);
  ASSERT_TRUE(RunUntil([&] { return input_.keysUp.size() == 3; }));
  EXPECT_EQ(input_.keysDown, (std::vector<int>{0x41, 0x25, 0x0D}));
  EXPECT_EQ(input_.keysUp, input_.keysDown);

  // The window manager's close request is reported; the owner decides.
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = XWindowOf(*window);
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, event.xclient.window, False, NoEventMask, &event);
  ASSERT_TRUE(RunUntil([&] { return input_.closeRequests == 1; }));
  EXPECT_TRUE(window->Visible());
}

// The caption is checked where the platform lists the desktop's windows.
TEST_F(GtkNativeWindowTest, MoveResizePlacesTheWindowExactlyAndStackingFlagsFollowRequests) {
  auto window = ShowRedWindow(10, 10, 40, 40, nullptr);
  ASSERT_TRUE(Drawn(20, 20));
  window->MoveResize(123, 77, 64, 32);
  EXPECT_EQ(window->Bounds(), (Rect{123, 77, 187, 109}));
  auto geometry = [&] {
    Window child = 0;
    int x = 0, y = 0;
    XWindowAttributes attributes{};
    XTranslateCoordinates(display_, XWindowOf(*window), DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    XGetWindowAttributes(display_, XWindowOf(*window), &attributes);
    return Rect{x, y, x + attributes.width, y + attributes.height};
  };
  ASSERT_TRUE(RunUntil([&] { return geometry() == Rect{123, 77, 187, 109}; })) << "at " << geometry().left;
  // The picture is redrawn for the new size once the program gives it one; the old place is empty.
  EXPECT_EQ(ScreenPixel(20, 20), kRootBlack);
  window->SetTopmost(true);
  EXPECT_TRUE(window->Topmost());
  window->BringToFront();
  window->SetVisible(false);
  EXPECT_FALSE(window->Visible());
  EXPECT_FALSE(window->SupportsPerPixelAlpha());  // Xvfb alone does not composite
}

// X carries positions in 16 bits: a far position stays at the far edge instead of wrapping round.
TEST_F(GtkNativeWindowTest, FarPositionsStayAtTheEdgeOfWhatXCanCarry) {
  auto window = ShowRedWindow(10, 10, 20, 20, nullptr);
  window->MoveResize(100000, -100000, 20, 20);
  EXPECT_EQ(window->Bounds().left, 32767);
  const auto position = [&] {
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display_, XWindowOf(*window), &root, &x, &y, &width, &height, &border, &depth);
    return Point{x, y};
  };
  EXPECT_TRUE(RunUntil([&] { return position() == Point{32767, -32768}; })) << position().x << "," << position().y;
}

// Without a window manager the window is restacked beside its sibling directly; a window that
// has gone is refused inside an X error trap instead of ending the program.
TEST_F(GtkNativeWindowTest, PlaceBelowRestacksUnderTheSiblingAndRefusesAWindowThatHasGone) {
  auto lower = ShowRedWindow(10, 10, 20, 20, nullptr);
  auto upper = ShowRedWindow(15, 15, 20, 20, nullptr);
  const auto order = [&] {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> stack;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) != 0) {
      stack.assign(children, children + count);
      XFree(children);
    }
    const auto at = [&](Window w) { return std::find(stack.begin(), stack.end(), w) - stack.begin(); };
    return at(XWindowOf(*upper)) < at(XWindowOf(*lower));
  };
  ASSERT_TRUE(RunUntil([&] { return !order(); }));
  EXPECT_TRUE(upper->PlaceBelow(XWindowOf(*lower)));
  EXPECT_TRUE(RunUntil(order));
  const Window gone = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 5, 5, 0, 0, 0);
  XDestroyWindow(display_, gone);
  XSync(display_, False);
  EXPECT_FALSE(upper->PlaceBelow(gone));
  EXPECT_FALSE(upper->PlaceBelow(0));
  RunUntil([] { return false; }, 5);  // the program is still here after the server's answers
}

// Per-pixel alpha needs a compositor; xcompmgr provides one when it is installed.
class CompositedWindowTest : public GtkNativeWindowTest {
 protected:
  void SetUp() override {
    GtkNativeWindowTest::SetUp();
    if (IsSkipped()) return;
    compositor_ = Spawn({"xcompmgr"});
    if (compositor_ <= 0) GTEST_SKIP() << "xcompmgr is not installed";
    ASSERT_TRUE(RunUntil([] { return gdk_screen_is_composited(gdk_screen_get_default()) != FALSE; }));
  }
  void TearDown() override {
    if (compositor_ <= 0) return;
    Terminate(compositor_);
    // Later tests expect a screen without compositing again.
    RunUntil([] { return gdk_screen_is_composited(gdk_screen_get_default()) == FALSE; });
  }
  pid_t compositor_ = -1;
};

TEST_F(CompositedWindowTest, PerPixelAlphaBlendsWithTheDesktopAndTransparentPixelsPassClicks) {
  constexpr int kSize = 100;
  // Left half fully transparent, right half red at half opacity (premultiplied).
  std::vector<uint32_t> premultiplied(kSize * kSize);
  for (int i = 0; i < kSize * kSize; ++i) premultiplied[i] = i % kSize < kSize / 2 ? 0x00000000 : 0x80800000;
  auto window = platform_->CreateWindow();
  ASSERT_TRUE(window->SupportsPerPixelAlpha());
  window->SetInput(&input_);
  window->MoveResize(100, 100, kSize, kSize);
  window->ShowLayered(ImageView{kSize, kSize, premultiplied}, 255);
  window->SetVisible(true);
  // The compositor paints its own desktop background: the expected colours are blended over it.
  ASSERT_TRUE(RunUntil([&] { return ScreenPixel(175, 150) != ScreenPixel(50, 50); }));
  const uint32_t background = ScreenPixel(50, 50);
  const auto blendsTo = [&](double red, double alpha) {
    const uint32_t pixel = ScreenPixel(175, 150);
    for (int shift : {16, 8, 0}) {
      const double under = (background >> shift) & 0xFF;
      const double expected = (shift == 16 ? red : 0.0) + under * (1.0 - alpha);
      const double shown = (pixel >> shift) & 0xFF;
      if (shown < expected - 3 || shown > expected + 3) return false;
    }
    return true;
  };
  ASSERT_TRUE(RunUntil([&] { return blendsTo(0x80, 0x80 / 255.0); })) << std::hex << ScreenPixel(175, 150);
  EXPECT_EQ(ScreenPixel(125, 150), background);
  Click(125, 150);  // alpha 0: passes through
  Click(175, 150);
  ASSERT_TRUE(RunUntil([&] { return !input_.ups.empty(); }));
  EXPECT_EQ(input_.downs, (std::vector<Press>{{MouseButton::Left, 75, 50}}));

  // The constant alpha scales the whole picture.
  window->ShowLayered(ImageView{kSize, kSize, premultiplied}, 128);
  ASSERT_TRUE(RunUntil([&] { return blendsTo(0x40, 0x40 / 255.0); })) << std::hex << ScreenPixel(175, 150);

  // Back on the opaque path the whole window takes clicks again.
  pixels_.assign(kSize * kSize, kRed);
  window->ShowImage(ImageView{kSize, kSize, pixels_});
  ASSERT_TRUE(Drawn(125, 150));
  Click(125, 150);
  ASSERT_TRUE(RunUntil([&] { return input_.ups.size() == 2; }));
  ASSERT_EQ(input_.downs.size(), 2u);
  EXPECT_EQ(input_.downs[1].x, 25);
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
