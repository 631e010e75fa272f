// Making the program the user's screen saver in ~/.xscreensaver: only the programs entry and
// the selection change, the file is replaced in one step, and a file that is missing or has no
// programs list is left alone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AppTestProjects.hpp"
#include "app/XScreenSaverPreferences.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPath = "/home/me/pip.scr";

// A preferences file as the settings program writes it: `entries` are the programs lines.
std::string Preferences(const std::vector<std::string>& entries, const std::string& header = "programs:\t\t\t\t\\") {
  std::string text = "# XScreenSaver Preferences File\ntimeout:\t0:10:00\nmode:\t\trandom\nselected:\t-1\n\n" + header + "\n";
  for (const std::string& entry : entries) text += entry + "\n";
  return text + "\npointerHysteresis: 10\n";
}

// The lines of `after` that differ from `before`, as (before, after) pairs; both hold as many.
std::vector<std::pair<std::string, std::string>> Changed(const std::string& before, const std::string& after) {
  const std::vector<std::string> a = testing::TextLines(before), b = testing::TextLines(after);
  EXPECT_EQ(a.size(), b.size());
  std::vector<std::pair<std::string, std::string>> changed;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) changed.emplace_back(a[i], b[i]);
  }
  return changed;
}

TEST(XScreenSaverPreferences, NewEntryGoesFirstAndIsSelected) {
  const std::string before = Preferences({"\t\t\t\tmaze -root\t\t\t\t    \\n\\", "  GL:\t\t\tsuperquadrics -root\t\t    \\n\\",
                                          "-\t\t\"Qix\"\tqix -root -solid\t\t    \\n"});
  const std::optional<std::string> after = WithProgramSelected(before, kPath);
  ASSERT_TRUE(after.has_value());
  std::vector<std::string> lines = testing::TextLines(*after);
  const auto header = std::find(lines.begin(), lines.end(), "programs:\t\t\t\t\\");
  ASSERT_NE(header, lines.end());
  EXPECT_EQ(*(header + 1), "\t\t\"pip\"\t/home/me/pip.scr -root\t\\n\\");
  // Taking the new line out leaves the file as it was, except for the selection.
  lines.erase(header + 1);
  std::string rest;
  for (const std::string& line : lines) rest += line + "\n";
  const auto changed = Changed(before, rest);
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0].second, "mode:\t\tone");
  EXPECT_EQ(changed[1].second, "selected:\t0");
}

TEST(XScreenSaverPreferences, EarlierEntryOfTheProgramIsReplacedWhereItStands) {
  // Disabled, with a visual, spread over two physical lines.
  const std::string before = Preferences({"\t\t\t\tmaze -root\t\t\t\t    \\n\\", "-  GL:\t\"Old pip\"\t/home/me/pip.scr -root \\",
                                          "\t\t\t\t  -fps\t\t\t\t    \\n\\", "\t\t\t\txmatrix -root\t\t    \\n"});
  const std::optional<std::string> after = WithProgramSelected(before, kPath);
  ASSERT_TRUE(after.has_value());
  std::vector<std::string> expected = testing::TextLines(before);
  const auto old = std::find(expected.begin(), expected.end(), "-  GL:\t\"Old pip\"\t/home/me/pip.scr -root \\");
  ASSERT_NE(old, expected.end());
  *old = "\t\t\"pip\"\t/home/me/pip.scr -root\t\\n\\";
  expected.erase(old + 1);
  for (std::string& line : expected) {
    if (line.starts_with("mode:")) line = "mode:\t\tone";
    if (line.starts_with("selected:")) line = "selected:\t1";
  }
  EXPECT_EQ(testing::TextLines(*after), expected);
  // Installing again changes nothing more.
  EXPECT_EQ(WithProgramSelected(*after, kPath), after);
}

TEST(XScreenSaverPreferences, ListStartingOnTheHeaderLineGetsTheEntryLast) {
  const std::string before = "programs: maze -root \\n\\\n\txmatrix -root\nmode: one";
  const std::optional<std::string> after = WithProgramSelected(before, kPath);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(*after,
            "programs: maze -root \\n\\\n\txmatrix -root\t\\n\\\n\t\t\"pip\"\t/home/me/pip.scr -root\t\\n\nmode: one\n"
            "selected:\t\t2\n");
}

TEST(XScreenSaverPreferences, NamesAndPathsCannotBreakTheEntry) {
  EXPECT_EQ(ProgramName("/x/a\"b\\c\n.scr"), "abc");
  EXPECT_EQ(ProgramName("/x/.scr"), ".scr");
  EXPECT_EQ(ProgramName("/x/\"\".scr"), "kpfplayer");
  EXPECT_EQ(ProgramName("/x/" + std::string(100, 'n') + ".scr").size(), kMaxProgramNameBytes);
  EXPECT_EQ(ProgramCommand("/home/me/pip.scr"), "/home/me/pip.scr -root");
  EXPECT_EQ(ProgramCommand("/home/me/my chars/$pip;.scr"), "'/home/me/my chars/$pip;.scr' -root");
  for (const char* bad : {"pip.scr", "", "/a'b", "/a\"b", "/a\\b", "/a`b`", "/a\nb", "/a\tb"}) {
    EXPECT_EQ(ProgramCommand(bad), std::nullopt) << bad;
    EXPECT_EQ(WithProgramSelected(Preferences({}), bad), std::nullopt) << bad;
  }
  // Without a programs list nothing is written: a new one would hide every other display program.
  EXPECT_EQ(WithProgramSelected("mode: one\nselected: 3\n", kPath), std::nullopt);
}

TEST(XScreenSaverPreferences, InstallRewritesTheExistingFileThroughItsLinkAndKeepsItsMode) {
  testing::ScratchFolder scratch;
  const fs::path missing = scratch / "missing";
  EXPECT_FALSE(InstallScreenSaver(missing.string(), kPath));
  EXPECT_FALSE(fs::exists(missing));
  const fs::path folder = scratch / "dotfiles";
  fs::create_directories(folder);
  const fs::path file = folder / "xscreensaver";
  const std::string before = Preferences({"\t\t\t\tmaze -root\t\t\t\t    \\n"});
  testing::WriteBytes(file, std::vector<uint8_t>(before.begin(), before.end()));
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const fs::path link = scratch / ".xscreensaver";
  fs::create_symlink(file, link);
  ASSERT_TRUE(InstallScreenSaver(link.string(), kPath));
  EXPECT_TRUE(fs::is_symlink(link));
  const std::vector<uint8_t> bytes = testing::ReadBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), WithProgramSelected(before, kPath));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Only the file itself lies in its folder afterwards (no temporary file left).
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  // A folder in its place is not a preferences file.
  fs::create_directories(scratch / "dir");
  EXPECT_FALSE(InstallScreenSaver((scratch / "dir").string(), kPath));
}

}  // namespace
}  // namespace kpf::app
