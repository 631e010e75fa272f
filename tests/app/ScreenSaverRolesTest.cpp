// The screen-saver roles on the headless desktop: the preview icon, a character playing inside
// a host window (composited over the copied background, the window's size as its screen), the
// session's start steps and the main form's players in the screen-saver mode.
#include <cstdlib>

#include "FormTest.hpp"
#include "app/HostedPlatform.hpp"
#include "app/PixelBlend.hpp"
#include "app/ScreenSaverPreview.hpp"
#include "app/ScreenSaverSession.hpp"

namespace kpf::app {
namespace {

using platform::headless::HeadlessForeignWindowRecord;

constexpr uint32_t kGreen = 0xFF00A000u;
constexpr uint32_t kRed = 0xFFE02020u;
constexpr uint32_t kBlue = 0xFF2040E0u;
constexpr uint32_t kCharacter = 0xFF3060C0u;  // the simple project's square

HeadlessForeignWindowRecord Window(int width, int height, uint32_t under = kGreen, int64_t shownAt = 0) {
  HeadlessForeignWindowRecord record;
  record.width = width;
  record.height = height;
  record.origin = {50, 40};
  record.shownAtMs = shownAt;
  record.screenUnder = {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, under)};
  return record;
}

uint32_t At(const HeadlessForeignWindowRecord& record, int x, int y) {
  return record.pixels[static_cast<size_t>(y) * static_cast<size_t>(record.width) + static_cast<size_t>(x)];
}

class ScreenSaverRolesTest : public testing::FormTest {
 protected:
  platform::headless::HeadlessScreenSaver& Saver() { return platform_.ScreenSaverDesktop(); }
};

TEST_F(ScreenSaverRolesTest, PreviewPaintsTheIconCentredOverTheWindow) {
  // Left column opaque red, right column blue at half alpha.
  Saver().SetApplicationIcon({2, 2, {kRed, 0x802040E0u, kRed, 0x802040E0u}});
  auto window = Saver().AddForeignWindow(7, Window(11, 8));
  ASSERT_TRUE(PaintPreview(Saver(), 7));
  EXPECT_EQ(At(*window, 4, 3), kRed);  // (11 - 2) / 2 = 4, (8 - 2) / 2 = 3
  EXPECT_EQ(At(*window, 5, 4), Blend(kBlue, kGreen, 0x80));
  EXPECT_EQ(At(*window, 3, 3), 0u);  // nothing else is touched
  EXPECT_EQ(At(*window, 6, 3), 0u);
  // An icon larger than the window: the halves are truncated toward zero.
  Saver().SetApplicationIcon({4, 4, std::vector<uint32_t>(16, kRed)});
  auto small = Saver().AddForeignWindow(8, Window(1, 1));
  ASSERT_TRUE(PaintPreview(Saver(), 8));
  EXPECT_EQ(platform::CentredOffset(1, 1, 4, 4), (platform::Point{-1, -1}));
  EXPECT_EQ(platform::CentredOffset(2, 1, 4, 2), (platform::Point{-1, 0}));
  EXPECT_EQ(At(*small, 0, 0), kRed);
}

TEST_F(ScreenSaverRolesTest, PreviewWaitsTenSecondsAtMostForItsWindow) {
  auto late = Saver().AddForeignWindow(7, Window(10, 10, kGreen, 9000));
  ASSERT_TRUE(PaintPreview(Saver(), 7));
  EXPECT_GE(platform_.NowMs(), 9000);
  EXPECT_EQ(late->paintCount, 1);
  auto never = Saver().AddForeignWindow(8, Window(10, 10, kGreen, platform_.NowMs() + kPreviewWaitMs + 1000));
  EXPECT_FALSE(PaintPreview(Saver(), 8));
  EXPECT_EQ(never->paintCount, 0);
  EXPECT_FALSE(PaintPreview(Saver(), 99));  // names no window
  Saver().DestroyForeignWindow(7);
  EXPECT_FALSE(PaintPreview(Saver(), 7));
}

TEST_F(ScreenSaverRolesTest, HostedScreenIsTheWindowAndComposesItsWindowsOverTheCopiedBackground) {
  auto host = Saver().AddForeignWindow(9, Window(40, 30));
  HostedPlatform hosted(platform_, Saver().OpenForeignWindow(9, 0));
  EXPECT_EQ(hosted.ScreenRect(), (platform::Rect{0, 0, 40, 30}));
  EXPECT_EQ(hosted.WorkArea(), hosted.ScreenRect());
  EXPECT_TRUE(hosted.WindowsFromForeground().empty());
  EXPECT_FALSE(hosted.TaskbarRect().has_value());
  EXPECT_EQ(hosted.ScreenSaver(), nullptr);
  platform_.SetPointer({60, 45});
  EXPECT_EQ(hosted.Pointer(), (platform::Point{10, 5}));
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 0, 0), kGreen);
  EXPECT_EQ(At(*host, 39, 29), kGreen);

  // A shaped opaque window, then a half-transparent one above it.
  std::unique_ptr<platform::NativeWindow> lower = hosted.CreateWindow();
  const std::vector<uint32_t> red(12, kRed);
  lower->MoveResize(10, 20, 4, 3);
  lower->ShowImage({4, 3, red});
  const platform::Region left{{0, 0, 2, 3}};
  lower->SetShape(&left);
  lower->SetVisible(true);
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 10, 20), kRed);
  EXPECT_EQ(At(*host, 11, 22), kRed);
  EXPECT_EQ(At(*host, 12, 20), kGreen);
  std::unique_ptr<platform::NativeWindow> upper = hosted.CreateWindow();
  const std::vector<uint32_t> halfBlue{0x80102070u};  // premultiplied 0x802040E0
  upper->MoveResize(11, 21, 1, 1);
  upper->ShowLayered({1, 1, halfBlue}, 255);
  upper->SetVisible(true);
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 11, 21), OverPremultiplied(0x80102070u, kRed, 255));
  // Raising the lower one puts it on top; moving it away shows the background again.
  lower->BringToFront();
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 11, 21), kRed);
  lower->MoveResize(30, 0, 4, 3);
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 10, 20), kGreen);
  EXPECT_EQ(At(*host, 30, 0), kRed);
  lower->SetOpacity(0);
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 30, 0), kGreen);
  upper.reset();
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*host, 11, 21), kGreen);
}

TEST_F(ScreenSaverRolesTest, HostResizeAndDisappearance) {
  auto host = Saver().AddForeignWindow(9, Window(20, 10));
  HostedPlatform hosted(platform_, Saver().OpenForeignWindow(9, 0));
  int gone = 0;
  hosted.Screen().OnHostGone = [&] { ++gone; };
  Saver().ResizeForeignWindow(9, 30, 12);
  platform_.AdvanceBy(0);
  EXPECT_EQ(hosted.ScreenRect(), (platform::Rect{0, 0, 30, 12}));
  EXPECT_EQ(At(*host, 19, 9), kGreen);          // the copy stays where it fits
  EXPECT_EQ(At(*host, 25, 11), 0xFF000000u);    // black beyond it
  Saver().DestroyForeignWindow(9);
  EXPECT_EQ(gone, 1);
  std::unique_ptr<platform::NativeWindow> late = hosted.CreateWindow();
  late->MoveResize(0, 0, 2, 2);
  late->SetVisible(true);
  platform_.AdvanceBy(0);  // nothing is painted into a window that has gone
  // A screen whose background cannot be read is black.
  HeadlessForeignWindowRecord unreadable = Window(4, 4);
  unreadable.screenUnder = {};
  auto dark = Saver().AddForeignWindow(10, unreadable);
  HostedPlatform black(platform_, Saver().OpenForeignWindow(10, 0));
  platform_.AdvanceBy(0);
  EXPECT_EQ(At(*dark, 3, 3), 0xFF000000u);
}

TEST_F(ScreenSaverRolesTest, CharacterPlaysInsideTheHostWindowWithoutTrayIcon) {
  auto host = Saver().AddForeignWindow(9, Window(60, 50));
  HostedPlatform hosted(platform_, Saver().OpenForeignWindow(9, 0));
  const std::filesystem::path file = WriteProject(testing::SimpleProject(), "pip.kpf");
  TfmPlayer form(hosted, FormSettings({file.string()}));
  platform_.AdvanceBy(500);
  EXPECT_TRUE(form.AnyPlayerRunning());
  EXPECT_EQ(At(*host, 10, 20), kCharacter);
  EXPECT_EQ(At(*host, 17, 27), kCharacter);
  EXPECT_EQ(At(*host, 18, 27), kGreen);
  EXPECT_TRUE(platform_.Windows().empty());        // no window of its own on the desktop
  EXPECT_EQ(platform_.LastTrayIcon(), nullptr);
  // Nothing watches the input: the daemon does.
  Saver().Report(platform::ScreenInput::KeyDown);
  EXPECT_TRUE(form.AnyPlayerRunning());
}

TEST_F(ScreenSaverRolesTest, SessionOpensTheHostOrEndsAtOnce) {
  Saver().AddForeignWindow(platform::headless::kHeadlessScreenWindowId, Window(30, 20));
  ScreenSaverSession onScreen("pip", "/x/pip", {"-root", "pip.exe"});
  EXPECT_EQ(onScreen.PlayerArguments(), std::vector<std::string>{"pip.exe"});
  EXPECT_TRUE(ScreenSaverSession("x.scr", "/x/x.scr", {"/S", "pip.exe"}).PlayerArguments().empty());
  EXPECT_EQ(ScreenSaverSession("pip", "/x/pip", {"/S"}).PlayerArguments(), std::vector<std::string>{"/S"});
  std::unique_ptr<HostedPlatform> hosted;
  EXPECT_EQ(onScreen.RunWithoutForm(platform_, hosted), std::nullopt);
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(hosted->ScreenRect().width(), 30);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"-window-id", "0x63"},
                                             std::vector<std::string>{"-window-id", "abc"}}) {
    ScreenSaverSession session("pip", "/x/pip", bad);
    std::unique_ptr<HostedPlatform> none;
    EXPECT_EQ(session.RunWithoutForm(platform_, none), 1);
    EXPECT_EQ(none, nullptr);
  }
  const std::vector<std::string> preview{"/P", "abc"};
  ScreenSaverSession previewing("x.scr", "/x/x.scr", preview);
  std::unique_ptr<HostedPlatform> unused;
  const int64_t before = platform_.NowMs();
  EXPECT_EQ(previewing.RunWithoutForm(platform_, unused), 0);
  EXPECT_EQ(platform_.NowMs(), before);  // no waiting for a window that cannot exist
}

TEST_F(ScreenSaverRolesTest, InstallWithoutPreferencesShowsTheFailureMessage) {
  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  setenv("HOME", scratch_.Path().c_str(), 1);
  const std::vector<std::string> install{"-INSTALL"};
  ScreenSaverSession session("/x/pip.scr", "/x/pip.scr", install);
  std::unique_ptr<HostedPlatform> unused;
  EXPECT_EQ(session.RunWithoutForm(platform_, unused), 1);
  ASSERT_EQ(platform_.MessageBoxes().size(), 1u);
  EXPECT_EQ(platform_.MessageBoxes()[0].text, "Cannot set as default Screen Saver");
  EXPECT_EQ(platform_.MessageBoxes()[0].icon, platform::MessageBoxIcon::Error);
  EXPECT_FALSE(std::filesystem::exists(scratch_ / ".xscreensaver"));
  // No other place is tried: no "system.ini" anywhere, no installer program started.
  EXPECT_FALSE(std::filesystem::exists("system.ini"));
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "system.ini"));
  EXPECT_TRUE(platform_.StartedPrograms().empty());
  EXPECT_TRUE(platform_.OpenedTargets().empty());
  const std::string preferences = "programs:\t\\\n\tmaze -root \\n\nselected: 0\n";
  testing::WriteBytes(scratch_ / ".xscreensaver", std::vector<uint8_t>(preferences.begin(), preferences.end()));
  EXPECT_EQ(session.RunWithoutForm(platform_, unused), 0);
  EXPECT_EQ(platform_.MessageBoxes().size(), 1u);
  const std::vector<uint8_t> written = testing::ReadBytes(scratch_ / ".xscreensaver");
  EXPECT_NE(std::string(written.begin(), written.end()).find("\"pip\"\t/x/pip.scr -root"), std::string::npos);
  setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(ScreenSaverRolesTest, FormPlayersRunAsScreenSaversAndEndTheProgramOnInput) {
  const std::filesystem::path file = WriteProject(testing::SimpleProject(), "pip.kpf");
  TfmPlayer::Settings settings = FormSettings({file.string()});
  settings.screenSaverMode = engine::ScreenSaverMode::Run;
  TfmPlayer saver(platform_, std::move(settings));
  ASSERT_TRUE(saver.AnyPlayerRunning());
  EXPECT_TRUE(saver.Player(0).ScreenSaver().EndsOnInput());
  Saver().Report(platform::ScreenInput::KeyDown);
  EXPECT_EQ(terminations_, 1);
  // "-SCRPREVIEW" on an ordinary name runs the same way.
  auto previewing = MakeForm({file.string(), "-SCRPREVIEW"});
  EXPECT_TRUE(previewing->Player(0).ScreenSaver().EndsOnInput());
  platform_.SetPointer({1, 1});
  platform_.AdvanceBy(200);
  EXPECT_EQ(terminations_, 2);
  // The settings mode: the About box (no settings dialog), then the program ends.
  TfmPlayer::Settings configure = FormSettings({file.string()});
  configure.screenSaverMode = engine::ScreenSaverMode::Configure;
  TfmPlayer settingsForm(platform_, std::move(configure));
  EXPECT_EQ(platform_.AboutBoxes().size(), 1u);
  EXPECT_FALSE(settingsForm.CheckPlayersRunning());
}

// The settings mode is titled "Tavimo" until its character names the application; what it
// reports while loading carries that title. The viewer's own title is "Tavimo Viewer".
TEST_F(ScreenSaverRolesTest, SettingsModeHasItsOwnApplicationTitle) {
  testing::WriteBytes(scratch_ / "broken.kpf", {1, 2, 3, 4, 5});
  for (const auto& [mode, title] : std::vector<std::pair<std::optional<engine::ScreenSaverMode>, std::string>>{
           {engine::ScreenSaverMode::Configure, "Tavimo"},
           {engine::ScreenSaverMode::Run, "Tavimo Viewer"},
           {std::nullopt, "Tavimo Viewer"}}) {
    TfmPlayer::Settings settings = FormSettings({(scratch_ / "broken.kpf").string()});
    settings.screenSaverMode = mode;
    const size_t shown = platform_.MessageBoxes().size();
    TfmPlayer form(platform_, std::move(settings));
    ASSERT_EQ(platform_.MessageBoxes().size(), shown + 1);
    EXPECT_EQ(platform_.MessageBoxes().back().caption, title);
    EXPECT_EQ(form.ApplicationTitle(), title);
  }
}

// A character walking right turns at the host window's right edge and walking left turns at its
// left edge: the host window is its whole screen, the real one (1024 wide) plays no part.
TEST_F(ScreenSaverRolesTest, HostedWalkerTurnsAtTheHostWindowsEdges) {
  constexpr int kHostWidth = 120, kStep = 8, kSize = 8;
  auto host = Saver().AddForeignWindow(9, Window(kHostWidth, 50));
  HostedPlatform hosted(platform_, Saver().OpenForeignWindow(9, 0));
  project::ProjectSource source = testing::SimpleProject();
  project::AnimationSource right = testing::Showing(1, "right", 0, 0, kSize, "4", "20");
  right.MoveMode = 2;  // kStep to the right per frame
  right.Params = {kStep};
  right.EventScripts[8] = 1;  // right edge: walk left
  project::AnimationSource left = testing::Showing(2, "left", 0, 0, kSize, "100", "20");
  left.MoveMode = 1;
  left.Params = {kStep};
  left.EventScripts[10] = 2;  // left edge: walk right
  source.Animations = {right, left};
  source.Scripts = {testing::ScriptOf(1, 0, {testing::Action(1, {{1, "left"}})}),
                    testing::ScriptOf(2, 0, {testing::Action(1, {{1, "right"}})})};
  source.NextScriptId = 3;
  TfmPlayer form(hosted, FormSettings({WriteProject(source, "walker.kpf").string()}));
  ASSERT_TRUE(form.AnyPlayerRunning());
  script::PlayerState& state = form.Player(0).State();
  int rightmost = state.WindowLeft, leftmost = state.WindowLeft, turns = 0;
  std::string walking = state.AnimationName;
  for (int tick = 0; tick < 400; ++tick) {
    platform_.AdvanceBy(20);
    rightmost = std::max(rightmost, state.WindowLeft);
    leftmost = std::min(leftmost, state.WindowLeft);
    if (state.AnimationName != walking) ++turns;
    walking = state.AnimationName;
  }
  EXPECT_GE(turns, 3);  // there and back, more than once
  EXPECT_LE(rightmost + kSize, kHostWidth + kStep);
  EXPECT_GE(rightmost + kSize, kHostWidth);
  EXPECT_LE(leftmost, 0);
  EXPECT_GE(leftmost, -kStep);
}

}  // namespace
}  // namespace kpf::app
