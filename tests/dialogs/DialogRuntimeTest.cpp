// The window logic on the headless platform: placement against a given work area, the balloon
// shape, object lookup, the property interface, submit, reset, showing and closing.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "DialogBytes.hpp"
#include "dialogs/BalloonShape.hpp"
#include "dialogs/DialogCursors.hpp"
#include "dialogs/PropertyCodes.hpp"
#include "dialogs/TfmCustomForm.hpp"
#include "dialogs/WindowPlacement.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "project/Errors.hpp"
#include "render/FontMapping.hpp"

namespace kpf::dialogs {
namespace {

using platform::headless::HeadlessDialogControl;
using platform::headless::HeadlessDialogWindow;
using test::CommonFields;

struct ScriptRun {
  int32_t index;
  std::string first;
  std::string second;
  std::shared_ptr<TMyObject> sender;
};

class RecordingServices : public DialogServices {
 public:
  platform::headless::HeadlessPlatform platform;
  std::vector<ScriptRun> scripts;
  std::function<void(int32_t)> onScript;
  std::vector<std::string> opened;
  std::map<std::string, std::vector<uint8_t>> files;
  std::map<int64_t, std::vector<uint8_t>> streams;
  std::vector<std::string> events;
  int popups = 0;

  platform::Platform& Desktop() override { return platform; }
  void RunScript(int32_t index, const std::shared_ptr<TMyObject>& sender, const std::string& first,
                 const std::string& second) override {
    scripts.push_back({index, first, second, sender});
    if (onScript) onScript(index);
  }
  bool MustEnd() override { return platform.Loop().Terminating(); }
  void ShowPopupMenu(platform::Point) override { ++popups; }
  bool OpenAddress(const std::string& address) override {
    opened.push_back(address);
    return true;
  }
  std::optional<std::vector<uint8_t>> ReadFile(const std::string& name) override {
    auto found = files.find(name);
    return found == files.end() ? std::nullopt : std::optional(found->second);
  }
  std::optional<std::vector<uint8_t>> StreamBytes(int64_t handle) override {
    auto found = streams.find(handle);
    return found == streams.end() ? std::nullopt : std::optional(found->second);
  }
  platform::DialogCursor Cursor(int16_t id) override { return CursorFor(id, [](int index) { return index + 100; }); }
  std::optional<platform::Rect> OwnerWindow() override { return std::nullopt; }
  void ControlEvent(const std::string& dialog, const std::string& object, std::string_view event,
                    const std::string& value) override {
    events.push_back(dialog + "." + object + " " + std::string(event) + " " + value);
  }
};

class DialogRuntime : public ::testing::Test {
 protected:
  std::shared_ptr<TfmCustomForm> Load(const std::vector<uint8_t>& definition) {
    auto form = std::make_shared<TfmCustomForm>(services);
    form->LoadDefinition(definition);
    return form;
  }
  HeadlessDialogWindow& WindowOf(TfmCustomForm& form) { return static_cast<HeadlessDialogWindow&>(form.Window()); }
  HeadlessDialogControl& ControlOf(TfmCustomForm& form, std::string_view name) {
    return *static_cast<HeadlessDialogControl*>(form.FindObject(name)->Control.get());
  }
  static test::FormFields Form(uint8_t border = 3, uint8_t position = 0) {
    test::FormFields form;
    form.border = border;
    form.position = position;
    return form;
  }

  RecordingServices services;
};

// ---- placement -----------------------------------------------------------------------------

TEST(WindowPlacement, PositionsAgainstTheScreenAndTheWorkArea) {
  const DesktopGeometry desktop{{0, 0, 1024, 768}, {0, 0, 1024, 728}, std::nullopt};
  const platform::Point designed{30, 40};
  struct Case {
    TFormPosition position;
    platform::Point expected;
  } cases[] = {
      {TFormPosition::fpoDesigned, {30, 40}},          {TFormPosition::fpoScreenCenter, {412, 334}},
      {TFormPosition::fpoAboveTaskbarLeft, {0, 628}},  {TFormPosition::fpoAboveTaskBarCenter, {412, 628}},
      {TFormPosition::fpoAboveTaskbarRight, {824, 628}}, {TFormPosition::fpoTopLeftScreen, {0, 0}},
      {TFormPosition::fpoTopCenterScreen, {412, 0}},   {TFormPosition::fpoTopRightScreen, {824, 0}},
      {TFormPosition::fpoBottomLeftScreen, {0, 668}},  {TFormPosition::fpoBottomRightScreen, {824, 668}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaceDialog(c.position, designed, 200, 100, desktop), std::optional(c.expected))
        << static_cast<int>(c.position);
  }
  EXPECT_EQ(PlaceDialog(TFormPosition::fpoDefault, designed, 200, 100, desktop), std::nullopt);
  // (1024 - 201) / 2 rounds toward zero.
  EXPECT_EQ(PlaceDialog(TFormPosition::fpoTopCenterScreen, designed, 201, 100, desktop)->x, 411);
  const DesktopGeometry owned{{0, 0, 1024, 768}, {0, 0, 1024, 728}, platform::Rect{100, 100, 300, 200}};
  EXPECT_EQ(PlaceDialog(TFormPosition::fpoOwnerFormCenter, designed, 100, 50, owned), std::optional(platform::Point{150, 125}));
}

TEST_F(DialogRuntime, ABorderlessDialogAboveTheTaskbarSitsOnTheWorkAreasBottom) {
  services.platform.SetWorkArea(platform::Rect{0, 0, 1024, 728});
  test::FormFields form = Form(3, 10);
  form.borderless = 1;
  form.common.width = 200;
  form.common.height = 90;
  auto dialog = Load(test::Join({test::FormRecord(form)}));
  dialog->ShowDialog(ShowMode::Show);
  const platform::Rect bounds = WindowOf(*dialog).Bounds();
  EXPECT_EQ(std::tuple(bounds.left, bounds.bottom, WindowOf(*dialog).Border()),
            std::tuple(824, 728, platform::DialogBorder::None));

  // With its border the outer height counts, frame included.
  auto framed = Load(test::Join({test::FormRecord(Form(3, 15))}));
  framed->ShowDialog(ShowMode::Show);
  const platform::Rect outer = WindowOf(*framed).Bounds();
  EXPECT_EQ(std::tuple(outer.bottom, outer.left), std::tuple(768, (1024 - outer.width()) / 2));
}

// ---- balloon and region --------------------------------------------------------------------

bool Covers(const platform::Region& region, int x, int y) {
  for (const auto& r : region) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

TEST_F(DialogRuntime, AHintDialogTakesTheBalloonShape) {
  test::FormFields form = Form(6);
  form.common.width = 160;
  form.common.height = 60;
  auto dialog = Load(test::Join({test::FormRecord(form)}));
  dialog->ShowDialog(ShowMode::Show);
  HeadlessDialogWindow& window = WindowOf(*dialog);
  EXPECT_EQ(std::tuple(window.ClientWidth(), window.ClientHeight(), window.Border()),
            std::tuple(160, 68, platform::DialogBorder::None));
  ASSERT_TRUE(window.Shape().has_value());
  const platform::Region& shape = *window.Shape();
  const int tail = 160 / 16;
  EXPECT_FALSE(Covers(shape, 0, 0));      // the rounded corner is cut away
  EXPECT_TRUE(Covers(shape, 80, 30));     // the body
  EXPECT_TRUE(Covers(shape, tail + 4, 61));  // inside the tail
  EXPECT_TRUE(Covers(shape, tail, 66));   // the tail's edge
  EXPECT_FALSE(Covers(shape, tail + 8, 66));  // beside the tail
  EXPECT_FALSE(Covers(shape, 150, 64));   // below the body
  // The tail opens into the body: the body's bottom edge above it has the balloon's colour.
  const platform::Picture& picture = window.Background();
  ASSERT_EQ(picture.height, 68);
  EXPECT_EQ(picture.pixels[59 * 160 + tail + 4], picture.pixels[30 * 160 + 80]);
  EXPECT_NE(picture.pixels[59 * 160 + 100], picture.pixels[30 * 160 + 80]);

  // Resizing through the property interface redraws it.
  EXPECT_TRUE(dialog->SetObjectProperty("Dlg", kPropWidth, "320"));
  EXPECT_EQ(window.ClientWidth(), 320);
  EXPECT_TRUE(Covers(*window.Shape(), 320 / 16 + 4, 61));
}

TEST(DialogFonts, SizesReachTheWindowSystemWithinOneToAThousandPixels) {
  // A size alone is rounded to the nearest pixel, as drawing surfaces size their text.
  for (auto [height, size, pixels] : {std::tuple{-5000, 0, 1000}, {INT32_MIN, 0, 1000}, {0, 0, 1}, {0, -12, 16},
                                      {0, 8, 11}, {0, 11, render::FontPixelsFromPoints(11)}, {0, 11, 15}}) {
    TMyFont font;
    font.Height = height;
    font.Size = size;
    EXPECT_EQ(std::tuple(font.PixelHeight(), font.ToPlatform().pixelHeight), std::tuple(pixels, pixels)) << height << " " << size;
  }
  TMyFont font;
  font.Style = TMyFont::kBold | TMyFont::kStrikeOut;
  const auto mapped = font.ToPlatform();
  EXPECT_EQ(std::tuple(mapped.fallbackFamily, mapped.bold, mapped.strikeOut, mapped.italic),
            std::tuple("sans-serif", true, true, false));
}

TEST(BalloonShape, HugeBalloonsAreNotDrawnAndFillsStayInside) {
  EXPECT_TRUE(BalloonPicture(16384, 16384).empty());
  EXPECT_TRUE(BalloonPicture(0, 10).empty());
  EXPECT_FALSE(BalloonPicture(16384, 100).empty());
  platform::Picture picture{3, 1, {1, 1, 1}};
  FloodFill(picture, -1, 0, 2);
  FloodFill(picture, 0, 0, 1);
  EXPECT_EQ(picture.pixels, (std::vector<uint32_t>{1, 1, 1}));
  platform::Picture big{2000, 2000, std::vector<uint32_t>(2000 * 2000, 5)};
  FloodFill(big, 1000, 1000, 6);
  EXPECT_EQ(big.pixels.back(), 6u);
}

// ---- lookup, properties, submit, reset -----------------------------------------------------

std::vector<uint8_t> FormWithControls() {
  test::FormFields form;
  form.actionUrl = "http://example.org/go";
  form.common.name = "dlg";
  return test::Join({
      test::FormRecord(form),
      test::LabelRecord("Your name:", {"Lbl", 4, 4, 60, 13, 0, 1, 0, 0, 1, 0, {}}),
      test::EditRecord("Ann", {"A", 4, 20, 100, 21}),
      test::ListRecord({"red", "green", "blue"}, {"Colours"}),
      test::CheckRecord("Agree", "yes", 0, {"Ok"}),
      test::EditRecord("", {"B", 0, 0, 10, 10, 0, 1, 0, 0, 1, 0, {}}),
      test::MemoRecord({"first", "second"}, {"M"}),
      test::ButtonRecord("Send", {"Send", 0, 0, 75, 25, 0, 1, 0, 0, 1, 0, {}}, 1, "", 7),
      test::ButtonRecord("Reset", {"Again", 0, 0, 75, 25, 0, 1, 0, 0, 1, 0, {}}, 2, "", 8),
      test::HtmlAddressRecord({"Web"}, "http://site/"),
      test::FlashRecord({"Movie"}),
      test::ImageRecord({"Pic"}, {}, '3'),
  });
}

TEST_F(DialogRuntime, FindObjectTakesPlainAndDialogQualifiedNamesWithoutCase) {
  auto dialog = Load(FormWithControls());
  EXPECT_EQ(dialog->FormName, "DLG");
  ASSERT_NE(dialog->FindObject("DLG.OK"), nullptr);
  EXPECT_EQ(dialog->FindObject("DLG.OK"), dialog->FindObject("ok"));
  EXPECT_EQ(dialog->FindObject("dlg.ok")->Name, "Ok");
  EXPECT_EQ(dialog->FindObject("other.ok"), nullptr);
  EXPECT_EQ(dialog->FindObject("dlg"), dialog->DialogObject);
  EXPECT_EQ(dialog->GetObjectProperty("missing", kPropCaption), "");
  EXPECT_FALSE(dialog->SetObjectProperty("missing", kPropCaption, "x"));
}

TEST_F(DialogRuntime, EveryPropertyCodeReadsAndWrites) {
  services.files["clip.swf"] = {7, 7, 7};
  services.streams[3] = test::SolidJpeg(4, 4, 0x00FF00);
  auto dialog = Load(FormWithControls());
  dialog->ShowDialog(ShowMode::Show);
  const auto get = [&](const char* name, int code) { return dialog->GetObjectProperty(name, code); };
  const auto set = [&](const char* name, int code, const char* value) {
    return dialog->SetObjectProperty(name, code, value);
  };
  // Written, then read back through the same code.
  const auto both = [&](const char* name, int code, const char* value) {
    EXPECT_TRUE(set(name, code, value)) << name << " " << code;
    EXPECT_EQ(get(name, code), value) << name << " " << code;
  };
  HeadlessDialogControl& edit = ControlOf(*dialog, "A");

  both("A", kPropCaption, "Bob");
  EXPECT_EQ(edit.Text(), "Bob");
  EXPECT_TRUE(set("dlg", kPropCaption, "New title"));
  EXPECT_EQ(WindowOf(*dialog).Caption(), "New title");

  both("A", kPropCursor, "-21");
  EXPECT_EQ(edit.Cursor().stock, platform::StockCursor::HandPoint);
  EXPECT_TRUE(set("A", kPropCursor, "-300"));  // unknown ids show the default cursor
  EXPECT_EQ(edit.Cursor(), platform::DialogCursor{});
  EXPECT_TRUE(set("A", kPropCursor, "2"));
  EXPECT_EQ(edit.Cursor().registered, 101);
  both("A", kPropEnabled, "0");
  EXPECT_FALSE(edit.Enabled());

  both("Movie", kPropContentFile, "clip.swf");
  EXPECT_TRUE(set("Web", kPropContentFile, "ignored"));
  EXPECT_FALSE(set("A", kPropContentFile, "x"));
  EXPECT_FALSE(set("A", kPropAddress, "x"));
  EXPECT_EQ(get("A", kPropContentFile), kFoundText);

  for (auto [code, value] : {std::pair{kPropHeight, "30"}, {kPropLeft, "-5"}, {kPropTop, "99999"}, {kPropWidth, "-7"}})
    EXPECT_TRUE(set("A", code, value)) << code;
  EXPECT_EQ(edit.Bounds(), (platform::Rect{-5, 32767, -5, 32767 + 30}));
  EXPECT_EQ(get("A", kPropTop), "32767");
  EXPECT_TRUE(set("dlg", kPropLeft, "40000"));
  EXPECT_EQ(WindowOf(*dialog).Bounds().left, 32767);

  EXPECT_EQ(get("Web", kPropAddress), "http://site/");
  both("Movie", kPropAddress, "http://clip/");
  both("dlg", kPropAddress, "mailto:me@example.org");
  both("Ok", kPropValue, "yes");
  EXPECT_TRUE(ControlOf(*dialog, "Ok").Checked());

  EXPECT_EQ(get("dlg", kPropVisible), "1");
  EXPECT_TRUE(set("Lbl", kPropVisible, "0"));
  EXPECT_FALSE(ControlOf(*dialog, "Lbl").Visible());
  EXPECT_TRUE(set("dlg", kPropVisible, "0"));
  EXPECT_FALSE(WindowOf(*dialog).Visible());

  both("Lbl", kPropTag, "42");
  EXPECT_TRUE(set("Lbl", kPropName, "Caption"));
  EXPECT_EQ(get("dlg.caption", kPropName), "Caption");
  EXPECT_EQ(get("dlg", kPropAlwaysOnTop), "0");
  EXPECT_TRUE(set("dlg", kPropAlwaysOnTop, "1"));
  EXPECT_TRUE(WindowOf(*dialog).Topmost());
  EXPECT_EQ(get("A", kPropAlwaysOnTop), "0");

  EXPECT_TRUE(set("Web", kPropBrowserLocation, "http://next/"));
  EXPECT_EQ(get("Web", kPropBrowserLocation), "");  // the location changes only by navigation
  EXPECT_EQ(get("Web", kPropBusyOrAddItem), "0");
  EXPECT_EQ(get("A", kPropCompleteOrDeleteItem), "0");
  EXPECT_TRUE(set("Web", kPropClearLocation, ""));

  EXPECT_EQ(get("Colours", kPropItems), "red,green,blue");
  EXPECT_TRUE(set("Colours", kPropItems, "\"dark red\",green"));
  EXPECT_EQ(get("Colours", kPropItemCount), "2");
  EXPECT_EQ(ControlOf(*dialog, "Colours").Items().front(), "dark red");
  EXPECT_TRUE(set("Colours", kPropBusyOrAddItem, "blue"));
  EXPECT_TRUE(set("Colours", kPropCompleteOrDeleteItem, "green"));
  EXPECT_EQ(get("Colours", kPropItems), "\"dark red\",blue");

  EXPECT_TRUE(set("Pic", kPropPicture, "3"));
  EXPECT_EQ(ControlOf(*dialog, "Pic").Picture().width, 4);
  EXPECT_TRUE(set("Pic", kPropRawPicture, "3"));
  EXPECT_EQ(ControlOf(*dialog, "Pic").Picture().width, 4);  // a raw picture is kept, not shown
  EXPECT_TRUE(set("Pic", kPropPicture, "99"));  // no such stream

  for (int code = 19; code <= 26; ++code) EXPECT_EQ(get("A", code), kFoundText) << code;
  EXPECT_TRUE(set("A", 25, ""));
  // Integers: digits and "-" only; other texts count as 0, malformed ones are refused.
  EXPECT_TRUE(set("A", kPropTag, "12abc"));
  EXPECT_EQ(get("A", kPropTag), "0");
  EXPECT_THROW(set("A", kPropTag, "1-2"), project::KpfError);
}

TEST_F(DialogRuntime, ListPropertiesStayWithinTheirBounds) {
  auto dialog = Load(FormWithControls());
  const auto count = [&] { return dialog->GetObjectProperty("Colours", kPropItemCount); };
  EXPECT_TRUE(dialog->SetObjectProperty("Colours", kPropItemCount, "5"));
  EXPECT_EQ(count(), "5");
  dialog->SetObjectProperty("Colours", kPropItemCount, "3");
  EXPECT_EQ(dialog->GetObjectProperty("Colours", kPropItems), "red,green,blue");
  dialog->SetObjectProperty("Colours", kPropItemCount, "-1");
  dialog->SetObjectProperty("Colours", kPropItemCount, "70000");
  EXPECT_EQ(count(), "3");
  dialog->SetObjectProperty("Colours", kPropItemCount, "65535");
  dialog->SetObjectProperty("Colours", kPropBusyOrAddItem, "one too many");
  EXPECT_EQ(count(), "65535");
  dialog->SetObjectProperty("Colours", kPropItemCount, "3");
  dialog->SetObjectProperty("Colours", kPropCompleteOrDeleteItem, "7");
  dialog->SetObjectProperty("Colours", kPropCompleteOrDeleteItem, "-1");
  EXPECT_EQ(count(), "3");
  dialog->SetObjectProperty("Colours", kPropCompleteOrDeleteItem, "0");
  EXPECT_EQ(dialog->GetObjectProperty("Colours", kPropItems), "green,blue");
}

TEST_F(DialogRuntime, SubmitBuildsTheQueryOfIncludedObjectsInOrder) {
  auto dialog = Load(FormWithControls());
  for (const auto& object : dialog->Objects) object->IncludeOnSubmit = object->Name == "A" || object->Name == "B";
  dialog->SetObjectProperty("A", kPropValue, "1");
  dialog->SetObjectProperty("B", kPropValue, "x y");
  EXPECT_EQ(dialog->SubmitQuery(), "A=1&B=x y");
  dialog->ShowDialog(ShowMode::Show);
  ControlOf(*dialog, "Send").UserClick();
  ASSERT_EQ(services.opened.size(), 1u);
  EXPECT_EQ(services.opened[0], "http://example.org/go?A=1&B=x y");
  EXPECT_EQ(services.scripts.back().index, 7);  // the click script runs after the submit
  for (const char* smtp : {"smtp", "SMTP", "Smtp"}) {
    dialog->ActionURL = smtp;
    dialog->Submit();
  }
  EXPECT_EQ(services.opened.size(), 1u);
}

TEST_F(DialogRuntime, ResetRestoresLoadedTextsAndClearsOtherValues) {
  auto dialog = Load(FormWithControls());
  dialog->ShowDialog(ShowMode::Show);
  ControlOf(*dialog, "A").UserType("typed");
  ControlOf(*dialog, "M").UserType("other");
  ControlOf(*dialog, "Ok").UserClick();
  ControlOf(*dialog, "Colours").UserSelect(1);
  dialog->SetObjectProperty("Lbl", kPropValue, "changed");
  dialog->SetObjectProperty("Send", kPropValue, "submit me");
  ControlOf(*dialog, "Again").UserClick();
  for (auto [name, value] : {std::pair{"A", "Ann"}, {"Lbl", "Your name:"}, {"M", "first\r\nsecond\r\n"}, {"Ok", ""},
                             {"Colours", ""}, {"Send", ""}})
    EXPECT_EQ(dialog->GetObjectProperty(name, kPropValue), value) << name;
  EXPECT_EQ(services.scripts.back().index, 8);
}

// ---- showing, events, closing --------------------------------------------------------------

TEST_F(DialogRuntime, ControlsAreMadeOnTheFirstShowAndEventsRunScriptsWithNames) {
  test::FormFields form;
  form.common.name = "Ask";
  form.onShow = 1;
  form.onClose = 2;
  auto dialog = Load(test::Join({test::FormRecord(form), test::EditRecord("", {"Answer"}, 3)}));
  EXPECT_EQ(dialog->FindObject("Answer")->Control, nullptr);
  EXPECT_TRUE(dialog->SetObjectProperty("Answer", kPropValue, "before"));  // the object only
  dialog->ShowDialog(ShowMode::Show);
  HeadlessDialogControl& edit = ControlOf(*dialog, "Answer");
  EXPECT_EQ(edit.Text(), "before");
  ASSERT_EQ(services.scripts.size(), 1u);
  EXPECT_EQ(std::tuple(services.scripts[0].index, services.scripts[0].second), std::tuple(1, "ASK"));
  edit.UserType("Zoe");
  const ScriptRun& change = services.scripts.back();
  EXPECT_EQ(std::tuple(change.index, change.first, change.sender.get()), std::tuple(3, "Answer", dialog->FindObject("Answer")));
  EXPECT_EQ(services.events.back(), "ASK.Answer change Zoe");
  dialog->ShowDialog(ShowMode::Show);  // already visible: no second show script
  EXPECT_EQ(services.scripts.size(), 2u);

  bool closed = false;
  dialog->OnClosed = [&](TfmCustomForm&) { closed = true; };
  WindowOf(*dialog).UserClose();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_EQ(services.scripts.back().index, 2);
}

TEST_F(DialogRuntime, AModalShowReturnsWhenHiddenAndRefusesToNest) {
  auto dialog = Load(test::Join({test::FormRecord(Form())}));
  int nestedRuns = 0;
  auto timer = services.platform.CreateTimer();
  timer->SetInterval(100);
  timer->SetOnTimer([&] {
    ++nestedRuns;
    dialog->ShowDialog(ShowMode::Modal);  // refused: already modal
    dialog->Hide();
  });
  timer->SetEnabled(true);
  dialog->ShowDialog(ShowMode::Modal);
  EXPECT_EQ(std::tuple(nestedRuns, dialog->Modal(), WindowOf(*dialog).Modal(), services.platform.NowMs()),
            std::tuple(1, false, false, 100));
}

TEST_F(DialogRuntime, ADetachedWindowReachesNothing) {
  test::FormFields form;
  form.onClose = 2;
  form.dragable = 1;
  auto dialog = Load(test::Join({test::FormRecord(form), test::ButtonRecord("b", {"Btn"}, 0, "", 9)}));
  dialog->ShowDialog(ShowMode::Show);
  HeadlessDialogControl& button = ControlOf(*dialog, "Btn");
  const size_t before = services.scripts.size();
  dialog->Detach();
  button.UserClick();
  WindowOf(*dialog).UserClose();
  WindowOf(*dialog).UserPressBackground(platform::MouseButton::Left, 3, 3);
  EXPECT_EQ(services.scripts.size(), before);
  EXPECT_FALSE(dialog->Visible());
}

TEST_F(DialogRuntime, BackgroundDragMovesADragableWindowAndRightClickOffersThePopup) {
  test::FormFields form;
  form.dragable = 1;
  form.borderless = 1;
  form.common.showPopup = 1;
  form.onClick = 4;
  auto dialog = Load(test::Join({test::FormRecord(form)}));
  dialog->ShowDialog(ShowMode::Show);
  HeadlessDialogWindow& window = WindowOf(*dialog);
  window.UserPressBackground(platform::MouseButton::Left, 10, 5);
  EXPECT_EQ(services.scripts.back().index, 4);
  window.UserDragBackground(500, 300);
  EXPECT_EQ(std::tuple(window.Bounds().left, window.Bounds().top), std::tuple(490, 295));
  window.UserReleaseBackground();
  window.UserDragBackground(10, 10);  // no press: no move
  EXPECT_EQ(window.Bounds().left, 490);
  window.UserPressBackground(platform::MouseButton::Right, 1, 1);
  EXPECT_EQ(services.popups, 1);
  EXPECT_FALSE(window.Shape().has_value());  // borderless without a picture stays rectangular
}

TEST_F(DialogRuntime, PictureButtonsShowTheirStatePicturesAndRunTheirScripts) {
  auto dialog = Load(test::Join({test::FormRecord(Form()),
                                 test::BitBtnRecord({"Bb"}, 0, test::SolidBmp(2, 2, 0xFF0000), test::SolidBmp(2, 2, 0x00FF00),
                                                    test::SolidBmp(2, 2, 0x0000FF), 5, 6)}));
  dialog->ShowDialog(ShowMode::Show);
  services.scripts.clear();
  TMyObject& button = *dialog->FindObject("Bb");
  const auto shown = [&] { return ControlOf(*dialog, "Bb").Picture().pixels.at(0) & 0xFFFFFF; };
  EXPECT_EQ(shown(), 0xFF0000u);
  button.PointerEntered();
  EXPECT_EQ(shown(), 0x00FF00u);
  button.ButtonPressed();
  EXPECT_EQ(shown(), 0x0000FFu);
  button.PointerLeft();
  EXPECT_EQ(shown(), 0xFF0000u);
  button.PointerEntered();  // still pressed: the pressed picture
  EXPECT_EQ(shown(), 0x0000FFu);
  button.ButtonReleased();
  EXPECT_EQ(shown(), 0x00FF00u);
  std::vector<int32_t> indices;
  for (const auto& run : services.scripts) indices.push_back(run.index);
  EXPECT_EQ(indices, (std::vector<int32_t>{6, 6, 6, 6, 6}));
  services.scripts.clear();
  ControlOf(*dialog, "Bb").UserPressPicture();
  ASSERT_FALSE(services.scripts.empty());
  EXPECT_EQ(services.scripts.back().index, 5);
  EXPECT_EQ(dialog->GetObjectProperty("Bb", kPropValue), "");  // not stored: empty until set
}

}  // namespace
}  // namespace kpf::dialogs
