// The screen-saver role from the program's name and arguments, window ids, and the
// single-instance lock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AppTestProjects.hpp"
#include "app/ScreenSaverCommandLine.hpp"
#include "app/SingleInstanceLock.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using engine::ScreenSaverMode;

ScreenSaverStart Decide(const std::string& name, std::vector<std::string> arguments) {
  return DecideStart(name, "/opt/characters/" + name, arguments);
}

ScreenSaverStart Saver(ScreenSaverMode mode) { return {StartRole::ScreenSaver, mode, std::nullopt, false}; }

TEST(ScreenSaverCommandLine, ScrNameFollowsTheScreenSaverConvention) {
  EXPECT_EQ(Decide("pip.scr", {}), Saver(ScreenSaverMode::Configure));
  for (const char* configure : {"/c", "-C", "/c:1234", "Config", "c"}) {
    EXPECT_EQ(Decide("PIP.SCR", {configure}), Saver(ScreenSaverMode::Configure)) << configure;
  }
  for (const char* run : {"/S", "-s", "", "-SCRPREVIEW", "/x"}) {
    EXPECT_EQ(Decide("Pip.Scr", {run}), Saver(ScreenSaverMode::Run)) << run;
  }
  EXPECT_EQ(Decide("x.scr", {"/p", "0x2A"}), (ScreenSaverStart{StartRole::Preview, ScreenSaverMode::Run, 42, false}));
  EXPECT_EQ(Decide("x.scr", {"-P", "77"}).window, 77u);
  EXPECT_EQ(Decide("x.scr", {"p", "77"}).role, StartRole::Preview);
  EXPECT_EQ(Decide("x.scr", {"/P", "abc"}), (ScreenSaverStart{StartRole::Preview, ScreenSaverMode::Run, std::nullopt, false}));
  EXPECT_EQ(Decide("x.scr", {"/P"}).window, std::nullopt);
  EXPECT_EQ(Decide("x.scr", {"-install"}).role, StartRole::Install);
  EXPECT_EQ(Decide("x.scr", {"-InStAlL", "more"}).role, StartRole::Install);
  // The name a link was started by counts, as does the file itself.
  EXPECT_EQ(DecideStart("/home/me/pip.scr", "/usr/bin/kpfplayer", std::vector<std::string>{"/s"}).role,
            StartRole::ScreenSaver);
  EXPECT_EQ(DecideStart("pip", "/home/me/pip.SCR", std::vector<std::string>{"/s"}).role, StartRole::ScreenSaver);
  // Other names are the ordinary player, whatever the arguments.
  for (const char* name : {"pip", "pip.scr.bak", "scr", "pip.exe"}) {
    EXPECT_EQ(Decide(name, {"-INSTALL"}).role, StartRole::Player) << name;
    EXPECT_EQ(Decide(name, {"/S"}).role, StartRole::Player) << name;
  }
}

TEST(ScreenSaverCommandLine, DaemonArgumentsHostTheCharacterUnderAnyName) {
  const ScreenSaverStart root = Decide("pip", {"-root"});
  EXPECT_EQ(root, (ScreenSaverStart{StartRole::Hosted, ScreenSaverMode::Run, std::nullopt, true}));
  // Before the ".scr" convention, which would read "-root" as "run".
  EXPECT_EQ(Decide("pip.scr", {"-root"}), root);
  EXPECT_EQ(Decide("pip", {"-geometry", "640x480", "-fps", "-window-id", "0x1c00007"}),
            (ScreenSaverStart{StartRole::Hosted, ScreenSaverMode::Run, 0x1c00007, false}));
  // "-geometry" takes its value: a "-root" there is not an argument of its own.
  EXPECT_EQ(Decide("pip", {"-geometry", "-root"}).role, StartRole::Player);
  // A window that is no number names nothing, not the whole screen.
  EXPECT_EQ(Decide("pip", {"-window-id", "abc", "-root"}),
            (ScreenSaverStart{StartRole::Hosted, ScreenSaverMode::Run, std::nullopt, false}));
  EXPECT_EQ(Decide("pip", {"-window-id"}).window, std::nullopt);
  // What the player reads of such a command line: the rest, e.g. a character file.
  const std::vector<std::string> daemon{"-geometry", "640x480", "-root", "pip.exe", "-fps", "-window-id", "0x2a", "-VS1x"};
  EXPECT_EQ(WithoutDaemonArguments(daemon), (std::vector<std::string>{"pip.exe", "-VS1x"}));
}

TEST(ScreenSaverCommandLine, WindowIdsAreDecimalOrHexadecimalNumbers) {
  EXPECT_EQ(ParseWindowId("123"), 123u);
  EXPECT_EQ(ParseWindowId("0x1F"), 31u);
  EXPECT_EQ(ParseWindowId("0XaB"), 171u);
  EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
  for (const char* bad : {"", "0", "0x", "0x0", "-5", "+5", " 5", "5 ", "12a", "0x1G", "4294967296", "0x100000000",
                          "99999999999999999999999"}) {
    EXPECT_EQ(ParseWindowId(bad), std::nullopt) << bad;
  }
}

TEST(SingleInstanceLock, SecondTakerIsRefusedUntilTheFirstGoes) {
  testing::ScratchFolder scratch;
  const std::string folder = (scratch / "run").string();
  {
    const SingleInstanceLock first = SingleInstanceLock::Take(folder);
    EXPECT_EQ(first.Result(), SingleInstanceLock::Outcome::Held);
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(SingleInstanceLock::Take(folder).Result(), SingleInstanceLock::Outcome::TakenByOther);
  }
  // The lock file stays; a lock nobody holds is taken again.
  EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / kScreenSaverLockName));
  EXPECT_EQ(SingleInstanceLock::Take(folder).Result(), SingleInstanceLock::Outcome::Held);
}

// A screen saver that crashed or was killed never keeps the next one from starting.
TEST(SingleInstanceLock, KilledHolderLetsGo) {
  testing::ScratchFolder scratch;
  const std::string folder = (scratch / "run").string();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const SingleInstanceLock lock = SingleInstanceLock::Take(folder);
    const char held = lock.Result() == SingleInstanceLock::Outcome::Held ? 'y' : 'n';
    (void)!write(ready[1], &held, 1);
    pause();
    _exit(0);
  }
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  EXPECT_EQ(held, 'y');
  EXPECT_EQ(SingleInstanceLock::Take(folder).Result(), SingleInstanceLock::Outcome::TakenByOther);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(SingleInstanceLock::Take(folder).Result(), SingleInstanceLock::Outcome::Held);
}

TEST(SingleInstanceLock, UnsafeFolderOrPlantedNameLocksNothing) {
  testing::ScratchFolder scratch;
  const fs::path open = scratch / "open";
  fs::create_directories(open);
  fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_EQ(SingleInstanceLock::Take(open.string()).Result(), SingleInstanceLock::Outcome::Unavailable);
  const fs::path folder = scratch / "private";
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all);
  // A link is not followed (it could point at any file of the user) ...
  fs::create_symlink(scratch / "elsewhere", folder / "link.lock");
  EXPECT_EQ(SingleInstanceLock::Take(folder.string(), "link.lock").Result(), SingleInstanceLock::Outcome::Unavailable);
  EXPECT_FALSE(fs::exists(scratch / "elsewhere"));
  // ... and a FIFO never blocks the start.
  ASSERT_EQ(mkfifo((folder / "fifo.lock").c_str(), 0600), 0);
  EXPECT_EQ(SingleInstanceLock::Take(folder.string(), "fifo.lock").Result(), SingleInstanceLock::Outcome::Unavailable);
}

}  // namespace
}  // namespace kpf::app
