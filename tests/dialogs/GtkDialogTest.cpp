// Project dialogs on a real X server: a generated project shows a shaped dialog with a label, an
// edit, a check box, a list and a submit button; XTest types and clicks into it, the scripts read
// what was entered, the screen shows the controls inside the window's region, and a hint-bordered
// dialog takes the balloon's shape.
// The project's headers come before X's (whose None and Bool macros clash with them).
#include "DialogBytes.hpp"
#include "engine/TFormKPFPlayer.hpp"
#include "engine/TestProject.hpp"
#include "platform/gtk/GtkDialogWindow.hpp"
#include "platform_gtk/GtkTestSupport.hpp"

#include <X11/extensions/shape.h>

namespace kpf::platform::gtk::testing {
namespace {

using test::Act;
using test::P;

constexpr int32_t kAskDialog = 1, kTipDialog = 2, kStripedDialog = 3;
constexpr uint32_t kTeal = 0x008080;
constexpr uint32_t kMagentaKey = 0xFF00FF;  // TColor and 0xRRGGBB alike
constexpr int kWidth = 300, kHeight = 200, kKeyColumns = 20;

// A teal picture whose left columns carry the transparent colour.
std::vector<uint8_t> ShapedBackground() {
  std::vector<uint8_t> bmp = test::SolidBmp(kWidth, kHeight, kTeal);
  const int rowBytes = kWidth * 3;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kKeyColumns; ++x) {
      uint8_t* pixel = bmp.data() + 54 + y * rowBytes + x * 3;
      pixel[0] = 0xFF, pixel[1] = 0x00, pixel[2] = 0xFF;
    }
  }
  return bmp;
}

std::vector<uint8_t> AskDefinition() {
  test::FormFields form;
  form.common = {"Ask", 100, 80, kWidth, kHeight};
  form.borderless = 1;
  form.border = 2;
  form.background = ShapedBackground();
  form.backgroundKind = '3';
  form.transparent = static_cast<int32_t>(kMagentaKey);
  form.actionUrl = "SMTP";
  return test::Join({
      test::FormRecord(form),
      test::LabelRecord("Your name:", {"Question", 30, 10, 120, 16, 0, 1, 0, 0, 1, 0, {}}),
      test::EditRecord("", {"Name", 30, 30, 180, 28}),
      test::CheckRecord("Remember me", "on", 0, {"Keep", 30, 64, 160, 24}),
      test::ListRecord({"tea", "coffee"}, {"Drink", 30, 92, 180, 60}),
      test::ButtonRecord("Send", {"Send", 220, 160, 70, 30}, 1, "", 2),
      test::EndRecord(),
  });
}

// A striped picture: every other column has the transparent colour, so its outline has more
// runs than a shape request of rectangles should carry.
std::vector<uint8_t> StripedDefinition() {
  constexpr int kStripedWidth = 600, kStripedHeight = 240;
  std::vector<uint8_t> bmp = test::SolidBmp(kStripedWidth, kStripedHeight, kTeal);
  for (int y = 0; y < kStripedHeight; ++y) {
    for (int x = 1; x < kStripedWidth; x += 2) {
      uint8_t* pixel = bmp.data() + 54 + y * kStripedWidth * 3 + x * 3;
      pixel[0] = 0xFF, pixel[1] = 0x00, pixel[2] = 0xFF;
    }
  }
  test::FormFields form;
  form.common = {"Striped", 10, 10, kStripedWidth, kStripedHeight};
  form.borderless = 1;
  form.background = std::move(bmp);
  form.backgroundKind = '3';
  form.transparent = static_cast<int32_t>(kMagentaKey);
  return test::Join({test::FormRecord(form), test::EndRecord()});
}

std::vector<uint8_t> TipDefinition() {
  test::FormFields form;
  form.common = {"Tip", 450, 300, 160, 60};
  form.border = 6;
  return test::Join({test::FormRecord(form), test::EndRecord()});
}

project::ProjectSource DialogProject() {
  project::ProjectSource source = test::WithVariables({}, {"T", "U", "V"});
  source.Scripts.push_back(test::Script(1, "ask", {Act(16, {P::Int(kAskDialog), P::Int(0)})}));
  source.Scripts.push_back(test::Script(2, "sent", {Act(32, {P::Int(0), P::Text("Ask.Name"), P::Int(8), P::Var(1)}),
                                                    Act(32, {P::Int(0), P::Text("Ask.Keep"), P::Int(8), P::Var(2)}),
                                                    Act(32, {P::Int(0), P::Text("Drink"), P::Int(8), P::Var(3)})}));
  source.Scripts.push_back(test::Script(3, "tip", {Act(16, {P::Int(kTipDialog), P::Int(0)})}));
  source.Scripts.push_back(test::Script(4, "striped", {Act(16, {P::Int(kStripedDialog), P::Int(0)})}));
  source.NextScriptId = 5;
  source.Dialogs = {{kAskDialog, "Ask", AskDefinition()},
                    {kTipDialog, "Tip", TipDefinition()},
                    {kStripedDialog, "Striped", StripedDefinition()}};
  source.NextDialogId = 4;
  return source;
}

class GtkDialogTest : public GtkDisplayTest {
 protected:
  void SetUp() override {
    GtkDisplayTest::SetUp();
    if (platform_ == nullptr) return;
    player_ = std::make_unique<engine::TFormKPFPlayer>(*platform_, engine::PlayerOptions{});
    player_->LoadProject(project::BuildProjectFile(DialogProject()));
  }
  void TearDown() override {
    player_.reset();
    if (platform_ != nullptr) RunUntil([] { return false; }, 5);
  }

  Window XWindowOf(int32_t dialog) {
    dialogs::TTaviForm* form = player_->Dialogs().ById(dialog);
    return static_cast<Window>(static_cast<GtkDialogWindow&>(form->Window->Window()).XWindowId());
  }
  bool Viewable(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
  }
  // The client area's top-left corner on the screen.
  Point Origin(Window window) {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y};
  }
  void Type(const std::string& text) {
    for (char c : text) {
      const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(std::string(1, c).c_str()));
      XTestFakeKeyEvent(display_, code, True, CurrentTime);
      XTestFakeKeyEvent(display_, code, False, CurrentTime);
    }
    XSync(display_, False);
  }
  std::string Value(const char* object) { return player_->Dialogs().GetProperty(object, 8); }
  std::string Text(const char* variable) { return player_->Model.VariableByName(variable)->AsString(); }
  // Whether the window's bounding shape covers the client point.
  bool ShapeCovers(Window window, int x, int y) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display_, window, ShapeBounding, &count, &ordering);
    bool covered = false;
    for (int i = 0; i < count; ++i) {
      const XRectangle& r = rects[i];
      covered = covered || (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
    }
    if (rects != nullptr) XFree(rects);
    return covered;
  }

  std::unique_ptr<engine::TFormKPFPlayer> player_;
};

TEST_F(GtkDialogTest, TypedAndClickedValuesReachTheScriptsAndTheControlsSitInsideTheRegion) {
  player_->FireScript(1, engine::TriggerContext{});
  const Window window = XWindowOf(kAskDialog);
  ASSERT_TRUE(RunUntil([&] { return Viewable(window); }));
  RunUntil([] { return false; }, 30);  // let it draw
  const Point origin = Origin(window);

  Click(origin.x + 100, origin.y + 44);
  RunUntil([] { return false; }, 10);
  Type("zoe");
  EXPECT_TRUE(RunUntil([&] { return Value("Ask.Name") == "zoe"; })) << Value("Ask.Name");
  Click(origin.x + 38, origin.y + 76);
  EXPECT_TRUE(RunUntil([&] { return Value("Ask.Keep") == "on"; }));
  Click(origin.x + 60, origin.y + 100);
  EXPECT_TRUE(RunUntil([&] { return Value("Drink") == "tea"; })) << Value("Drink");
  Click(origin.x + 255, origin.y + 175);
  ASSERT_TRUE(RunUntil([&] { return !Text("V").empty(); }));
  EXPECT_EQ(std::tuple(Text("T"), Text("U"), Text("V")), std::tuple("zoe", "on", "tea"));

  // The picture's transparent columns are cut out of the window; the rest shows the picture and
  // the controls on it.
  EXPECT_FALSE(ShapeCovers(window, 5, 100));
  EXPECT_TRUE(ShapeCovers(window, 100, 44));
  MovePointer(790, 590);
  RunUntil([] { return false; }, 20);
  EXPECT_EQ(ScreenPixel(origin.x + 5, origin.y + 100), 0x000000u);
  EXPECT_EQ(ScreenPixel(origin.x + 150, origin.y + 185), kTeal);
  const uint32_t inEdit = ScreenPixel(origin.x + 150, origin.y + 44);
  EXPECT_NE(inEdit, kTeal);
  EXPECT_NE(inEdit, 0x000000u);
}

TEST_F(GtkDialogTest, AHintDialogIsBalloonShaped) {
  player_->FireScript(3, engine::TriggerContext{});
  const Window window = XWindowOf(kTipDialog);
  ASSERT_TRUE(RunUntil([&] { return Viewable(window); }));
  const int tail = 160 / 16;
  EXPECT_FALSE(ShapeCovers(window, 0, 0));
  EXPECT_TRUE(ShapeCovers(window, 80, 30));
  EXPECT_TRUE(ShapeCovers(window, tail + 4, 61));
  EXPECT_FALSE(ShapeCovers(window, 150, 64));
  RunUntil([] { return false; }, 30);
  const Point origin = Origin(window);
  EXPECT_EQ(ScreenPixel(origin.x, origin.y), 0x000000u);
  EXPECT_EQ(ScreenPixel(origin.x + 80, origin.y + 30), 0xFFFFE1u);  // the tooltip colour
}

// 72000 runs go to the server as a bitmap: the shape still has every stripe.
TEST_F(GtkDialogTest, AShapeOfMoreRunsThanARequestCarriesIsSetFromAMask) {
  player_->FireScript(4, engine::TriggerContext{});
  const Window window = XWindowOf(kStripedDialog);
  ASSERT_TRUE(RunUntil([&] { return Viewable(window); }));
  for (int x : {0, 2, 300, 598}) EXPECT_TRUE(ShapeCovers(window, x, 100)) << x;
  for (int x : {1, 3, 301, 599}) EXPECT_FALSE(ShapeCovers(window, x, 100)) << x;
  EXPECT_TRUE(ShapeCovers(window, 0, 239));
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
