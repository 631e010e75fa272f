#pragma once
// Dialog windows and controls that record what the runtime asked of them, for tests and
// `kpftool run`. The User... helpers act as a user would: they change the control's state and
// report the event, exactly like a real control.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DialogWindow.hpp"
#include "platform/headless/HeadlessDesktop.hpp"

namespace kpf::platform::headless {

class HeadlessDialogControl;
using DialogControlList = std::vector<HeadlessDialogControl*>;

class HeadlessDialogControl : public platform::DialogControl {
 public:
  HeadlessDialogControl(platform::DialogControlKind kind, const platform::DialogControlStyle& style,
                        std::shared_ptr<DialogControlList> siblings);
  ~HeadlessDialogControl() override;
  HeadlessDialogControl(const HeadlessDialogControl&) = delete;
  HeadlessDialogControl& operator=(const HeadlessDialogControl&) = delete;

  void SetEvents(platform::DialogControlEvents* events) override { events_ = events; }
  void SetBounds(const platform::Rect& bounds) override { bounds_ = bounds; }
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetItems(const std::vector<std::string>& items) override { items_ = items; }
  void SetSelection(int index) override;
  int Selection() const override { return selection_; }
  void SetChecked(bool checked) override { checked_ = checked; }
  bool Checked() const override { return checked_; }
  void SetFont(const platform::DialogFont& font) override { font_ = font; }
  void SetColor(uint32_t rgb) override { color_ = rgb; }
  void SetCursor(const platform::DialogCursor& cursor) override { cursor_ = cursor; }
  void SetPicture(const platform::Picture& picture) override { picture_ = picture; }

  platform::DialogControlKind Kind() const { return kind_; }
  const platform::DialogControlStyle& Style() const { return style_; }
  const platform::Rect& Bounds() const { return bounds_; }
  bool Visible() const { return visible_; }
  bool Enabled() const { return enabled_; }
  const std::vector<std::string>& Items() const { return items_; }
  const platform::DialogFont& Font() const { return font_; }
  uint32_t Color() const { return color_; }
  const platform::DialogCursor& Cursor() const { return cursor_; }
  const platform::Picture& Picture() const { return picture_; }

  // The user types `text` over the content (edits, memos, combo box entries).
  void UserType(const std::string& text);
  // The user clicks: a check box toggles, a button or label is clicked.
  void UserClick();
  // The user picks an item (lists, combo boxes, radio groups).
  void UserSelect(int index);
  // A picture button: pointer enters, presses, releases (a click) and leaves.
  void UserPressPicture();

 private:
  platform::DialogControlKind kind_;
  platform::DialogControlStyle style_;
  std::shared_ptr<DialogControlList> siblings_;
  platform::DialogControlEvents* events_ = nullptr;
  platform::Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  std::vector<std::string> items_;
  int selection_ = -1;
  bool checked_ = false;
  platform::DialogFont font_;
  uint32_t color_ = 0;
  platform::DialogCursor cursor_;
  platform::Picture picture_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class HeadlessDialogWindow : public platform::DialogWindow {
 public:
  // The frame a bordered window gets from the (imaginary) window manager.
  static constexpr platform::FrameExtents kFrame{4, 24, 4, 4};

  explicit HeadlessDialogWindow(std::shared_ptr<HeadlessDesktop> desktop);
  ~HeadlessDialogWindow() override;
  HeadlessDialogWindow(const HeadlessDialogWindow&) = delete;
  HeadlessDialogWindow& operator=(const HeadlessDialogWindow&) = delete;

  void SetEvents(platform::DialogWindowEvents* events) override { events_ = events; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetBorder(platform::DialogBorder border) override { border_ = border; }
  void SetBorderIcons(const platform::DialogBorderIcons& icons) override { icons_ = icons; }
  void SetClientSize(int width, int height) override;
  void MoveTo(int left, int top) override;
  void PlaceByDesktop() override { placedByDesktop_ = true; }
  platform::Rect Bounds() const override;
  platform::FrameExtents Frame() const override;
  void SetColor(uint32_t rgb) override { color_ = rgb; }
  void SetBackground(const platform::Picture& picture) override { background_ = picture; }
  void SetShape(const platform::Region* shape) override;
  void SetTopmost(bool topmost) override { topmost_ = topmost; }
  void SetFullScreen(bool fullScreen) override { fullScreen_ = fullScreen; }
  void SetModal(bool modal) override { modal_ = modal; }
  void Show(bool activate) override;
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void BringToFront() override { ++bringToFrontCount_; }
  std::unique_ptr<platform::DialogControl> CreateControl(platform::DialogControlKind kind,
                                                         const platform::DialogControlStyle& style) override;

  const std::string& Caption() const { return caption_; }
  platform::DialogBorder Border() const { return border_; }
  const platform::DialogBorderIcons& BorderIcons() const { return icons_; }
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  bool PlacedByDesktop() const { return placedByDesktop_; }
  uint32_t Color() const { return color_; }
  const platform::Picture& Background() const { return background_; }
  const std::optional<platform::Region>& Shape() const { return shape_; }
  bool Topmost() const { return topmost_; }
  bool FullScreen() const { return fullScreen_; }
  bool Modal() const { return modal_; }
  int ShowCount() const { return showCount_; }
  int BringToFrontCount() const { return bringToFrontCount_; }
  // The live controls in creation order.
  const DialogControlList& Controls() const { return *controls_; }

  // User actions on the window.
  void UserClose();
  void UserPressBackground(platform::MouseButton button, int x, int y);
  void UserDragBackground(int screenX, int screenY);
  void UserReleaseBackground();

 private:
  std::shared_ptr<HeadlessDesktop> desktop_;
  std::shared_ptr<DialogControlList> controls_ = std::make_shared<DialogControlList>();
  platform::DialogWindowEvents* events_ = nullptr;
  std::string caption_;
  platform::DialogBorder border_ = platform::DialogBorder::Sizeable;
  platform::DialogBorderIcons icons_;
  int clientWidth_ = 1;
  int clientHeight_ = 1;
  int left_ = 0;
  int top_ = 0;
  bool placedByDesktop_ = false;
  uint32_t color_ = 0;
  platform::Picture background_;
  std::optional<platform::Region> shape_;
  bool topmost_ = false;
  bool fullScreen_ = false;
  bool modal_ = false;
  bool visible_ = false;
  int showCount_ = 0;
  int bringToFrontCount_ = 0;
};

}  // namespace kpf::platform::headless
