// The real kpfplayer on a private X server: a copy of the program with a package appended shows
// its character shaped on screen, runs the click script only for clicks on opaque pixels, runs
// project entries of its right-click menu, and on a close request from the window system, from
// its menu or from another process ends with status 0, leaving no files behind. Character files
// named on its command line play the same way, several at once.
#include <gtest/gtest.h>


#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
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
// The character: a 100 × 100 window at (100, 100) whose opaque part is the 60 × 60 square in
// its middle, so (150, 150) is opaque and (105, 105) transparent.
constexpr int kOpaqueX = 150, kOpaqueY = 150, kClearX = 105, kClearY = 105;
constexpr const char* kNoteName = "pip-note.txt";
constexpr const char* kCaption = "$zimR_304152$";

// Idle shows red; a click on it plays "clicked", which shows blue. With `menu` the click does
// nothing and the project's menu entry "Turn blue" plays an endless "clicked" instead.
project::ProjectSource ClickProject(bool menu = false) {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images = {testing::Square(100, 0xFF000000 | kRed, 60), testing::Square(100, 0xFF000000 | kBlue, 60)};
  project::AnimationSource idle = testing::Showing(1, "idle", 0, 0, 100, "100", "100");
  project::AnimationSource clicked = testing::Showing(2, "clicked", 3, 1, 100, "<%CURRENT_LEFT%>", "<%CURRENT_TOP%>");
  testing::KeyOutMagenta({&idle, &clicked});
  source.Scripts = {testing::ScriptOf(1, 0, {testing::Action(1, {{1, "clicked"}})})};
  source.NextScriptId = 2;
  if (menu) {
    clicked.RepeatCount = 0;
    source.Menus = {{.Caption = "Turn blue", .ScriptId = 1}};
  } else {
    idle.EventScripts[3] = 1;
  }
  source.Animations = {idle, clicked};
  return source;
}

// One endless animation of a soft-edged square: alpha 0 around it, half alpha on its rim.
project::ProjectSource SoftProject() {
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  project::ImageSource image = testing::Square(100, 0);
  for (int y = 20; y < 80; ++y) {
    for (int x = 20; x < 80; ++x) {
      const uint32_t alpha = x == 20 || y == 20 || x == 79 || y == 79 ? 128 : 255;
      const size_t at = (static_cast<size_t>(y) * 100 + static_cast<size_t>(x)) * 4;
      for (size_t i = 0; i < 4; ++i) image.Pixels[at + i] = static_cast<uint8_t>((alpha << 24 | kRed) >> (8 * i));
    }
  }
  source.Images = {image};
  source.Animations = {testing::Showing(1, "idle", 0, 0, 100, "100", "100")};
  return source;
}

// The surface: a 120 × 80 picture in magenta (its transparent colour) with a red disc of radius 30
// round (40, 40) and blue text at (80, 30), shown at (300, 200); a click on it paints the disc's
// middle green. The character is a small blue square out of the way.
constexpr uint32_t kPureRed = 0xFF0000, kGreen = 0x00FF00;
constexpr int kSurfaceX = 300, kSurfaceY = 200;
project::ProjectSource SurfaceProject() {
  using testing::Action;
  const auto n = [](int value) { return std::make_pair(0, std::to_string(value)); };
  const auto text = [](std::string value) { return std::make_pair(1, std::move(value)); };
  // TColor values: red in the low byte.
  constexpr int kRedColour = 0x0000FF, kBlueColour = 0xFF0000, kGreenColour = 0x00FF00, kMagenta = 0xFF00FF;
  std::vector<project::TKPFExeAction> draw = {
      Action(64, {n(120), n(80)}),    Action(68, {n(kMagenta)}),       Action(71, {}),
      Action(49, {n(kRedColour), n(4), n(0), n(1)}),
  };
  for (int dy = -30; dy <= 30; ++dy) {
    const int half = static_cast<int>(std::sqrt(30.5 * 30.5 - dy * dy));
    draw.push_back(Action(56, {n(40 - half), n(40 + dy), n(41 + half), n(40 + dy)}));
  }
  for (auto&& action : {Action(51, {text("Sans"), n(kBlueColour), n(14), n(1)}), Action(52, {n(80), n(30), text("Hi")}),
                        Action(60, {n(2)}), Action(57, {n(kSurfaceX), n(kSurfaceY)})}) {
    draw.push_back(action);
  }
  project::ProjectSource source;
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  source.Images = {testing::Square(20, 0xFF000000 | kBlue)};
  source.Animations = {testing::Showing(1, "idle", 0, 0, 20, "10", "10")};
  source.Scripts = {testing::ScriptOf(1, 2, draw),
                    testing::ScriptOf(2, 0, {Action(50, {n(kGreenColour), n(0)}), Action(53, {n(30), n(30), n(50), n(50)}),
                                             Action(57, {n(kSurfaceX), n(kSurfaceY)})})};
  source.NextScriptId = 3;
  return source;
}

// The package of a character carrying `source` and one resource file.
std::vector<uint8_t> PackageWithNote(std::span<const uint8_t> program, const project::ProjectSource& source,
                                     const std::string& title) {
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(source));
  const std::string named = std::string(kNoteName) + '\0' + "hello";  // file name, NUL, contents
  return project::BuildPackage(program, block, {"3.0", "about", title, 0},
                               {{202, std::vector<uint8_t>(named.begin(), named.end())}});
}

class PlayerOnScreenTest : public testing::ScreenTest {
 protected:
  // Starts a packaged copy of kpfplayer with its temporary folder, settings, home and message
  // folder in the scratch folder; true once it shows its red idle frame.
  bool LaunchAndShow(const project::ProjectSource& source, int x = kOpaqueX, int y = kOpaqueY, uint32_t colour = kRed,
                     const std::string& path = "/usr/bin:/bin") {
    std::vector<std::string> environment = Environment(path);
    const fs::path program = scratch_ / "bin" / "pipplayer";
    testing::WriteBytes(program, PackageWithNote(testing::ReadBytes(KPF_PLAYER_PATH), source, "Click test"));
    fs::permissions(program, fs::perms::owner_all);
    return player_.emplace(program, std::vector<std::string>{}, std::move(environment)).Started() &&
           Soon([&] { return Pixel(x, y) == colour; });
  }
  // Starts kpfplayer itself with `arguments`; its standard error goes to ErrorText().
  bool Launch(const std::vector<std::string>& arguments) {
    return player_.emplace(KPF_PLAYER_PATH, arguments, Environment(), scratch_ / "stderr.txt").Started();
  }
  std::string ErrorText() {
    const std::vector<uint8_t> bytes = testing::ReadBytes(scratch_ / "stderr.txt");
    return {bytes.begin(), bytes.end()};
  }
  bool ShowsSoon(uint32_t colour) {
    return Soon([&] { return Pixel(kOpaqueX, kOpaqueY) == colour; });
  }

  // The first mapped top-level window with the character caption (`character`), or else the
  // open popup menu: a mapped override-redirect top-level window that is not the character.
  Window FindTopLevel(bool character) {
    return ScreenTest::FindTopLevel([&](const std::string& caption, const XWindowAttributes& attributes) {
      return character ? caption == kCaption : attributes.override_redirect && caption != kCaption;
    });
  }
  // The package's resource lies in the character's private folder inside the temporary folder.
  bool NoteExtracted() const {
    const auto folders = fs::directory_iterator(scratch_ / "tmp");
    return std::any_of(fs::begin(folders), fs::end(folders), [](const fs::directory_entry& folder) {
      return folder.path().filename().string().starts_with("kpfplayer-") && fs::exists(folder.path() / kNoteName);
    });
  }
  bool MenuSoon(bool open) {
    return Soon([&] { return (FindTopLevel(false) != 0) == open; });
  }

  // Opens the character's menu with the right button and picks an entry by keyboard: `key`
  // selects it (Down: the first entry, Up: the last), Return chooses it. Empty on success, else
  // the step that failed.
  std::string ChooseFromMenu(KeySym key) {
    Click(kOpaqueX, kOpaqueY, 3);
    if (!MenuSoon(true)) return "the menu did not open";
    XTestFakeMotionEvent(x_, -1, 600, 20, CurrentTime);  // away from the menu, so only the keys choose
    // Once the open menu holds the keyboard grab, our own grab is refused.
    const bool grabbed = Soon(
        [&] {
          const int result = XGrabKeyboard(x_, DefaultRootWindow(x_), False, GrabModeAsync, GrabModeAsync, CurrentTime);
          if (result == GrabSuccess) XUngrabKeyboard(x_, CurrentTime);
          XSync(x_, False);
          return result == AlreadyGrabbed;
        },
        100);
    if (!grabbed) return "the menu took no keyboard grab";
    PressKey(key);
    PressKey(XK_Return);
    return MenuSoon(false) ? "" : "the menu stayed open";
  }

  // Sends what a window manager sends for the close button; the player's exit status.
  int CloseAndWait() {
    const Window window = FindTopLevel(true);
    if (window == 0) return -2;
    SendClose(window);
    return player_->WaitForExit();
  }
  void SendClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x_, window, False, NoEventMask, &event);
    XSync(x_, False);
  }

  std::optional<testing::PlayerProcess> player_;
};

TEST_F(PlayerOnScreenTest, ShapedCharacterTakesClicksOnItsPixelsAndClosesCleanly) {
  // Shown with its shape: the square is red, the rest of the window shows the root.
  ASSERT_TRUE(LaunchAndShow(ClickProject())) << std::hex << Pixel(kOpaqueX, kOpaqueY);
  EXPECT_EQ(Pixel(kClearX, kClearY), kWhite);
  EXPECT_EQ(Pixel(99, 99), kWhite);
  EXPECT_TRUE(NoteExtracted());
  // A click on a transparent pixel reaches the root window, not the character.
  Click(kClearX, kClearY);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(Pixel(kOpaqueX, kOpaqueY), kRed);
  // A click on an opaque pixel runs the click script: the character turns blue.
  Click(kOpaqueX, kOpaqueY);
  EXPECT_TRUE(ShowsSoon(kBlue)) << std::hex << Pixel(kOpaqueX, kOpaqueY);
  EXPECT_EQ(Pixel(kClearX, kClearY), kWhite);
  // The window system asks the window to close: the program ends with status 0, no files left.
  EXPECT_EQ(CloseAndWait(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

// A right click opens the character's menu: its project entry runs its script (the character
// turns blue), and "Close" ends the program with status 0 and removes its temporary files.
// At scale 2 the 100 × 100 character placed at (100, 100) is a 200 × 200 window at (200, 200)
// whose opaque square covers 240..359 on both axes.
class ScaledPlayerOnScreenTest : public PlayerOnScreenTest {
 protected:
  bool LaunchScaled(std::vector<std::string> arguments, std::vector<std::string> extraEnvironment = {}) {
    std::vector<std::string> environment = Environment();
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    const fs::path program = scratch_ / "bin" / "pipplayer";
    testing::WritePackagedPlayer(program, ClickProject());
    return player_.emplace(program, std::move(arguments), std::move(environment)).Started() &&
           Soon([&] { return Pixel(300, 300) == kRed; });
  }
  // Red exactly from 240 to 359 along the middle row and column: doubled, with hard edges.
  void ExpectDoubledSquare(uint32_t colour) {
    for (const int edge : {239, 360}) {
      EXPECT_EQ(Pixel(edge, 300), kWhite) << edge;
      EXPECT_EQ(Pixel(300, edge), kWhite) << edge;
    }
    for (const int inside : {240, 241, 358, 359}) {
      EXPECT_EQ(Pixel(inside, 300), colour) << inside;
      EXPECT_EQ(Pixel(300, inside), colour) << inside;
    }
  }
};

TEST_F(ScaledPlayerOnScreenTest, AtScaleTwoTheCharacterIsTwiceAsLargeWithHardEdgesAndTakesScaledClicks) {
  ASSERT_TRUE(LaunchScaled({"--scale", "2"})) << std::hex << Pixel(300, 300);
  ExpectDoubledSquare(kRed);
  EXPECT_EQ(Pixel(kOpaqueX, kOpaqueY), kWhite);  // nothing left at the unscaled place
  // The transparent rim of the enlarged window lets clicks through; the square takes them.
  Click(210, 210);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(Pixel(300, 300), kRed);
  Click(355, 245);
  EXPECT_TRUE(Soon([&] { return Pixel(300, 300) == kBlue; })) << std::hex << Pixel(300, 300);
  ExpectDoubledSquare(kBlue);
  EXPECT_EQ(CloseAndWait(), 0);
}

TEST_F(ScaledPlayerOnScreenTest, UnderGdkScaleTwoTheCharacterIsDoubledOnlyOnce) {
  ASSERT_TRUE(LaunchScaled({}, {"GDK_SCALE=2"})) << std::hex << Pixel(300, 300);
  ExpectDoubledSquare(kRed);
  Click(300, 300);
  EXPECT_TRUE(Soon([&] { return Pixel(300, 300) == kBlue; })) << std::hex << Pixel(300, 300);
  EXPECT_EQ(CloseAndWait(), 0);
}

TEST_F(PlayerOnScreenTest, PopupMenuRunsTheProjectEntryAndCloseEndsTheProgram) {
  ASSERT_TRUE(LaunchAndShow(ClickProject(true))) << std::hex << Pixel(kOpaqueX, kOpaqueY);
  ASSERT_EQ(ChooseFromMenu(XK_Down), "");
  EXPECT_TRUE(ShowsSoon(kBlue)) << std::hex << Pixel(kOpaqueX, kOpaqueY);
  ASSERT_EQ(ChooseFromMenu(XK_Up), "");
  EXPECT_EQ(player_->WaitForExit(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

// Without a compositor an alpha frame cannot show its alpha: the window takes the outline of its
// visible pixels, so the fully transparent ones show the root instead of black. Another process
// of the same user then sends "end the program" (code 132, two little-endian int32) to the
// player's private message socket: it ends with status 0 and removes its files and its socket.
TEST_F(PlayerOnScreenTest, AlphaFrameWithoutCompositorIsCutToItsVisiblePixelsAndAMessageEndsIt) {
  ASSERT_TRUE(LaunchAndShow(SoftProject())) << std::hex << Pixel(kOpaqueX, kOpaqueY);
  EXPECT_EQ(Pixel(kClearX, kClearY), kWhite);
  EXPECT_EQ(Pixel(119, 150), kWhite);
  EXPECT_NE(Pixel(120, 150), kWhite);  // the rim belongs to the shape
  const fs::path folder = scratch_ / "run" / "kpfplayer";
  ASSERT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  ASSERT_FALSE(fs::is_empty(folder));
  EXPECT_TRUE(testing::SendPacket(fs::directory_iterator(folder)->path().string(), {132, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(player_->WaitForExit(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
  EXPECT_TRUE(fs::is_empty(folder));
}

// A click asks the character to open an address, then to open its own extracted note, then
// another address. The addresses go to the desktop's launcher (a stub on PATH that records its
// arguments) without a question; the note is asked about first, and closing the question (No)
// opens nothing.
TEST_F(PlayerOnScreenTest, AddressesGoToTheLauncherAndAFileIsAskedAboutAndNotOpenedOnNo) {
  const fs::path stub = scratch_ / "stub";
  const fs::path log = scratch_ / "opened.log";
  fs::create_directories(stub);
  testing::WriteBytes((stub / "xdg-open").string(), [&] {
    const std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + log.string() + "'\n";
    return std::vector<uint8_t>(script.begin(), script.end());
  }());
  fs::permissions(stub / "xdg-open", fs::perms::owner_all);
  project::ProjectSource source = ClickProject();
  source.Scripts = {testing::ScriptOf(1, 0, {testing::Action(0, {{1, "http://example.com/first"}}),
                                             testing::Action(15, {{1, kNoteName}, {1, ""}}),
                                             testing::Action(0, {{1, "http://example.com/after"}})})};
  ASSERT_TRUE(LaunchAndShow(source, kOpaqueX, kOpaqueY, kRed, stub.string() + ":/usr/bin:/bin")) << std::hex << Pixel(kOpaqueX, kOpaqueY);
  const auto opened = [&] {
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  Click(kOpaqueX, kOpaqueY);
  EXPECT_TRUE(Soon([&] { return opened().size() == 1; }));
  Window question = 0;
  ASSERT_TRUE(Soon([&] { return (question = FindNamed("Click test")) != 0; })) << "no question was asked";
  SendClose(question);
  EXPECT_TRUE(Soon([&] { return opened().size() == 2; }));
  EXPECT_EQ(opened(), (std::vector<std::string>{"http://example.com/first", "http://example.com/after"}));
  EXPECT_EQ(CloseAndWait(), 0);
}

// Character files as downloaded (a Windows program image with the package appended) named on
// kpfplayer's command line show instead of the bundled sample, two at once, with their resource
// files in the temporary folder; a broken file between them is reported on standard error and
// does not keep the others from playing. Closing one leaves the other; the program ends with the
// last and removes the resources.
TEST_F(PlayerOnScreenTest, TwoFilesShowTwoCharactersAndABrokenOneIsReported) {
  project::ProjectSource right = ClickProject();
  right.Images[0] = testing::Square(100, 0xFF000000 | kBlue, 60);
  right.Animations[0].PosX = "300";
  const fs::path left = scratch_ / "left.exe", broken = scratch_ / "broken.exe", second = scratch_ / "right.exe";
  testing::WriteBytes(left, PackageWithNote(testing::WindowsProgramImage(), ClickProject(), "Left"));
  testing::WriteBytes(broken, testing::WindowsProgramImage());
  testing::WriteBytes(second, testing::CharacterExecutable(right, {"3.0", "", "Right", 0}));
  ASSERT_TRUE(Launch({left.string(), broken.string(), second.string()}));
  ASSERT_TRUE(ShowsSoon(kRed)) << ErrorText();
  ASSERT_TRUE(Soon([&] { return Pixel(kOpaqueX + 200, kOpaqueY) == kBlue; })) << std::hex << Pixel(kOpaqueX + 200, kOpaqueY);
  EXPECT_NE(ErrorText().find("kpfplayer: " + broken.string() + ": not a character package or project file\n"),
            std::string::npos)
      << ErrorText();
  EXPECT_EQ(Pixel(kClearX, kClearY), kWhite);
  EXPECT_TRUE(NoteExtracted());

  const Window first = FindTopLevel(true);
  ASSERT_NE(first, 0u);
  SendClose(first);
  // One character went; the other still shows, and the program still runs.
  ASSERT_TRUE(Soon([&] { return Pixel(kOpaqueX, kOpaqueY) == kWhite || Pixel(kOpaqueX + 200, kOpaqueY) == kWhite; }));
  EXPECT_TRUE(Pixel(kOpaqueX, kOpaqueY) == kRed || Pixel(kOpaqueX + 200, kOpaqueY) == kBlue);
  EXPECT_EQ(CloseAndWait(), 0);
  EXPECT_TRUE(fs::is_empty(scratch_ / "tmp"));
}

TEST_F(PlayerOnScreenTest, NoFileThatCanBePlayedEndsWithStatusOneAndNoWindow) {
  const fs::path missing = scratch_ / "missing.exe";
  ASSERT_TRUE(Launch({missing.string()}));
  EXPECT_EQ(player_->WaitForExit(), 1);
  EXPECT_EQ(ErrorText(), "kpfplayer: " + missing.string() + ": not a character package or project file\n");
  EXPECT_EQ(FindTopLevel(true), 0u);
}

// A script draws a disc and text on a surface and shows it: they appear at the given place with
// the root window around the disc; a click on a transparent pixel of the surface reaches the
// root, one on the disc runs the surface's click script.
TEST_F(PlayerOnScreenTest, SurfaceShowsItsDrawingShapedAndRunsItsClickScript) {
  const int centreX = kSurfaceX + 40, centreY = kSurfaceY + 40;
  ASSERT_TRUE(LaunchAndShow(SurfaceProject(), centreX, centreY, kPureRed)) << std::hex << Pixel(centreX, centreY);
  EXPECT_EQ(Pixel(kSurfaceX + 10, centreY), kPureRed);                  // the disc's left edge
  EXPECT_EQ(Pixel(kSurfaceX + 2, kSurfaceY + 2), kWhite);               // transparent corner: the root
  EXPECT_EQ(Pixel(kSurfaceX + 40, kSurfaceY + 76), kWhite);             // below the disc
  EXPECT_EQ(Pixel(kSurfaceX + 119, kSurfaceY + 79), kWhite);
  EXPECT_EQ(Pixel(kSurfaceX - 1, centreY), kWhite);                     // outside the window
  int blue = 0;
  for (int y = kSurfaceY + 28; y < kSurfaceY + 60; ++y) {
    for (int x = kSurfaceX + 78; x < kSurfaceX + 120; ++x) {
      const uint32_t pixel = Pixel(x, y);
      const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
      blue += b > r + 60 && b > g + 60 ? 1 : 0;
    }
  }
  EXPECT_GT(blue, 10) << "the text";
  Click(kSurfaceX + 2, kSurfaceY + 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(Pixel(centreX, centreY), kPureRed);
  Click(centreX, centreY);
  EXPECT_TRUE(Soon([&] { return Pixel(centreX, centreY) == kGreen; })) << std::hex << Pixel(centreX, centreY);
  EXPECT_EQ(Pixel(kSurfaceX + 2, kSurfaceY + 2), kWhite);
  EXPECT_EQ(CloseAndWait(), 0);
}

}  // namespace
}  // namespace kpf::app
