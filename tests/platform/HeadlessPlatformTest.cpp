#include "platform/headless/HeadlessPlatform.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace kpf::platform::headless {
namespace {

using platform::LocalTime;
using platform::MessageBoxButtons;
using platform::MessageBoxIcon;
using platform::MessageBoxResult;
using platform::MouseButton;
using platform::Rect;

TEST(HeadlessPlatform, WorkAreaFollowsTheScreenUntilSet) {
  HeadlessPlatform desktop;
  EXPECT_EQ(desktop.WorkArea(), (Rect{0, 0, 1024, 768}));
  desktop.SetScreenRect({0, 0, 1920, 1080});
  EXPECT_EQ(desktop.WorkArea(), (Rect{0, 0, 1920, 1080}));
  desktop.SetWorkArea(Rect{0, 0, 1920, 1040});
  EXPECT_EQ(desktop.WorkArea(), (Rect{0, 0, 1920, 1040}));
}

auto Fields(const LocalTime& t) {
  return std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek);
}

TEST(HeadlessPlatform, LocalTimeFollowsTheVirtualClock) {
  struct Case {
    LocalTime start;
    int64_t advanceMs;
    LocalTime expected;
  };
  const std::vector<Case> cases{
      {{2000, 1, 1, 0, 0, 0, 0}, 0, {2000, 1, 1, 0, 0, 0, 7}},                // a Saturday
      {{2000, 1, 1, 0, 0, 0, 0}, 1999, {2000, 1, 1, 0, 0, 1, 7}},             // whole seconds only
      {{2026, 12, 31, 23, 59, 30, 0}, 45'000, {2027, 1, 1, 0, 0, 15, 6}},     // across the year
      {{2024, 2, 28, 12, 0, 0, 0}, 86'400'000, {2024, 2, 29, 12, 0, 0, 5}},  // leap day
      {{2026, 12, 6, 10, 0, 0, 0}, 86'400'000, {2026, 12, 7, 10, 0, 0, 2}},  // Sunday to Monday
  };
  for (const Case& test : cases) {
    HeadlessPlatform desktop;
    desktop.SetStartTime(test.start);
    desktop.AdvanceBy(test.advanceMs);
    EXPECT_EQ(Fields(desktop.Now()), Fields(test.expected)) << test.start.year << "-" << test.start.month;
  }
}

// Records the input a window reports.
class InputLog : public platform::WindowInput {
 public:
  void MouseDown(MouseButton button, int x, int y) override {
    Add("down " + std::to_string(static_cast<int>(button)) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseMove(bool left, bool right, int x, int y) override {
    Add("move " + std::to_string(left) + std::to_string(right) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseUp(MouseButton button) override { Add("up " + std::to_string(static_cast<int>(button))); }
  void DoubleClick() override { Add("double"); }
  void KeyDown(int key) override { Add("keydown " + std::to_string(key)); }
  void KeyUp(int key) override { Add("keyup " + std::to_string(key)); }
  void CloseRequested() override { Add("close"); }
  void Add(std::string entry) { entries.push_back(std::move(entry)); }
  std::vector<std::string> entries;
};

TEST(HeadlessPlatform, WindowsRecordTheirPictureShapeAndLifetime) {
  HeadlessPlatform desktop;
  auto first = desktop.CreateWindow();
  auto second = desktop.CreateWindow();
  HeadlessWindow* window = desktop.LastWindow();
  EXPECT_EQ(window, second.get());
  EXPECT_EQ(window->Id(), 2u);
  second->MoveResize(10, 20, 30, 40);
  EXPECT_EQ(window->Bounds(), (Rect{10, 20, 40, 60}));

  const std::vector<uint32_t> pixels{0xFF000000u, 0x80FFFFFFu};
  second->ShowImage({2, 1, pixels});
  const platform::Region shape{{0, 0, 1, 1}};
  second->SetShape(&shape);
  EXPECT_EQ(window->ImageWidth(), 2);
  EXPECT_EQ(window->ImagePixels(), pixels);
  EXPECT_FALSE(window->Layered());
  EXPECT_EQ(window->Shape(), shape);
  second->ShowLayered({1, 1, std::span(pixels).first(1)}, 200);
  second->SetShape(nullptr);
  EXPECT_TRUE(window->Layered());
  EXPECT_EQ(window->LayeredAlpha(), 200);
  EXPECT_EQ(window->ImageCount(), 2);
  EXPECT_FALSE(window->Shape().has_value());

  EXPECT_TRUE(first->SupportsPerPixelAlpha());
  desktop.SetPerPixelAlpha(false);
  EXPECT_FALSE(first->SupportsPerPixelAlpha());
  second.reset();
  EXPECT_EQ(desktop.LastWindow(), first.get());
  first.reset();
  EXPECT_EQ(desktop.LastWindow(), nullptr);
}

TEST(HeadlessPlatform, InjectedInputReachesTheOwner) {
  HeadlessPlatform desktop;
  auto native = desktop.CreateWindow();
  HeadlessWindow& window = *desktop.LastWindow();
  window.PressMouse(MouseButton::Left, 1, 1);  // no owner yet: ignored
  InputLog input;
  native->SetInput(&input);
  window.PressMouse(MouseButton::Right, 3, 4);
  window.MoveMouse(false, true, 100, 200);
  window.ReleaseMouse(MouseButton::Right);
  window.DoubleClick();
  window.PressKey(65);
  window.ReleaseKey(65);
  window.RequestClose();
  EXPECT_EQ(input.entries, (std::vector<std::string>{"down 1 3,4", "move 01 100,200", "up 1", "double",
                                                     "keydown 65", "keyup 65", "close"}));
}

TEST(HeadlessPlatform, MessageBoxesAndShellAreRecordedAndTraced) {
  HeadlessPlatform desktop;
  std::vector<std::string> trace;
  desktop.SetEventRecorder([&](std::string event) { trace.push_back(std::move(event)); });
  desktop.QueueMessageBoxAnswer(MessageBoxResult::No);
  EXPECT_EQ(desktop.MessageBox("Quit?", "Player", MessageBoxIcon::Question, MessageBoxButtons::YesNo),
            MessageBoxResult::No);
  EXPECT_EQ(desktop.MessageBox("Done", "Player", MessageBoxIcon::Information, MessageBoxButtons::Ok),
            MessageBoxResult::Ok);
  desktop.SetMessageBoxHandler([&](const MessageBoxCall& call) {
    desktop.AdvanceBy(1000);  // the user takes a second
    return call.buttons == MessageBoxButtons::YesNoCancel ? MessageBoxResult::Cancel : MessageBoxResult::Yes;
  });
  EXPECT_EQ(desktop.MessageBox("Save?", "", MessageBoxIcon::Warning, MessageBoxButtons::YesNoCancel),
            MessageBoxResult::Cancel);
  EXPECT_EQ(desktop.NowMs(), 1000);
  ASSERT_EQ(desktop.MessageBoxes().size(), 3u);
  EXPECT_EQ(desktop.MessageBoxes()[0].icon, MessageBoxIcon::Question);

  EXPECT_TRUE(desktop.ShellOpen("http://example.invalid/"));
  desktop.SetShellOpenResult(false);
  EXPECT_FALSE(desktop.ShellOpen("C:\\missing.txt"));
  EXPECT_EQ(desktop.OpenedTargets(), (std::vector<std::string>{"http://example.invalid/", "C:\\missing.txt"}));
  desktop.SetApplicationMinimised(true);

  EXPECT_EQ(trace, (std::vector<std::string>{"message box: Player: Quit?", "message box: Player: Done",
                                             "message box: : Save?", "shell open: http://example.invalid/",
                                             "shell open: C:\\missing.txt", "minimised: 1"}));
}

TEST(HeadlessPlatform, WindowsAndTimersMayOutliveThePlatformAndTheLoop) {
  std::unique_ptr<platform::NativeWindow> window = HeadlessPlatform().CreateWindow();
  window->SetVisible(true);
  std::unique_ptr<platform::Timer> timer = std::make_unique<HeadlessEventLoop>()->CreateTimer();
  timer->SetEnabled(true);
  timer->SetInterval(5);
  timer->SetEnabled(false);
}

}  // namespace
}  // namespace kpf::platform::headless
