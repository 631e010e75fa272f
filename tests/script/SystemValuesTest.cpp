// System variables read from the player state and the desktop, and the effects of writing them.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessPlatform.hpp"
#include "project/SystemVariables.hpp"
#include "script/ActiveWindow.hpp"
#include "script/SystemValues.hpp"
#include "script/TextEvaluator.hpp"
#include "SubstitutionTestSupport.hpp"

namespace kpf::script {
namespace {

using platform::DesktopWindow;
using platform::Rect;
using platform::ShowState;
using project::VariantValue;
using testing::CountingRandom;

constexpr Rect kScreen{0, 0, 1280, 1024};
constexpr Rect kWorkArea{0, 0, 1280, 984};

class SystemValuesTest : public ::testing::Test {
 protected:
  SystemValuesTest() {
    desktop.SetScreenRect(kScreen);
    desktop.SetWorkArea(kWorkArea);
    desktop.SetPointer({11, 22});
    desktop.SetStartTime({2026, 12, 7, 14, 5, 9, 0});  // a Monday
    project::RegisterSystemVariables(variables, &values);
  }

  // The system variable at `position` in registration order.
  project::TTaviVariable& At(size_t position) { return variables[position]; }
  VariantValue Read(size_t position) { return At(position).GetValue(); }

  platform::headless::HeadlessPlatform desktop;
  CountingRandom random;
  NetworkQueries network{[] { return true; }, [] { return std::string("proxy.example:8080"); }};
  SystemValues values{desktop, "/home/someone/Documents", random.Source(), network};
  std::vector<project::TTaviVariable> variables;
};

TEST_F(SystemValuesTest, ReadsTheDesktopTheClockAndThePlayerState) {
  values.State.TimerCounter = 42;
  values.State.WindowLeft = 100;
  values.State.WindowTop = 200;
  values.State.WindowWidth = 300;
  values.State.WindowHeight = 400;
  values.State.LastKey = -1;
  values.State.MouseButtons = 3;
  values.State.AnimationName = "Walk";
  values.State.AnimationIndex = 4;
  values.State.WindowState = 1;
  values.State.FrameIndex = 6;
  values.State.DrawCount = 7;
  values.State.LastError = 404;
  values.State.ProxyUserName = "user";
  values.State.ProxyPassword = "secret";
  const std::pair<size_t, VariantValue> expected[] = {
      {0, 1280}, {1, 1024}, {2, 1},
      {3, 14}, {4, 5}, {5, 9}, {6, 7}, {7, 12}, {8, 2026}, {9, 2},
      {11, "proxy.example"}, {12, "8080"}, {13, 42},
      {14, 100}, {15, 200}, {16, 300}, {17, 400}, {18, -1},
      {19, 11}, {20, 22}, {21, 984}, {26, 3}, {27, 11}, {28, 22},
      {29, "Walk"}, {30, 4}, {31, 1}, {33, 6}, {34, 7}, {35, 404}, {36, ""},
      {37, "/home/someone/Documents"}, {39, "user"}, {40, "secret"},
      {44, 0}, {45, 0}, {46, 0}, {47, 0},  // no taskbar
  };
  for (const auto& [position, value] : expected)
    EXPECT_EQ(Read(position), value) << At(position).Name;
}

TEST_F(SystemValuesTest, TaskbarTopIsRegisteredTwiceWithDifferentMeanings) {
  desktop.SetWorkArea(Rect{0, 0, 1280, 900});
  desktop.SetTaskbarRect(Rect{10, 950, 1270, 1000});
  EXPECT_EQ(Read(21), VariantValue(900));  // work-area bottom
  const std::pair<size_t, int32_t> taskbar[] = {{44, 950}, {45, 10}, {46, 1000}, {47, 1270}};
  for (const auto& [position, value] : taskbar)
    EXPECT_EQ(Read(position), VariantValue(value)) << At(position).Name;

  // A tag names the first TASKBAR_TOP; stored data name the second by ID.
  TextEvaluator evaluator(variables, PlayerFolders{});
  EXPECT_EQ(evaluator.SubstituteVariables("<%TASKBAR_TOP%>"), "900");
  EXPECT_EQ(project::FindVariableById(variables, 65579)->AsInteger(), 950);
  EXPECT_EQ(project::FindVariableByName(variables, "taskbar_top")->ID, 65579);
}

TEST_F(SystemValuesTest, ProjectVariableNamedLikeASystemVariable) {
  std::vector<project::TTaviVariable> list{testing::TextVariable("SCREEN_WIDTH", "mine", 7)};
  project::RegisterSystemVariables(list, &values);
  TextEvaluator evaluator(list, PlayerFolders{});
  EXPECT_EQ(evaluator.SubstituteVariables("<%SCREEN_WIDTH%>"), "mine");
  EXPECT_EQ(project::FindVariableByName(list, "SCREEN_WIDTH")->ID, 65535);
}

TEST_F(SystemValuesTest, RandomNumberIsReadOncePerSubstitution) {
  TextEvaluator evaluator(variables, PlayerFolders{});
  EXPECT_EQ(evaluator.SubstituteVariables("<%RANDOM_NUMBER%>,<%random_number%>"), "0,0");
  EXPECT_EQ(evaluator.SubstituteVariables("<%RANDOM_NUMBER%>"), "1");
  EXPECT_EQ(*random.Ranges, (std::vector<uint32_t>{65535, 65535}));
}

TEST_F(SystemValuesTest, RandomScreenPositionsKeepTheWindowOnTheScreen) {
  values.State.WindowWidth = 1000;
  values.State.WindowHeight = 1024;
  EXPECT_EQ(Read(48), VariantValue(0));
  EXPECT_EQ(Read(49), VariantValue(0));  // as high as the screen: 0, nothing drawn
  values.State.WindowWidth = 5000;
  EXPECT_EQ(Read(48), VariantValue(0));
  EXPECT_EQ(*random.Ranges, (std::vector<uint32_t>{280}));
}

TEST_F(SystemValuesTest, WritesActOnThePlayer) {
  std::vector<std::pair<int32_t, int32_t>> moves;
  std::string animationName;
  int32_t animationIndex = -1;
  int32_t frameIndex = -1;
  values.Effects.OnMove = [&](int32_t left, int32_t top) { moves.emplace_back(left, top); };
  values.Effects.OnAnimationName = [&](const std::string& name) { animationName = name; };
  values.Effects.OnAnimationIndex = [&](int32_t index) { animationIndex = index; };
  values.Effects.OnFrameIndex = [&](int32_t index) { frameIndex = index; };
  values.State.WindowLeft = 1;
  values.State.WindowTop = 2;

  At(14).SetValue(50);
  At(15).SetValue("60");
  EXPECT_EQ(moves, (std::vector<std::pair<int32_t, int32_t>>{{50, 2}, {1, 60}}));
  At(29).SetValue("Jump");
  EXPECT_EQ(animationName, "Jump");
  EXPECT_EQ(Read(29), VariantValue("Jump"));
  At(30).SetValue(3);
  EXPECT_EQ(animationIndex, 3);
  At(33).SetValue(9);
  EXPECT_EQ(frameIndex, 9);
  // Written values that read back (the proxy port as text), including the start-up values.
  const std::tuple<size_t, VariantValue, VariantValue> stored[] = {
      {11, "host", "host"}, {12, 3128, "3128"}, {13, 77, 77}, {34, 12, 12}, {38, 1234, 1234}, {41, 55, 55},
      {42, "/opt/character", "/opt/character"}, {43, 12, 12}};
  for (const auto& [position, written, read] : stored) {
    At(position).SetValue(written);
    EXPECT_EQ(Read(position), read) << At(position).Name;
  }
  At(16).SetValue(999);  // CURRENT_WIDTH keeps the value but reads the window
  EXPECT_EQ(Read(16), VariantValue(0));

  At(31).SetValue(1);
  EXPECT_TRUE(desktop.ApplicationMinimised());
  EXPECT_EQ(Read(31), VariantValue(1));
  At(31).SetValue(0);
  EXPECT_FALSE(desktop.ApplicationMinimised());

  At(3).SetValue(5);  // CURRENT_HOUR: nothing that is read back changes
  EXPECT_EQ(Read(3), VariantValue(14));
}

TEST_F(SystemValuesTest, IntegerSettingFollowsTheConversionRule) {
  std::vector<project::TTaviVariable> list{testing::IntegerVariable("COUNT", 9)};
  const std::pair<const char*, int32_t> cases[] = {{"12.5", 0}, {" 5", 0}, {"", 0}, {"-3", -3}};
  for (const auto& [text, expected] : cases) {
    list[0].SetValue(text);
    EXPECT_EQ(list[0].GetValue(), VariantValue(expected)) << text;
  }
}

TEST_F(SystemValuesTest, ConnectionAndUnknownCodes) {
  SystemValues offline(desktop, "", random.Source(),
                       {[]() -> bool { throw std::runtime_error("no network layer"); },
                        []() -> std::string { throw std::runtime_error("no settings"); }});
  EXPECT_EQ(offline.State.ProxyHost, "");
  EXPECT_EQ(offline.State.ProxyPort, "");
  project::TTaviVariable integer = testing::IntegerVariable("ODD", 5);
  integer.Kind = 2;
  integer.SysIndex = 3;
  integer.Host = &offline;
  EXPECT_EQ(integer.GetValue(), VariantValue(0));  // a failing query is "not connected"
  integer.SysIndex = 0;
  EXPECT_EQ(integer.GetValue(), VariantValue(0));
  project::TTaviVariable text = testing::TextVariable("ODD_TEXT", "kept");
  text.Kind = 2;
  text.SysIndex = 0;
  text.Host = &offline;
  EXPECT_EQ(text.GetValue(), VariantValue(""));
}

TEST(PlayerStateTest, SplitsTheProxyServerAtTheLastColon) {
  PlayerState state;
  for (auto [server, host, port] : {std::tuple{"proxy:3128", "proxy", "3128"}, {"[::1]:8080", "[::1]", "8080"},
                                    {"proxy", "proxy", ""}}) {
    state.SetProxyServer(server);
    EXPECT_EQ(state.ProxyHost, host) << server;
    EXPECT_EQ(state.ProxyPort, port) << server;
  }
}

DesktopWindow Window(uint64_t id, std::string title, Rect rect, bool visible = true,
                     ShowState state = ShowState::Normal) {
  return DesktopWindow{id, std::move(title), visible, state, rect};
}

TEST(ActiveWindowTest, FindsTheFirstUsableWindowOrFallsBack) {
  constexpr Rect kTaskbar{0, 984, 1280, 1024};
  const Rect player{0, 10, 50, 60};
  const struct {
    const char* name;
    std::vector<DesktopWindow> windows;
    std::optional<Rect> taskbar;
    std::optional<uint64_t> id;
    Rect rect;
  } cases[] = {
      {"skips the player, hidden, minimised, maximised and empty windows",
       {Window(1, " $zimR_304152$ ", player), Window(2, "hidden", player, false),
        Window(3, "iconic", player, true, ShowState::Minimised),
        Window(4, "zoomed", player, true, ShowState::Maximised), Window(5, "empty", {20, 20, 20, 20}),
        Window(6, "editor", {100, 200, 500, 600}), Window(7, "behind", {1, 2, 3, 4})},
       std::nullopt, 6, {100, 200, 500, 600}},
      {"top above one becomes the strip below the work area", {Window(8, "top", {10, 0, 300, 400})}, std::nullopt, 8,
       kTaskbar},
      {"minimised position gives zeros", {Window(9, "gone", {-32000, -32000, -31840, -31970})}, std::nullopt,
       std::nullopt, {}},
      {"no window gives zeros", {}, Rect{10, 984, 1280, 1024}, 0, {}},
      {"full-width taskbar is the fallback", {Window(1, "$zimR_304152$", player)}, kTaskbar, std::nullopt, kTaskbar},
  };
  for (const auto& c : cases) {
    const ActiveWindowInfo active = FindActiveWindow(c.windows, c.taskbar, kScreen, kWorkArea);
    if (c.id) {
      EXPECT_EQ(active.Id, *c.id) << c.name;
    }
    EXPECT_EQ(active.Rect, c.rect) << c.name;
  }
}

TEST_F(SystemValuesTest, ActiveWindowValuesComeFromTheDesktop) {
  desktop.SetWindowsFromForeground({Window(0x1'0000'0042, "editor", {100, 200, 500, 600})});
  const std::pair<size_t, int32_t> expected[] = {
      {22, 200}, {23, 100}, {24, 600}, {25, 500}, {32, 0x42}};
  for (const auto& [position, value] : expected)
    EXPECT_EQ(Read(position), VariantValue(value)) << At(position).Name;
}

}  // namespace
}  // namespace kpf::script
