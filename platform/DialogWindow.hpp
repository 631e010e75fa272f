#pragma once
// Project dialogs on the desktop: a top-level window with a background colour and picture, an
// optional shape, and real controls placed on its client area. The dialog runtime drives these
// through the few operations below and hears back through the event interfaces; it never sees a
// widget toolkit. Texts are the project's 8-bit texts as stored; a backend converts them for its
// toolkit and converts what the user typed back.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/NativeWindow.hpp"
#include "platform/PopupMenu.hpp"
#include "platform/Types.hpp"

namespace kpf::platform {

enum class DialogControlKind {
  Label,          // static text, optionally wrapped, transparent or on its colour
  Picture,        // a picture (its alpha 0 pixels show what lies below)
  Edit,           // one-line text entry
  Button,         // push button
  ComboBox,       // drop-down list, with an entry or pick-only
  RadioGroup,     // framed group of radio buttons, the text is the frame's caption
  ListBox,        // list of items
  CheckBox,       // check box with its caption
  Memo,           // multi-line text entry
  Panel,          // an empty framed panel
  Bevel,          // a drawn box, frame or line
  PictureButton,  // a picture that reports pointer enter/leave and presses
};

// How a control looks, fixed when it is made.
struct DialogControlStyle {
  bool password = false;      // Edit: shows "*" for every character
  bool editable = true;       // ComboBox: false = pick-only
  bool wordWrap = false;      // Label
  bool autoSize = true;       // Label: takes the size of its text
  bool transparent = true;    // Label: no background of its own
  int bevelShape = 0;         // Bevel: box, frame, top, bottom, left, right line, spacer
  bool bevelRaised = true;    // Bevel: raised or lowered
};

struct DialogFont {
  std::string name = "MS Sans Serif";  // face name as stored; the backend picks a substitute
  std::string fallbackFamily;          // generic family standing in where `name` is missing
  uint32_t rgb = 0;                    // 0xRRGGBB
  int pixelHeight = 11;                // character height in pixels, 1..1000
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool operator==(const DialogFont&) const = default;
};

// The stock pointer shapes a dialog object may ask for.
enum class StockCursor {
  Default, None, Arrow, Cross, IBeam, SizeNESW, SizeNS, SizeNWSE, SizeWE, UpArrow, HourGlass, Drag,
  NoDrop, HSplit, VSplit, MultiDrag, SqlWait, No, AppStart, Help, HandPoint, SizeAll
};

// A stock cursor, or a cursor registered with Platform::RegisterCursor (number > 0 wins).
struct DialogCursor {
  StockCursor stock = StockCursor::Default;
  int registered = 0;
  bool operator==(const DialogCursor&) const = default;
};

// What a control reports. Only user actions are reported, never changes the runtime made.
class DialogControlEvents {
 public:
  virtual ~DialogControlEvents() = default;
  // A click (buttons, labels, pictures, memos, panels), a new selection (lists, combo boxes,
  // radio groups) or a toggle (check boxes).
  virtual void ControlClicked() = 0;
  // The user changed the text (edits, memos, the entry of a combo box).
  virtual void ControlChanged() = 0;
  // Picture buttons: the pointer entered or left, the left button went down or up.
  virtual void PointerEntered() = 0;
  virtual void PointerLeft() = 0;
  virtual void ButtonPressed() = 0;
  virtual void ButtonReleased() = 0;
};

class DialogControl {
 public:
  virtual ~DialogControl() = default;
  virtual void SetEvents(DialogControlEvents* events) = 0;
  // Client coordinates of the dialog window; sizes are 0..16384.
  virtual void SetBounds(const Rect& bounds) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // Caption, text or lines (lines separated by CR LF).
  virtual void SetText(const std::string& text) = 0;
  // The text as the user left it (edits, memos, combo box entries); the caption otherwise.
  virtual std::string Text() const = 0;
  virtual void SetItems(const std::vector<std::string>& items) = 0;
  // Selected item, -1 for none.
  virtual void SetSelection(int index) = 0;
  virtual int Selection() const = 0;
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
  virtual void SetFont(const DialogFont& font) = 0;
  // Background colour 0xRRGGBB (labels that are not transparent, radio groups).
  virtual void SetColor(uint32_t rgb) = 0;
  virtual void SetCursor(const DialogCursor& cursor) = 0;
  // Pictures and picture buttons; an empty picture shows nothing.
  virtual void SetPicture(const Picture& picture) = 0;
};

// What the window reports.
class DialogWindowEvents {
 public:
  virtual ~DialogWindowEvents() = default;
  // The user or the window manager asks the window to close.
  virtual void WindowCloseRequested() = 0;
  // Presses, moves and clicks on the background (where no control is); press coordinates are
  // client coordinates, moves are screen coordinates.
  virtual void BackgroundMouseDown(MouseButton button, int x, int y) = 0;
  virtual void BackgroundMouseMove(bool leftHeld, int screenX, int screenY) = 0;
  virtual void BackgroundClicked() = 0;
};

enum class DialogBorder { Dialog, Single, None, Sizeable, ToolWindow, SizeableToolWindow };

struct DialogBorderIcons {
  bool systemMenu = true;
  bool minimize = true;
  bool maximize = true;
  bool operator==(const DialogBorderIcons&) const = default;
};

// Decoration the window manager adds around the client area, in pixels.
struct FrameExtents {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const FrameExtents&) const = default;
};

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual void SetEvents(DialogWindowEvents* events) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetBorder(DialogBorder border) = 0;
  virtual void SetBorderIcons(const DialogBorderIcons& icons) = 0;
  // Client area size, 1..16384 each.
  virtual void SetClientSize(int width, int height) = 0;
  // Outer top-left corner on the screen (-32768..32767).
  virtual void MoveTo(int left, int top) = 0;
  // Leaves the position to the window manager until the next MoveTo.
  virtual void PlaceByDesktop() = 0;
  // Outer rectangle as last placed (client size plus the frame).
  virtual Rect Bounds() const = 0;
  virtual FrameExtents Frame() const = 0;
  virtual void SetColor(uint32_t rgb) = 0;
  // Drawn at the client area's top-left corner over the colour; empty: none.
  virtual void SetBackground(const Picture& picture) = 0;
  // Client coordinates; null: rectangular.
  virtual void SetShape(const Region* shape) = 0;
  virtual void SetTopmost(bool topmost) = 0;
  virtual void SetFullScreen(bool fullScreen) = 0;
  // While modal, the player's other windows take no input.
  virtual void SetModal(bool modal) = 0;
  virtual void Show(bool activate) = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  virtual void BringToFront() = 0;
  virtual std::unique_ptr<DialogControl> CreateControl(DialogControlKind kind, const DialogControlStyle& style) = 0;
};

}  // namespace kpf::platform
