// The definition reader against records written from the documented layout: every class, the
// extension rules, and definitions cut short or with hostile sizes.
#include <gtest/gtest.h>

#include "DialogBytes.hpp"
#include "dialogs/DialogDefinition.hpp"
#include "dialogs/JpegPicture.hpp"
#include "dialogs/TMyBevel.hpp"
#include "dialogs/TMyButtons.hpp"
#include "dialogs/TMyCheckBox.hpp"
#include "dialogs/TMyEdit.hpp"
#include "dialogs/TMyForm.hpp"
#include "dialogs/TMyImage.hpp"
#include "dialogs/TMyLabel.hpp"
#include "dialogs/TMyLists.hpp"
#include "dialogs/TMyMemo.hpp"
#include "dialogs/TMyWebObjects.hpp"

namespace kpf::dialogs {
namespace {

using test::ByteBuilder;
using test::CommonFields;

template <typename T>
T& As(const std::shared_ptr<TMyObject>& object) {
  EXPECT_NE(dynamic_cast<T*>(object.get()), nullptr);
  return *dynamic_cast<T*>(object.get());
}

DialogDefinition Read(const std::vector<uint8_t>& bytes) { return ReadDefinition(bytes); }

// Every class in one definition, as the authoring tool writes it.
std::vector<uint8_t> EveryClass() {
  test::FormFields form;
  form.actionUrl = "http://example.org/form";
  form.onShow = 5;
  form.onClose = 6;
  form.onClick = 7;
  form.dragable = 1;
  return test::Join({
      test::FormRecord(form),
      test::LabelRecord("Name:", {"Lbl", 4, 4, 50, 13, 0, 1, 0, 1, 1, 0, {1}}, 11),
      test::ImageRecord({"Pic"}, test::SolidBmp(2, 2, 0x112233), '3'),
      test::EditRecord("Ann", {"Ed"}, 12, 1),
      test::ButtonRecord("OK", {"Ok"}, 1, "sent", 13),
      test::ComboRecord({"b", "a", "c"}, {"Cb", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, test::ComboExtension(1, 1, 1)}, 14),
      test::RadioRecord({"x", "y"}, "Pick", {"Rg"}),
      test::ListRecord({"one", "two"}, {"Lb"}),
      test::CheckRecord("Agree", "yes", 1, {"Cx"}),
      test::MemoRecord({"l1", "l2"}, {"Me"}),
      test::HtmlFileRecord({"Web", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, {1, 0, 0, 0, 2, 0, 0, 0}}),
      test::FlashRecord({"Fl"}),
      test::BevelRecord({"Bv"}, 0, 5),
      test::BitBtnRecord({"Bb"}, 2, test::SolidBmp(3, 3, 0xFF0000), test::SolidBmp(3, 3, 0x00FF00), {}, 15, 16),
      test::EndRecord(),
  });
}

TEST(DefinitionReader, ReadsEveryClassInFileOrder) {
  const DialogDefinition read = Read(EveryClass());
  ASSERT_EQ(read.Error, "");
  ASSERT_EQ(read.Objects.size(), 14u);
  for (size_t i = 0; i < read.Objects.size(); ++i) EXPECT_EQ(read.Objects[i]->TypeCode(), i + 1);

  auto& form = As<TMyForm>(read.Objects[0]);
  EXPECT_EQ(std::tuple(form.Name, form.Caption, form.BorderStyle, form.ActionURL, form.Dragable),
            std::tuple("Dlg", "Hello", TFormBorder::fbsSizeable, "http://example.org/form", true));
  EXPECT_EQ(std::tuple(form.Scripts[kOnShow], form.Scripts[kOnClose], form.Scripts[kOnClick]), std::tuple(5, 6, 7));

  auto& label = As<TMyLabel>(read.Objects[1]);
  EXPECT_EQ(std::tuple(label.Caption, label.GetValue(), label.InitialValue), std::tuple("Name:", "Name:", "Name:"));
  EXPECT_EQ(std::tuple(label.WordWrap, label.AutoSize, label.Transparent), std::tuple(true, false, false));
  EXPECT_EQ(std::tuple(label.Font.Name, label.Font.PixelHeight(), label.Scripts[kOnClick]), std::tuple("Tahoma", 12, 11));

  const platform::Picture& image = As<TMyImage>(read.Objects[2]).Image.Bitmap;
  EXPECT_EQ(std::tuple(image.width, image.pixels.at(0)), std::tuple(2, 0xFF112233u));
  auto& edit = As<TMyEdit>(read.Objects[3]);
  EXPECT_EQ(std::tuple(edit.GetValue(), edit.PasswordField, edit.Scripts[kOnChange]), std::tuple("Ann", true, 12));
  auto& button = As<TMyButton>(read.Objects[4]);
  EXPECT_EQ(std::tuple(button.Caption, button.GetValue(), button.Mode, button.InitialValue),
            std::tuple("OK", "sent", TButtonMode::SubmitForm, ""));
  auto& combo = As<TMyComboBox>(read.Objects[5]);
  // Item 1 of the sorted items a, b, c.
  EXPECT_EQ(std::tuple(combo.Mode, combo.Sorted, combo.ItemIndex, combo.GetValue()),
            std::tuple(TDropDownMode::ddmlist, true, 1, "b"));
  auto& radio = As<TMyRadioGroup>(read.Objects[6]);
  EXPECT_EQ(std::tuple(radio.Items, radio.Caption, radio.Color, radio.GetValue()),
            std::tuple(std::vector<std::string>{"x", "y"}, "Pick", 0x00FF00u, ""));
  EXPECT_EQ(As<TMyListBox>(read.Objects[7]).Items.size(), 2u);
  EXPECT_EQ(As<TMyCheckBox>(read.Objects[8]).GetValue(), "yes");
  EXPECT_EQ(As<TMyMemo>(read.Objects[9]).GetValue(), "l1\r\nl2\r\n");
  auto& html = As<TMyHTML>(read.Objects[10]);
  EXPECT_EQ(std::tuple(html.Scripts[kOnComplete], html.Scripts[kOnClick], html.HTML.FileName, html.HTML.Data),
            std::tuple(1, 2, "page.htm", std::vector<uint8_t>{1, 2, 3}));
  auto& flash = As<TMyFlash>(read.Objects[11]);
  EXPECT_EQ(std::tuple(flash.FlashFile.FileName, flash.Scripts[kOnDownloadError], flash.Scripts[kOnDownloadEnd]),
            std::tuple("movie.swf", 21, 24));
  auto& bevel = As<TMyBevel>(read.Objects[12]);
  EXPECT_EQ(std::tuple(bevel.Style, bevel.Shape), std::tuple(TBevelStyle::bsLowered, TBevelShape::bsRightLine));
  auto& bitBtn = As<TMyBitBtn>(read.Objects[13]);
  EXPECT_EQ(std::tuple(bitBtn.Mode, bitBtn.IdleBitmap.Bitmap.width, bitBtn.ClickBitmap.Bitmap.empty(),
                       bitBtn.Scripts[kOnChangeBitmap], bitBtn.GetValue()),
            std::tuple(TButtonMode::ResetForm, 3, true, 16, ""));
}

TEST(DefinitionReader, ExtensionRulesOfLabelComboAndHtml) {
  const auto read = Read(test::Join({
      test::LabelRecord("a", {"NoExt"}),
      test::ComboRecord({"p", "q"}, {"Short", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, {1, 0, 0, 0, 1}}),
      test::ComboRecord({"p", "q"}, {"Long", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, {1, 0, 0, 0, 1, 0, 9, 9, 9}}),
      test::HtmlAddressRecord({"Html", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, {5, 0, 0, 0}}, "http://a/"),
  }));
  ASSERT_EQ(read.Error, "");
  ASSERT_EQ(read.Objects.size(), 4u);
  auto& label = As<TMyLabel>(read.Objects[0]);
  EXPECT_EQ(std::tuple(label.WordWrap, label.AutoSize, label.Transparent), std::tuple(false, true, true));
  auto& shortCombo = As<TMyComboBox>(read.Objects[1]);
  EXPECT_EQ(std::tuple(shortCombo.ItemIndex, shortCombo.Mode, shortCombo.Sorted),
            std::tuple(-1, TDropDownMode::ddmnormal, false));
  auto& longCombo = As<TMyComboBox>(read.Objects[2]);
  EXPECT_EQ(std::tuple(longCombo.ItemIndex, longCombo.Mode, longCombo.GetValue()), std::tuple(1, TDropDownMode::ddmlist, "q"));
  auto& html = As<TMyHTML>(read.Objects[3]);
  EXPECT_EQ(std::tuple(html.Scripts[kOnComplete], html.Scripts[kOnClick], html.HTML.URL), std::tuple(-1, -1, "http://a/"));
}

TEST(DefinitionReader, StoredValuesOutsideTheirRangeTakeTheDefaults) {
  test::FormFields form;
  form.position = 17;
  form.border = 9;
  const auto read = Read(test::Join({
      test::FormRecord(form),
      test::BevelRecord({"Bv"}, 7, 200),
      test::ButtonRecord("b", {"Bt"}, 3),
      test::ComboRecord({"only"}, {"Cb", 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, test::ComboExtension(5, 4, 0)}),
      test::CheckRecord("c", "v", 2, {"Cx"}),
      test::EditRecord("", {"Huge", -100000, 100000, 99999, -5}),
  }));
  ASSERT_EQ(read.Objects.size(), 6u);
  auto& dialog = As<TMyForm>(read.Objects[0]);
  EXPECT_EQ(std::tuple(dialog.Position, dialog.BorderStyle), std::tuple(TFormPosition::fpoDesigned, TFormBorder::fbsHint));
  auto& bevel = As<TMyBevel>(read.Objects[1]);
  EXPECT_EQ(std::tuple(bevel.Style, bevel.Shape), std::tuple(TBevelStyle::bsRaised, TBevelShape::bsBox));
  EXPECT_EQ(As<TMyButton>(read.Objects[2]).Mode, TButtonMode::Normal);
  auto& combo = As<TMyComboBox>(read.Objects[3]);
  EXPECT_EQ(std::tuple(combo.ItemIndex, combo.Mode), std::tuple(-1, TDropDownMode::ddmnormal));
  EXPECT_EQ(As<TMyCheckBox>(read.Objects[4]).Checked, false);  // only 1 counts
  const TMyObject& huge = *read.Objects[5];
  EXPECT_EQ(std::tuple(huge.Left, huge.Top, huge.Width, huge.Height), std::tuple(-32768, 32767, 16384, 0));
}

TEST(DefinitionReader, UnknownCodesAreSkippedAndTheEndRecordStops) {
  ByteBuilder unknown;
  unknown.i32(12345).nul("ignored");
  const auto read = Read(test::Join({
      test::Record(0, unknown), test::LabelRecord("a", {"A"}), test::Record(15, unknown),
      test::Record(40000, unknown), test::LabelRecord("b", {"B"}), test::EndRecord(), test::LabelRecord("c", {"C"}),
  }));
  EXPECT_EQ(read.Error, "");
  ASSERT_EQ(read.Objects.size(), 2u);
  EXPECT_EQ(read.Objects[1]->Name, "B");
}

TEST(DefinitionReader, ATextAtTheEndOfItsRecordWithoutItsNulEndsThere) {
  const auto read = Read(test::Join({test::HtmlAddressRecord({"H"}, "http://cut", false), test::LabelRecord("n", {"N"})}));
  EXPECT_EQ(read.Error, "");
  ASSERT_EQ(read.Objects.size(), 2u);
  EXPECT_EQ(As<TMyHTML>(read.Objects[0]).HTML.URL, "http://cut");
}

TEST(DefinitionReader, PicturesOfOtherKindsOrBrokenFilesShowNothing) {
  std::vector<uint8_t> brokenJpeg = test::SolidJpeg(8, 8, 0x336699);
  brokenJpeg.resize(brokenJpeg.size() / 3);
  const auto read = Read(test::Join({
      test::ImageRecord({"Other"}, test::SolidBmp(2, 2, 0), 'x'),
      test::ImageRecord({"Jpeg"}, test::SolidJpeg(8, 4, 0x336699), '4'),
      test::ImageRecord({"Broken"}, brokenJpeg, '4'),
      test::ImageRecord({"NotBmp"}, {'B', 'M', 1, 2, 3}, '3'),
  }));
  ASSERT_EQ(read.Objects.size(), 4u);
  EXPECT_TRUE(As<TMyImage>(read.Objects[0]).Image.Bitmap.empty());
  const platform::Picture& jpeg = As<TMyImage>(read.Objects[1]).Image.Bitmap;
  ASSERT_EQ(std::tuple(jpeg.width, jpeg.height), std::tuple(8, 4));
  EXPECT_NEAR(static_cast<int>((jpeg.pixels[0] >> 16) & 0xFF), 0x33, 6);
  EXPECT_EQ(jpeg.pixels[0] >> 24, 0xFFu);
  EXPECT_EQ(As<TMyImage>(read.Objects[3]).Image.Bitmap.width, 0);
}

// The frame size a JPEG declares, written over its start-of-frame header.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return jpeg;
}

TEST(JpegPicture, FailuresReturnToTheCallerAndHugeFramesAreRefusedBeforeDecoding) {
  const std::vector<uint8_t> good = test::SolidJpeg(16, 16, 0x808080);
  EXPECT_EQ(DecodeJpeg(good).width, 16);
  EXPECT_THROW(DecodeJpeg(WithDeclaredSize(good, 20000, 16)), project::KpfError);
  EXPECT_THROW(DecodeJpeg(WithDeclaredSize(good, 16000, 16000)), project::KpfError);
  EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}), project::KpfError);
  EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>{1, 2, 3}), project::KpfError);
  EXPECT_THROW(DecodeJpeg({}), project::KpfError);
  // A garbled body still gives a picture or an error, never an exit.
  std::vector<uint8_t> garbled = good;
  for (size_t i = garbled.size() / 2; i < garbled.size() - 2; ++i) garbled[i] = static_cast<uint8_t>(i * 37);
  try {
    EXPECT_EQ(DecodeJpeg(garbled).width, 16);
  } catch (const project::KpfError&) {
  }
}

TEST(DefinitionReader, HostileRecordSizesEndTheDefinitionWithTheObjectsReadSoFar) {
  const std::vector<uint8_t> first = test::LabelRecord("kept", {"First"});
  for (int32_t size : {-1, -2147483647 - 1, 0, 1, 2147483647, 100000}) {
    ByteBuilder bad;
    bad.i32(size).u16(2).nul("x");
    const auto read = Read(test::Join({first, bad.bytes(), test::LabelRecord("lost", {"Second"})}));
    ASSERT_EQ(read.Objects.size(), 1u) << size;
    EXPECT_EQ(read.Objects[0]->Name, "First");
    EXPECT_NE(read.Error.find("size"), std::string::npos) << read.Error;
  }
  // Fewer than four bytes left for a record size.
  const auto tail = Read(test::Join({first, {1, 0}}));
  EXPECT_EQ(tail.Objects.size(), 1u);
  EXPECT_FALSE(tail.Error.empty());
}

TEST(DefinitionReader, ExtensionSizesMustLieInsideTheirRecord) {
  for (int32_t size : {-1, 1000, 2147483647}) {
    ByteBuilder payload;
    payload.nul("L").i32(0).i32(0).i32(10).i32(10).i32(0).u8(1).i32(0).u8(1).u8(1).u8(0).i32(size).u8(6);
    const auto read = Read(test::Join({test::Record(2, payload), test::LabelRecord("n", {"N"})}));
    EXPECT_TRUE(read.Objects.empty()) << size;
    EXPECT_NE(read.Error.find("extension"), std::string::npos) << read.Error;
  }
}

// Every record of every class cut at every length: the object is dropped, reading ends, and no
// byte outside the record is read (the bytes after it would otherwise complete the payload).
TEST(DefinitionReader, RecordsCutShortAtEveryLengthAreDropped) {
  const DialogDefinition whole = Read(EveryClass());
  const std::vector<uint8_t> all = EveryClass();
  size_t offset = 0;
  for (size_t index = 0; index < whole.Objects.size(); ++index) {
    const int32_t size = static_cast<int32_t>(all[offset] | all[offset + 1] << 8 | all[offset + 2] << 16);
    const std::vector<uint8_t> record(all.begin() + static_cast<long>(offset),
                                      all.begin() + static_cast<long>(offset) + 4 + size);
    for (int32_t cut = 2; cut < size; ++cut) {
      std::vector<uint8_t> shortened = record;
      shortened.resize(static_cast<size_t>(4 + cut));
      shortened[0] = static_cast<uint8_t>(cut);
      shortened[1] = static_cast<uint8_t>(cut >> 8);
      shortened[2] = static_cast<uint8_t>(cut >> 16);
      const auto read = Read(test::Join({shortened, record}));
      // A few cuts still leave a complete object (a last text without its NUL); never more.
      ASSERT_LE(read.Objects.size(), 2u) << "class " << index + 1 << " cut " << cut;
      if (read.Objects.empty()) {
        EXPECT_FALSE(read.Error.empty());
      }
    }
    offset += 4 + static_cast<size_t>(size);
  }
}

TEST(DefinitionReader, AtMost4096ObjectsPerDialog) {
  std::vector<uint8_t> many;
  const std::vector<uint8_t> bevel = test::BevelRecord({"B"}, 1, 0);
  for (int i = 0; i < 4100; ++i) many.insert(many.end(), bevel.begin(), bevel.end());
  const auto read = Read(many);
  EXPECT_EQ(read.Objects.size(), kMaxObjects);
  EXPECT_NE(read.Error.find("4096"), std::string::npos);
}

TEST(DefinitionWriter, WritesTheLayoutItReads) {
  const std::vector<uint8_t> stored = EveryClass();
  const DialogDefinition read = Read(stored);
  EXPECT_EQ(WriteDefinition(read.Objects), stored);
  const DialogDefinition again = Read(WriteDefinition(read.Objects));
  ASSERT_EQ(again.Objects.size(), read.Objects.size());
  EXPECT_EQ(As<TMyMemo>(again.Objects[9]).Lines, (std::vector<std::string>{"l1", "l2"}));
}

}  // namespace
}  // namespace kpf::dialogs
