// The bundled sample character played by the main form on the headless desktop: it walks along
// the bottom of the work area and turns round at the screen edges, jumps with its sound when
// clicked and says hi, gets dizzy on a double click, says hello from its popup menu, asks for the
// user's name in a dialog of its own, mixes alpha
// and colour-key frames, and says goodbye before the program ends.
#include "FormTest.hpp"
#include "engine/RecordingSoundOutput.hpp"
#include "samples/generator/SampleArt.hpp"

namespace kpf::app {
namespace {

// The lines of the bubble the hint window shows, joined by spaces.
std::string BubbleText(const platform::headless::HeadlessHintWindow& hint) {
  std::string text;
  if (!hint.Bubble()) return text;
  for (const auto& line : hint.Bubble()->lines) text += (text.empty() ? "" : " ") + line.text;
  return text;
}

class SampleCharacterTest : public testing::FormTest {
 protected:
  void SetUp() override {
    platform_.SetScreenRect({0, 0, 800, 600});
    platform_.SetWorkArea(platform::Rect{0, 0, 800, 560});
    TfmPlayer::Settings settings = FormSettings({KPF_SAMPLE_PATH});
    settings.soundOutput = [this](engine::TFormKPFPlayer&) {
      return std::make_unique<engine::RecordingSoundOutput>([this](const std::string& line) { sounds_.push_back(line); },
                                                            [this] { return platform_.NowMs(); });
    };
    form_ = std::make_unique<TfmPlayer>(platform_, std::move(settings));
    window_ = platform_.LastWindow();
  }

  engine::TFormKPFPlayer& Player() { return form_->Player(0); }
  std::string Current() {
    const project::TTaviEvent* animation = Player().CurrentAnimation();
    return animation != nullptr ? animation->Name : "";
  }
  // The bubble of the hint window, which must be showing.
  std::string ShownBubble() {
    const platform::headless::HeadlessHintWindow* hint = platform_.LastHintWindow();
    return hint != nullptr && hint->Visible() ? BubbleText(*hint) : "<no bubble>";
  }

  std::unique_ptr<TfmPlayer> form_;
  platform::headless::HeadlessWindow* window_ = nullptr;
  std::vector<std::string> sounds_;
};

TEST_F(SampleCharacterTest, SaysHelloOnTheGroundLivesOnAndWavesGoodbyeBeforeTheEnd) {
  EXPECT_EQ(Current(), "hello");
  EXPECT_EQ(window_->Bounds(), (platform::Rect{364, 488, 436, 560}));
  EXPECT_TRUE(window_->Layered());  // soft edges: per-pixel alpha on a compositing screen
  platform_.AdvanceBy(2000);
  const std::string next = Current();
  EXPECT_TRUE(next == "idle" || next == "walk_left" || next == "walk_right") << next;
  EXPECT_EQ(window_->Bounds().bottom, 560);
  Player().CloseClick(true);
  EXPECT_EQ(Current(), "bye");
  EXPECT_EQ(terminations_, 0);
  platform_.AdvanceBy(2000);
  EXPECT_EQ(terminations_, 1);
  EXPECT_FALSE(window_->Visible());
}

TEST_F(SampleCharacterTest, WalksWithColourKeyFramesAndTurnsAtTheEdges) {
  Player().SetPosition(12, 488);
  Player().PlayAnimationByName("walk_left");
  EXPECT_FALSE(window_->Layered());
  ASSERT_TRUE(window_->Shape().has_value());
  EXPECT_FALSE(window_->Shape()->empty());
  platform_.AdvanceBy(400);
  EXPECT_EQ(Current(), "walk_right");
  const int turnedAt = window_->Bounds().left;
  EXPECT_LT(turnedAt, 12);
  platform_.AdvanceBy(300);
  EXPECT_GT(window_->Bounds().left, turnedAt);

  Player().SetPosition(800 - 72 - 8, 488);
  Player().PlayAnimationByName("walk_right");
  platform_.AdvanceBy(400);
  EXPECT_EQ(Current(), "walk_left");
}

TEST_F(SampleCharacterTest, ClickJumpsWithSoundAndDoubleClickMakesDizzy) {
  platform_.AdvanceBy(2000);
  window_->PressMouse(platform::MouseButton::Left, 36, 40);
  window_->ReleaseMouse(platform::MouseButton::Left);
  EXPECT_EQ(Current(), "jump");
  ASSERT_FALSE(sounds_.empty());
  EXPECT_NE(sounds_.back().find("chirp"), std::string::npos) << sounds_.back();
  EXPECT_NE(ShownBubble().find("Hi! I'm Pip."), std::string::npos) << ShownBubble();
  platform_.AdvanceBy(2200);
  EXPECT_FALSE(platform_.LastHintWindow()->Visible());
  window_->DoubleClick();
  window_->ReleaseMouse(platform::MouseButton::Left);
  EXPECT_EQ(Current(), "dizzy");
  EXPECT_FALSE(window_->Layered());
}

TEST_F(SampleCharacterTest, PopupMenuEntrySaysHelloWithTheChirp) {
  platform_.AdvanceBy(2000);
  const size_t soundsBefore = sounds_.size();
  window_->PressMouse(platform::MouseButton::Right, 36, 40);
  window_->ReleaseMouse(platform::MouseButton::Right);
  auto* menu = platform_.LastPopupMenu();
  ASSERT_NE(menu, nullptr);
  const auto captions = menu->VisibleCaptions();
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.front(), "Say hello");
  ASSERT_TRUE(menu->ChooseCaption("Say hello"));
  ASSERT_GT(sounds_.size(), soundsBefore);
  EXPECT_NE(sounds_.back().find("name=\"chirp.wav\""), std::string::npos) << sounds_.back();
  EXPECT_NE(sounds_.back().find("mode=1"), std::string::npos) << sounds_.back();
  EXPECT_NE(ShownBubble().find("Hello there!"), std::string::npos) << ShownBubble();
}

TEST_F(SampleCharacterTest, AsksForTheNameFromItsMenuAndGreetsWithIt) {
  platform_.AdvanceBy(2000);
  window_->PressMouse(platform::MouseButton::Right, 36, 40);
  window_->ReleaseMouse(platform::MouseButton::Right);
  ASSERT_TRUE(platform_.LastPopupMenu()->ChooseCaption("What is your name?"));
  engine::PlayerDialogs& dialogs = Player().Dialogs();
  ASSERT_EQ(Player().VisibleDialogCount(), 1);
  EXPECT_EQ(dialogs.GetProperty("AskName.Question", 0), "What is your name?");
  auto control = [&](const char* name) {
    return static_cast<platform::headless::HeadlessDialogControl*>(dialogs.FindObject(name)->Control.get());
  };
  control("AskName.Name")->UserType("Sam");
  control("AskName.Ok")->UserClick();
  EXPECT_EQ(Player().VisibleDialogCount(), 0);
  EXPECT_NE(ShownBubble().find("Nice to meet you, Sam!"), std::string::npos) << ShownBubble();
}

TEST_F(SampleCharacterTest, DraggedItDanglesAndDroppedItFallsBackToTheGround) {
  platform_.AdvanceBy(2000);
  const platform::Rect start = window_->Bounds();
  window_->PressMouse(platform::MouseButton::Left, 36, 40);
  platform_.SetPointer({start.left + 36, start.top - 160});
  window_->MoveMouse(true, false, start.left + 36, start.top - 160);
  EXPECT_EQ(Current(), "dangle");
  window_->ReleaseMouse(platform::MouseButton::Left);
  EXPECT_EQ(Current(), "fall");
  platform_.AdvanceBy(2000);
  EXPECT_NE(Current(), "fall");
  EXPECT_EQ(window_->Bounds().bottom, 560);
}

TEST(SampleArtTest, SoftFramesHavePartialAlphaAndKeyedFramesOnlyTheKeyColour) {
  const std::vector<uint32_t> soft = samples::DrawPip({}, samples::PipEdges::Soft);
  const std::vector<uint32_t> keyed = samples::DrawPip({}, samples::PipEdges::ColourKey);
  ASSERT_EQ(soft.size(), static_cast<size_t>(samples::kPipSize * samples::kPipSize));
  int partial = 0, clear = 0, key = 0;
  for (uint32_t pixel : soft) {
    partial += (pixel >> 24) != 0 && (pixel >> 24) != 255 ? 1 : 0;
    clear += (pixel >> 24) == 0 ? 1 : 0;
  }
  for (uint32_t pixel : keyed) {
    EXPECT_EQ(pixel >> 24, 0xFFu);
    key += (pixel & 0xFFFFFF) == samples::kPipKeyColour ? 1 : 0;
  }
  EXPECT_GT(partial, 0);
  EXPECT_GT(clear, 0);
  // The same outline both ways, up to the edge pixels.
  EXPECT_NEAR(key, clear, clear / 20);
  EXPECT_EQ(soft[0], 0u);
}

}  // namespace
}  // namespace kpf::app
