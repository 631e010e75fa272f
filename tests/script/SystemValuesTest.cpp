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

std::string Str(int32_t value) { return std::to_string(value); }
std::string Str(const std::string& text) { return text; }

DesktopWindow Window(uint64_t id, std::string title, Rect rect, bool visible = true,
                     ShowState state = ShowState::Normal) {
  return DesktopWindow{id, std::move(title), visible, state, rect};
}

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
  values.State = {.ProxyHost = values.State.ProxyHost, .ProxyPort = values.State.ProxyPort,
                  .ProxyUserName = "user", .ProxyPassword = "secret", .TimerCounter = 42, .WindowLeft = 100,
                  .WindowTop = 200, .WindowWidth = 300, .WindowHeight = 400, .LastKey = -1, .MouseButtons = 3,
                  .AnimationName = "Walk", .AnimationIndex = 4, .WindowState = 1, .FrameIndex = 6, .DrawCount = 7,
                  .LastError = 404, .LastErrorText = ""};
  desktop.SetWindowsFromForeground({Window(0x1'0000'0042, "editor", {100, 200, 500, 600})});
  const std::pair<size_t, VariantValue> expected[] = {
      {0, 1280}, {1, 1024}, {2, 1},
      {3, 14}, {4, 5}, {5, 9}, {6, 7}, {7, 12}, {8, 2026}, {9, 2},
      {11, "proxy.example"}, {12, "8080"}, {13, 42},
      {14, 100}, {15, 200}, {16, 300}, {17, 400}, {18, -1},
      {19, 11}, {20, 22}, {21, 984}, {26, 3}, {27, 11}, {28, 22},
      {29, "Walk"}, {30, 4}, {31, 1}, {33, 6}, {34, 7}, {35, 404}, {36, ""},
      {37, "/home/someone/Documents"}, {39, "user"}, {40, "secret"},
      {44, 0}, {45, 0}, {46, 0}, {47, 0},  // no taskbar
      {22, 200}, {23, 100}, {24, 600}, {25, 500}, {32, 0x42},  // the active window
  };
  for (const auto& [position, value] : expected)
    EXPECT_EQ(Read(position), value) << At(position).Name;
}

TEST_F(SystemValuesTest, TaskbarTopIsRegisteredTwiceAndProjectNamesComeFirst) {
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

  // A project variable named like a system variable: tags take the first (the project's), the
  // search by name the last (the system's).
  std::vector<project::TTaviVariable> list{testing::TextVariable("SCREEN_WIDTH", "mine", 7)};
  project::RegisterSystemVariables(list, &values);
  EXPECT_EQ(TextEvaluator(list, PlayerFolders{}).SubstituteVariables("<%SCREEN_WIDTH%>"), "mine");
  EXPECT_EQ(project::FindVariableByName(list, "SCREEN_WIDTH")->ID, 65535);
}

TEST_F(SystemValuesTest, RandomNumberIsReadOncePerSubstitution) {
  TextEvaluator evaluator(variables, PlayerFolders{});
  EXPECT_EQ(evaluator.SubstituteVariables("<%RANDOM_NUMBER%>,<%random_number%>"), "0,0");
  EXPECT_EQ(evaluator.SubstituteVariables("<%RANDOM_NUMBER%>"), "1");
  EXPECT_EQ(random.Ranges, (std::vector<uint32_t>{65535, 65535}));
}

TEST_F(SystemValuesTest, RandomScreenPositionsKeepTheWindowOnTheScreen) {
  values.State.WindowWidth = 1000;
  values.State.WindowHeight = 1024;
  EXPECT_EQ(Read(48), VariantValue(0));
  EXPECT_EQ(Read(49), VariantValue(0));  // as high as the screen: 0, nothing drawn
  values.State.WindowWidth = 5000;
  EXPECT_EQ(Read(48), VariantValue(0));
  EXPECT_EQ(random.Ranges, (std::vector<uint32_t>{280}));
}

TEST_F(SystemValuesTest, WritesActOnThePlayer) {
  std::vector<std::string> effects;
  const auto record = [&](std::string what) { return [&effects, what](auto v) { effects.push_back(what + Str(v)); }; };
  values.Effects.OnMove = [&](int32_t left, int32_t top) { effects.push_back("move " + Str(left) + "," + Str(top)); };
  values.Effects.OnAnimationName = record("name ");
  values.Effects.OnAnimationIndex = record("index ");
  values.Effects.OnFrameIndex = record("frame ");
  values.State.WindowLeft = 1;
  values.State.WindowTop = 2;
  At(14).SetValue(50);
  At(15).SetValue("60");
  At(29).SetValue("Jump");
  At(30).SetValue(3);
  At(33).SetValue(9);
  EXPECT_EQ(effects, (std::vector<std::string>{"move 50,2", "move 1,60", "name Jump", "index 3", "frame 9"}));
  EXPECT_EQ(Read(29), VariantValue("Jump"));
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
}

TEST_F(SystemValuesTest, ConnectionAndUnknownCodes) {
  SystemValues offline(desktop, "", random.Source(),
                       {[]() -> bool { throw std::runtime_error("no network layer"); },
                        []() -> std::string { throw std::runtime_error("no settings"); }});
  EXPECT_EQ(offline.State.ProxyHost, "");
  EXPECT_EQ(offline.State.ProxyPort, "");
  // System variables of the connection code 3 and the unknown code 0.
  const auto system = [&](project::TTaviVariable variable, int32_t code) {
    variable.Kind = 2;
    variable.SysIndex = code;
    variable.Host = &offline;
    return variable.GetValue();
  };
  EXPECT_EQ(system(testing::IntegerVariable("ODD", 5), 3), VariantValue(0));  // a failing query: not connected
  EXPECT_EQ(system(testing::IntegerVariable("ODD", 5), 0), VariantValue(0));
  EXPECT_EQ(system(testing::TextVariable("ODD_TEXT", "kept"), 0), VariantValue(""));
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

}  // namespace
}  // namespace kpf::script
