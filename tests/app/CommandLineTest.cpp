// The player's command line: project file detection, folder switches and the switches applied
// after loading, in argument order.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/CommandLine.hpp"
#include "app/DisplayScale.hpp"
#include "app/PlayerSettings.hpp"

namespace kpf::app {
namespace {

CommandLine Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

struct ProjectCase {
  std::vector<std::string> arguments;
  std::optional<std::string> expected;
};

TEST(CommandLineTest, ProjectFileIsTheLastTmpOrKpfArgument) {
  const std::vector<ProjectCase> cases = {
      {{}, std::nullopt},
      {{"hello.txt"}, std::nullopt},
      {{"c:\\work\\pip.kpf"}, "c:\\work\\pip.kpf"},
      {{"/tmp/x/KPF123.TMP"}, "/tmp/x/KPF123.TMP"},
      {{"/tmp/x/abc.tmp"}, "/tmp/x/abc.tmp"},
      {{"one.KpF", "two.kpf"}, "two.kpf"},
      {{"one.kpf", "other", "two.tmp"}, "two.tmp"},
      {{"archive.kpfdat"}, "archive.kpfdat"},  // contains ".KPF"
      {{"-DLL/plugins.tmp"}, std::nullopt},     // a switch is never a project file
  };
  for (const ProjectCase& c : cases) {
    EXPECT_EQ(Parse(c.arguments).projectFile, c.expected) << (c.arguments.empty() ? "" : c.arguments.back());
  }
}

TEST(CommandLineTest, FolderSwitchesIgnoreCaseReadSpacesAndKeep255Characters) {
  const CommandLine line =
      Parse({"/tmp/kpf5.TMP", "-DLLC:\\Program_$_Files\\My_$_Viewer", "-KpfPath/home/me/my_$_chars"});
  EXPECT_EQ(line.projectFile, "/tmp/kpf5.TMP");
  EXPECT_EQ(line.pluginFolder, "C:\\Program Files\\My Viewer");
  EXPECT_EQ(line.currentFolder, "/home/me/my chars");
  EXPECT_EQ(Parse({"-dll" + std::string(300, 'a')}).pluginFolder, std::string(kMaxFolderText, 'a'));
  // The limit applies before "_$_" shrinks the text.
  EXPECT_EQ(FolderText(std::string(252, 'b') + "_$_x"), std::string(252, 'b') + " ");
  EXPECT_EQ(FolderText(std::string(253, 'b') + "_$_x"), std::string(253, 'b') + "_$");
  EXPECT_EQ(FolderText("a_$__$_b"), "a  b");
  EXPECT_EQ(FolderText("_$"), "_$");
}

// "-VS" reads one digit (anything else counts as 0) and needs at least that character; "-VE"
// names child viewer N ("-ve12" is child 12, not child 1); all keep their argument order.
TEST(CommandLineTest, StartSwitchesKeepArgumentOrder) {
  const CommandLine line =
      Parse({"-VS2Hello world", "-vsXtext", "-VH", "-veQ", "-VS7", "-VS", "-VHParent Window", "-VE", "-ve12"});
  const std::vector<StartSwitch> expected = {
      {StartSwitch::Kind::SetVariable, 2, "Hello world"},
      {StartSwitch::Kind::SetVariable, 0, "text"},
      {StartSwitch::Kind::ParentTitle, 0, ""},
      {StartSwitch::Kind::ViewerTitle, 0, "ZIMR_PADOKQ"},
      {StartSwitch::Kind::SetVariable, 7, ""},
      {StartSwitch::Kind::ParentTitle, 0, "Parent Window"},
      {StartSwitch::Kind::ViewerTitle, 0, "ZIMR_PADOK12"},
  };
  EXPECT_EQ(line.startSwitches, expected);
}

// Every argument that is no switch is a file to play, in order, project files among them;
// single-dash arguments nobody knows are ignored, "--" arguments are never files.
TEST(CommandLineTest, FilesAreTheArgumentsThatAreNoSwitchesInOrder) {
  const CommandLine line = Parse({"Pip.EXE", "-VS1x", "-q", "two.kpf", "-DLL/p.tmp", "--version", "-SCRPREVIEW",
                                  "three", "-scrpreview", "-x.kpf"});
  EXPECT_EQ(line.files, (std::vector<std::string>{"Pip.EXE", "two.kpf", "three", "-x.kpf"}));
  EXPECT_EQ(line.projectFile, "-x.kpf");
  EXPECT_TRUE(line.screenSaverPreview);
  EXPECT_TRUE(Parse({"-VEq", "-KPFPATH/a"}).files.empty());
  // "-SCRPREVIEW" matches in exact case only.
  EXPECT_FALSE(Parse({"-scrpreview", "-SCRPREVIEWX"}).screenSaverPreview);
}

TEST(CommandLineTest, HelpVersionAndUnknownDoubleDashSwitchesTheFirstOfThemDecides) {
  EXPECT_EQ(Parse({"pip.exe"}).request, ProgramRequest::Play);
  EXPECT_EQ(Parse({"-h"}).request, ProgramRequest::Help);
  EXPECT_EQ(Parse({"pip.exe", "--help", "--version"}).request, ProgramRequest::Help);
  EXPECT_EQ(Parse({"--version", "-h"}).request, ProgramRequest::Version);
  EXPECT_EQ(Parse({"-H"}).request, ProgramRequest::Play);  // ours are exact
  const CommandLine unknown = Parse({"pip.exe", "--HELP", "--help"});
  EXPECT_EQ(unknown.request, ProgramRequest::UnknownOption);
  EXPECT_EQ(unknown.unknownOption, "--HELP");
  EXPECT_EQ(Parse({"--dll/plugins"}).request, ProgramRequest::UnknownOption);
  EXPECT_FALSE(Parse({"--dll/plugins"}).pluginFolder);
}

TEST(CommandLineTest, ScaleTakesAWholeNumberFromOneToFourAndIsNoFile) {
  const CommandLine line = Parse({"--scale", "3", "pip.exe"});
  EXPECT_EQ(line.request, ProgramRequest::Play);
  EXPECT_EQ(line.scale, 3);
  EXPECT_EQ(line.files, std::vector<std::string>{"pip.exe"});
  EXPECT_EQ(Parse({"--scale=2"}).scale, 2);
  EXPECT_EQ(Parse({"pip.exe"}).scale, std::nullopt);
  for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
           {"--scale"}, {"--scale", "0"}, {"--scale", "5"}, {"--scale=x"}, {"--scale", "22"}}) {
    EXPECT_EQ(Parse(wrong).request, ProgramRequest::InvalidValue) << wrong.back();
  }
}

TEST(CommandLineTest, MonitorTakesAMonitorNumberAndFullScreenHidingCanBeTurnedOff) {
  const CommandLine line = Parse({"--monitor", "1", "--no-fullscreen-hide", "pip.exe"});
  EXPECT_EQ(line.request, ProgramRequest::Play);
  EXPECT_EQ(line.monitor, 1);
  EXPECT_FALSE(line.fullScreenHide);
  EXPECT_EQ(line.files, std::vector<std::string>{"pip.exe"});
  EXPECT_EQ(Parse({"--monitor=0"}).monitor, 0);
  EXPECT_EQ(Parse({"--monitor=63"}).monitor, 63);
  EXPECT_EQ(Parse({"pip.exe"}).monitor, std::nullopt);
  EXPECT_TRUE(Parse({"pip.exe"}).fullScreenHide);
  for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
           {"--monitor"}, {"--monitor", "-1"}, {"--monitor", "64"}, {"--monitor=x"}, {"--monitor", "1.5"},
           {"--monitor="}, {"--monitor", "pip.exe"}}) {
    const CommandLine parsed = Parse(wrong);
    EXPECT_EQ(parsed.request, ProgramRequest::InvalidValue) << wrong.back();
    EXPECT_EQ(parsed.invalidValue, "--monitor takes a monitor number from 0 to 63");
  }
  // Names close to ours are not ours.
  EXPECT_EQ(Parse({"--monitors", "1"}).request, ProgramRequest::UnknownOption);
  EXPECT_EQ(Parse({"--no-fullscreen-hide=1"}).request, ProgramRequest::UnknownOption);
}

TEST(CommandLineTest, TheUsersSettingTurnsFullScreenHidingOffOnlyAtZero) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kpf-player-settings-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::vector<std::string> reported;
  package::SettingsKey settings(folder.string(), [&reported](const std::string& message) { reported.push_back(message); });
  EXPECT_TRUE(ReadFullScreenHide(settings));  // no store yet
  settings.WriteSettingInt(kFullScreenHideSetting, 0);
  EXPECT_FALSE(ReadFullScreenHide(settings));
  settings.WriteSettingInt(kFullScreenHideSetting, 2);
  EXPECT_TRUE(ReadFullScreenHide(settings));
  settings.WriteSetting(kFullScreenHideSetting, "0");
  EXPECT_FALSE(ReadFullScreenHide(settings));
  // A value that is no number keeps the default (and is reported).
  settings.WriteSetting(kFullScreenHideSetting, "off");
  EXPECT_TRUE(ReadFullScreenHide(settings));
  std::filesystem::remove_all(folder);
}

TEST(CommandLineTest, DisplayScaleIsTheOptionElseGdkScaleElseTheScreensDpi) {
  constexpr const char* kHiDpi = "Xft.antialias:\t1\nXft.dpi:\t192\n";
  EXPECT_EQ(ChooseDisplayScale(3, "2", kHiDpi), 3);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, "2", ""), 2);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, "9", ""), 4);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, "1", kHiDpi), 1);
  // A GDK_SCALE that is no whole number of at least 1 counts as unset.
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, "0", kHiDpi), 2);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, "two", kHiDpi), 2);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, nullptr, kHiDpi), 2);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, nullptr, "Xft.dpi: 167.9"), 1);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, nullptr, "Xft.dpi: 168"), 2);
  EXPECT_EQ(ChooseDisplayScale(std::nullopt, nullptr, ""), 1);
  EXPECT_EQ(XftDpi("Xft.dpiX: 200\nXft.dpi: junk\n"), std::nullopt);
  EXPECT_EQ(XftDpi("Xft.dpi: 96\nXft.dpi:\t144\r\n"), 144.0);
}

}  // namespace
}  // namespace kpf::app
