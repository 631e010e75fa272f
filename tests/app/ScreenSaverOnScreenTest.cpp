// The real kpfplayer in its screen-saver roles on a private X server: a copy named "x.scr" ends
// on a one-pixel pointer move or a key press anywhere (not on a window appearing under a still
// pointer), runs once per user, paints its preview into a window of ours, shows its message when
// there are no preferences to install into; under any name it plays inside a window it is given,
// as a display program of a screen-saver daemon, until SIGTERM ends it. How the preferences are
// rewritten is checked on the preferences writer and the headless session.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "AppTestProjects.hpp"
#include "PlayerProcess.hpp"
#include "ScreenTest.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::Soon;

constexpr uint32_t kRed = 0xE02020;
constexpr uint32_t kBlue = 0x2040E0;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00A000;
// The character: a 100 × 100 window at (100, 100) whose opaque part is the centred 60 × 60.
constexpr int kOpaque = 150, kClear = 105;
// Far from the character.
constexpr int kAwayX = 500, kAwayY = 400;

// Idle shows red; the keyboard script (trigger 5) would turn it blue.
project::ProjectSource SaverProject() {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images = {testing::Square(100, 0xFF000000 | kRed, 60), testing::Square(100, 0xFF000000 | kBlue, 60)};
  project::AnimationSource idle = testing::Showing(1, "idle", 0, 0, 100, "100", "100");
  project::AnimationSource keyed = testing::Showing(2, "keyed", 3, 1, 100, "100", "100");
  testing::KeyOutMagenta({&idle, &keyed});
  source.Scripts = {testing::ScriptOf(1, 5, {testing::Action(1, {{1, "keyed"}})})};
  source.NextScriptId = 2;
  source.Animations = {idle, keyed};
  return source;
}

class ScreenSaverOnScreenTest : public testing::ScreenTest {
 protected:
  void TearDown() override {
    processes_.clear();
    if (x_ != nullptr) {
      for (const Window window : windows_) XDestroyWindow(x_, window);
    }
    ScreenTest::TearDown();
  }

  // A packaged copy of kpfplayer named `name`, started with `arguments`.
  testing::PlayerProcess& Launch(const std::string& name, std::vector<std::string> arguments) {
    std::vector<std::string> environment = Environment();
    const fs::path program = scratch_ / "bin" / name;
    if (!fs::exists(program)) testing::WritePackagedPlayer(program, SaverProject());
    processes_.push_back(std::make_unique<testing::PlayerProcess>(program, std::move(arguments), std::move(environment)));
    EXPECT_TRUE(processes_.back()->Started());
    return *processes_.back();
  }
  bool CharacterShows() {
    return Soon([this] { return Pixel(kOpaque, kOpaque) == kRed; });
  }

  // A mapped window of ours filled with green.
  Window GreenWindow(int x, int y, int width, int height) {
    const Window window = XCreateSimpleWindow(x_, DefaultRootWindow(x_), x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, kGreen);
    XMapWindow(x_, window);
    XSync(x_, False);
    windows_.push_back(window);
    EXPECT_TRUE(Soon([&] { return Pixel(0, 0, window) == kGreen; }));
    return window;
  }

  // Runs a screen saver with the pointer far from the character and checks that a one-pixel
  // move ends it with status 0, leaving no files.
  void ExpectOnePixelMoveEnds(const std::string& name, const std::string& argument) {
    MovePointer(kAwayX, kAwayY);
    testing::PlayerProcess& saver = Launch(name, {argument});
    ASSERT_TRUE(CharacterShows()) << std::hex << Pixel(kOpaque, kOpaque);
    EXPECT_FALSE(saver.Ended());
    MovePointer(kAwayX + 1, kAwayY);
    EXPECT_EQ(saver.WaitForExit(), 0);
    EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
    EXPECT_EQ(Pixel(kOpaque, kOpaque), kWhite);
  }

  std::vector<std::unique_ptr<testing::PlayerProcess>> processes_;
  std::vector<Window> windows_;
};

// "-SCRPREVIEW" makes an ordinary name run as a saver too.
TEST_F(ScreenSaverOnScreenTest, RunningSaverEndsOnAOnePixelMoveFarFromTheCharacter) {
  ExpectOnePixelMoveEnds("x.scr", "/S");
  ExpectOnePixelMoveEnds("pip", "-SCRPREVIEW");
}

// The character's window appears under the still pointer, which reports motion to it: that
// alone ends nothing. A key press then ends it, and its keyboard script never runs.
TEST_F(ScreenSaverOnScreenTest, KeyPressEndsTheSaverWithoutItsKeyboardScript) {
  MovePointer(kOpaque, kOpaque);
  testing::PlayerProcess& saver = Launch("x.scr", {"/s"});
  ASSERT_TRUE(CharacterShows()) << std::hex << Pixel(kOpaque, kOpaque);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(saver.Ended());
  PressKey(XK_a);
  bool keyScriptRan = false;
  EXPECT_TRUE(Soon([&] {
    keyScriptRan = keyScriptRan || Pixel(kOpaque, kOpaque) == kBlue;
    return saver.Ended();
  }));
  EXPECT_FALSE(keyScriptRan);
  EXPECT_EQ(saver.WaitForExit(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

// The second screen saver exits at once; the first then ends on a key pressed far from its
// window, which only the screen-wide watch sees.
TEST_F(ScreenSaverOnScreenTest, SecondSaverExitsAtOnceAndTheFirstPlaysOn) {
  MovePointer(kAwayX, kAwayY);
  testing::PlayerProcess& first = Launch("x.scr", {"/S"});
  ASSERT_TRUE(CharacterShows());
  testing::PlayerProcess& second = Launch("x.scr", {"/S"});
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_FALSE(first.Ended());
  EXPECT_EQ(Pixel(kOpaque, kOpaque), kRed);
  PressKey(XK_Escape);
  EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(ScreenSaverOnScreenTest, PreviewPaintsTheIconInTheMiddleOfTheWindowAndExits) {
  const Window window = GreenWindow(300, 200, 200, 150);
  EXPECT_EQ(Launch("x.scr", {"/p", std::to_string(window)}).WaitForExit(), 0);
  // The icon is 32 × 32 at ((200 - 32) / 2, (150 - 32) / 2) = (84, 59).
  int painted = 0;
  for (int y = 59; y < 91; ++y) {
    for (int x = 84; x < 116; ++x) painted += Pixel(x, y, window) != kGreen ? 1 : 0;
  }
  EXPECT_GT(painted, 100);
  for (const auto& [x, y] : {std::pair{0, 0}, {199, 149}, {83, 75}, {116, 75}, {100, 58}, {100, 91}}) {
    EXPECT_EQ(Pixel(x, y, window), kGreen) << x << "," << y;
  }
  EXPECT_EQ(FindNamed("$zimR_304152$"), 0u);  // no character window was made
  // An id that is no number, or names no window, ends it at once.
  EXPECT_EQ(Launch("x.scr", {"/P", "abc"}).WaitForExit(), 0);
  const Window gone = GreenWindow(0, 0, 10, 10);
  XDestroyWindow(x_, gone);
  XSync(x_, False);
  std::erase(windows_, gone);
  EXPECT_EQ(Launch("x.scr", {"/P", std::to_string(gone)}).WaitForExit(), 0);
}

// Without preferences the failure message shows; its OK is chosen with the keyboard.
TEST_F(ScreenSaverOnScreenTest, InstallWithoutPreferencesShowsTheMessageBox) {
  testing::PlayerProcess& installer = Launch("x.scr", {"-install"});
  Window box = 0;
  ASSERT_TRUE(Soon([&] { return (box = FindNamed("Tavimo")) != 0 || installer.Ended(); }));
  ASSERT_NE(box, 0u) << "the program ended without its message";
  EXPECT_TRUE(Soon([&] {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(x_, box, &attributes) != 0) {
      MovePointer(attributes.x + attributes.width / 2, attributes.y + attributes.height / 2);
      PressKey(XK_Return);
    }
    return installer.Ended();
  }));
  EXPECT_EQ(installer.WaitForExit(), 1);
  EXPECT_FALSE(fs::exists(scratch_ / ".xscreensaver"));
}

TEST_F(ScreenSaverOnScreenTest, HostedCharacterPlaysInsideTheGivenWindowUntilSigterm) {
  const Window window = GreenWindow(200, 150, 320, 240);
  std::ostringstream id;
  id << "0x" << std::hex << window;
  testing::PlayerProcess& hosted = Launch("pip", {"-geometry", "320x240", "-window-id", id.str(), "-fps"});
  ASSERT_TRUE(Soon([&] { return Pixel(kOpaque, kOpaque, window) == kRed; }))
      << std::hex << Pixel(kOpaque, kOpaque, window);
  // Over the copied background (green: what the screen showed there), not over black.
  EXPECT_EQ(Pixel(kClear, kClear, window), kGreen);
  EXPECT_EQ(Pixel(300, 10, window), kGreen);
  // No window of its own on the desktop.
  EXPECT_EQ(Pixel(kOpaque, kOpaque), kWhite);
  EXPECT_EQ(FindNamed("$zimR_304152$"), 0u);
  hosted.Signal(SIGTERM);
  EXPECT_EQ(hosted.WaitForExit(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

// Windows of other programs may go at any moment: while the preview waits for its window to be
// shown, just as it is shown and painted, or while a hosted character paints into it. Each time
// the program ends with status 0 instead of dying on the X error.
TEST_F(ScreenSaverOnScreenTest, WindowsThatVanishEndThePreviewAndTheHostedCharacterQuietly) {
  for (const int shownForMs : {-1, 0, 20, 80}) {  // -1: destroyed before it was ever shown
    const Window window = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 300, 200, 200, 150, 0, 0, kGreen);
    XSync(x_, False);
    testing::PlayerProcess& preview = Launch("x.scr", {"/p", std::to_string(window)});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // usually in its wait by now
    if (shownForMs >= 0) {
      XMapWindow(x_, window);
      XSync(x_, False);
      std::this_thread::sleep_for(std::chrono::milliseconds(shownForMs));
    }
    XDestroyWindow(x_, window);
    XSync(x_, False);
    EXPECT_EQ(preview.WaitForExit(), 0) << "shown for " << shownForMs << " ms";
  }
  const Window host = GreenWindow(200, 150, 320, 240);
  std::erase(windows_, host);
  testing::PlayerProcess& hosted = Launch("pip", {"-window-id", std::to_string(host)});
  ASSERT_TRUE(Soon([&] { return Pixel(kOpaque, kOpaque, host) == kRed; }));
  XDestroyWindow(x_, host);
  XSync(x_, False);
  EXPECT_EQ(hosted.WaitForExit(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

}  // namespace
}  // namespace kpf::app
