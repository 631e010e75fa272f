// The backend's pure helpers: key codes, the xdg-open command, the sound probe, the input shape
// of per-pixel pictures and the conversion of 8-bit texts for display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "platform/gtk/AlphaShape.hpp"
#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/GtkTrayIcon.hpp"
#include "platform/gtk/ShellOpenCommand.hpp"
#include "platform/gtk/SoundOutputProbe.hpp"
#include "platform/gtk/VirtualKeys.hpp"

#include <X11/keysym.h>

namespace kpf::platform::gtk {
namespace {

TEST(VirtualKeysTest, MapsTheKeysScriptsUse) {
  const std::pair<uint32_t, int> cases[] = {
      {XK_a, 0x41},       {XK_z, 0x5A},      {XK_A, 0x41},     {XK_Q, 0x51},         {XK_0, 0x30},
      {XK_9, 0x39},       {XK_KP_0, 0x60},   {XK_KP_9, 0x69},  {XK_Left, 0x25},      {XK_Up, 0x26},
      {XK_Right, 0x27},   {XK_Down, 0x28},   {XK_space, 0x20}, {XK_Return, 0x0D},    {XK_KP_Enter, 0x0D},
      {XK_Escape, 0x1B},  {XK_F1, 0x70},     {XK_F12, 0x7B},   {XK_Shift_R, 0x10},   {XK_Delete, 0x2E},
      {XK_Tab, 0x09},     {XK_Home, 0x24},   {XK_BackSpace, 0x08},
      // Keys without a virtual-key number give 0.
      {XK_exclam, 0},     {XK_adiaeresis, 0}, {0, 0},          {0xFFFFFFFF, 0}};
  for (const auto& [keysym, code] : cases) EXPECT_EQ(VirtualKeyFromKeysym(keysym), code) << std::hex << keysym;
}

TEST(ShellOpenArgvTest, PassesTheTargetAsOneArgumentWithoutAShell) {
  using Argv = std::vector<std::string>;
  EXPECT_EQ(ShellOpenArgv("https://example.org/a?b=1&c=2"), (Argv{"xdg-open", "https://example.org/a?b=1&c=2"}));
  EXPECT_EQ(ShellOpenArgv("/tmp/my file; rm -rf ~ $(x) `y`"), (Argv{"xdg-open", "/tmp/my file; rm -rf ~ $(x) `y`"}));
  EXPECT_EQ(ShellOpenArgv("--help"), (Argv{"xdg-open", "./--help"}));  // never taken for an option
  EXPECT_EQ(ShellOpenArgv(""), Argv{});
}

TEST(SoundOutputProbeTest, PlaybackDevicesOrASessionSoundServerMeanOutput) {
  const auto root = std::filesystem::temp_directory_path() / ("kpf_sound_probe_" + std::to_string(getpid()));
  const auto touch = [&](const std::string& path) {
    std::filesystem::create_directories((root / path).parent_path());
    std::ofstream(root / path).put('\0');
  };
  SoundEnvironment environment{(root / "snd").string(), "", (root / "run").string()};
  touch("snd/controlC0");
  touch("snd/pcmC0D0c");
  EXPECT_FALSE(HasSoundOutput(environment));  // capture devices only, no server
  for (const char* path : {"snd/pcmC1D3p", "run/pipewire-0", "run/pulse/native"}) {
    touch(path);
    EXPECT_TRUE(HasSoundOutput(environment)) << path;
    std::filesystem::remove(root / path);
  }
  EXPECT_FALSE(HasSoundOutput(SoundEnvironment{(root / "missing").string(), "", ""}));
  EXPECT_TRUE(HasSoundOutput(SoundEnvironment{(root / "missing").string(), "tcp:localhost", ""}));
  std::filesystem::remove_all(root);
}

TEST(VisiblePixelRunsTest, RunsCoverPixelsWithAlphaAndShortPicturesGiveNone) {
  const std::vector<uint32_t> pixels = {
      0x00000000, 0xFF112233, 0x01000000, 0x00FFFFFF,  // alpha 0 with colour still counts as transparent
      0x80000000, 0x00000000, 0x00000000, 0xFFFFFFFF, 0x00000000, 0x00000000, 0x00000000, 0x00000000,
  };
  EXPECT_EQ(VisiblePixelRuns(ImageView{4, 3, pixels}), (Region{Rect{1, 0, 3, 1}, Rect{0, 1, 1, 2}, Rect{3, 1, 4, 2}}));
  // Too few pixels or no size: no runs.
  EXPECT_TRUE(VisiblePixelRuns(ImageView{4, 4, pixels}).empty());
  EXPECT_TRUE(VisiblePixelRuns(ImageView{0, 2, pixels}).empty());
  EXPECT_TRUE(VisiblePixelRuns(ImageView{-1, -5, pixels}).empty());
}

TEST(DisplayTextTest, Utf8StaysAndWindows1252IsConverted) {
  EXPECT_EQ(DisplayText("plain"), "plain");
  EXPECT_EQ(DisplayText("gr\xC3\xBC\xC3\x9F"), "gr\xC3\xBC\xC3\x9F");            // already UTF-8
  EXPECT_EQ(DisplayText("gr\xFC\xDF \x80"), "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");  // 8-bit, with the euro sign
  const std::string undefined = DisplayText("a\x81z");                           // a byte Windows-1252 leaves undefined
  EXPECT_EQ(undefined.front(), 'a');
  EXPECT_EQ(undefined.back(), 'z');
}

// Notification servers read balloon bodies as markup: a script's text must show as it is.
TEST(NotificationBodyTest, MarkupCharactersAreEscapedAndNothingElse) {
  EXPECT_EQ(NotificationBody("<b>1 & 2</b> > 0 'x' \"y\""), "&lt;b&gt;1 &amp; 2&lt;/b&gt; &gt; 0 'x' \"y\"");
  EXPECT_EQ(NotificationBody("&amp;"), "&amp;amp;");
}

}  // namespace
}  // namespace kpf::platform::gtk
