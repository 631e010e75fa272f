// The backend's pure helpers: key codes, the xdg-open command, the sound probe, the input shape
// of per-pixel pictures and the conversion of 8-bit texts for display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gtk/AlphaShape.hpp"
#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/ShellOpenCommand.hpp"
#include "platform/gtk/SoundOutputProbe.hpp"
#include "platform/gtk/VirtualKeys.hpp"

#include <X11/keysym.h>

namespace kpf::platform::gtk {
namespace {

TEST(VirtualKeysTest, MapsTheKeysScriptsUse) {
  struct Case {
    uint32_t keysym;
    int code;
  };
  const Case cases[] = {
      {XK_a, 0x41},      {XK_z, 0x5A},    {XK_A, 0x41},      {XK_Q, 0x51},         {XK_0, 0x30},
      {XK_9, 0x39},      {XK_KP_0, 0x60}, {XK_KP_9, 0x69},   {XK_Left, 0x25},      {XK_Up, 0x26},
      {XK_Right, 0x27},  {XK_Down, 0x28}, {XK_space, 0x20},  {XK_Return, 0x0D},    {XK_KP_Enter, 0x0D},
      {XK_Escape, 0x1B}, {XK_F1, 0x70},   {XK_F12, 0x7B},    {XK_Shift_R, 0x10},   {XK_Delete, 0x2E},
      {XK_Tab, 0x09},    {XK_Home, 0x24}, {XK_BackSpace, 0x08},
      // Keys without a virtual-key number give 0.
      {XK_exclam, 0},    {XK_adiaeresis, 0}, {0, 0},         {0xFFFFFFFF, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(VirtualKeyFromKeysym(c.keysym), c.code) << "keysym " << std::hex << c.keysym;
}

TEST(ShellOpenArgvTest, PassesTheTargetAsOneArgumentWithoutAShell) {
  using Argv = std::vector<std::string>;
  EXPECT_EQ(ShellOpenArgv("https://example.org/a?b=1&c=2"), (Argv{"xdg-open", "https://example.org/a?b=1&c=2"}));
  EXPECT_EQ(ShellOpenArgv("/tmp/my file; rm -rf ~ $(x) `y`"), (Argv{"xdg-open", "/tmp/my file; rm -rf ~ $(x) `y`"}));
  EXPECT_EQ(ShellOpenArgv("--help"), (Argv{"xdg-open", "./--help"}));  // never taken for an option
  EXPECT_EQ(ShellOpenArgv(""), Argv{});
}

class SoundOutputProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("kpf_sound_probe_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "snd");
    std::filesystem::create_directories(root_ / "run");
    environment_.deviceDir = (root_ / "snd").string();
    environment_.runtimeDir = (root_ / "run").string();
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void Touch(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path).put('\0');
  }

  std::filesystem::path root_;
  SoundEnvironment environment_;
};

TEST_F(SoundOutputProbeTest, NoServerAndOnlyCaptureDevicesMeansNoOutput) {
  Touch(root_ / "snd" / "controlC0");
  Touch(root_ / "snd" / "pcmC0D0c");
  EXPECT_FALSE(HasSoundOutput(environment_));
  environment_.deviceDir = (root_ / "missing").string();
  environment_.runtimeDir.clear();
  EXPECT_FALSE(HasSoundOutput(environment_));
}

TEST_F(SoundOutputProbeTest, AnyPlaybackPathOrSessionSoundServerMeansOutput) {
  Touch(root_ / "snd" / "pcmC1D3p");
  EXPECT_TRUE(HasSoundOutput(environment_));
  std::filesystem::remove(root_ / "snd" / "pcmC1D3p");
  for (const char* socket : {"pipewire-0", "pulse/native"}) {
    Touch(root_ / "run" / socket);
    EXPECT_TRUE(HasSoundOutput(environment_)) << socket;
    std::filesystem::remove(root_ / "run" / socket);
  }
  std::filesystem::remove(root_ / "run" / "pulse");
  environment_.pulseServer = "tcp:localhost";
  EXPECT_TRUE(HasSoundOutput(environment_));
}

TEST(VisiblePixelRunsTest, RunsCoverPixelsWithAlphaAndShortPicturesGiveNone) {
  const std::vector<uint32_t> pixels = {
      0x00000000, 0xFF112233, 0x01000000, 0x00FFFFFF,  // alpha 0 with colour still counts as transparent
      0x80000000, 0x00000000, 0x00000000, 0xFFFFFFFF,
      0x00000000, 0x00000000, 0x00000000, 0x00000000,
  };
  const Region runs = VisiblePixelRuns(ImageView{4, 3, pixels});
  EXPECT_EQ(runs, (Region{Rect{1, 0, 3, 1}, Rect{0, 1, 1, 2}, Rect{3, 1, 4, 2}}));
  // Too few pixels or no size: no runs.
  EXPECT_TRUE(VisiblePixelRuns(ImageView{4, 4, pixels}).empty());
  EXPECT_TRUE(VisiblePixelRuns(ImageView{0, 2, pixels}).empty());
  EXPECT_TRUE(VisiblePixelRuns(ImageView{-1, -5, pixels}).empty());
}

TEST(DisplayTextTest, Utf8StaysAndWindows1252IsConverted) {
  EXPECT_EQ(DisplayText("plain"), "plain");
  EXPECT_EQ(DisplayText("gr\xC3\xBC\xC3\x9F"), "gr\xC3\xBC\xC3\x9F");       // already UTF-8
  EXPECT_EQ(DisplayText("gr\xFC\xDF \x80"), "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");  // 8-bit, with the euro sign
  const std::string undefined = DisplayText("a\x81z");  // a byte Windows-1252 leaves undefined
  EXPECT_EQ(undefined.front(), 'a');
  EXPECT_EQ(undefined.back(), 'z');
}

}  // namespace
}  // namespace kpf::platform::gtk
