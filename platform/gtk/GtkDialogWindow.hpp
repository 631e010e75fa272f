#pragma once
// A project dialog on X11: a GTK top-level whose client area is an event box (the background:
// colour and picture painted with cairo, presses, moves and clicks where no control is) holding a
// GtkFixed on which the controls sit at their pixel positions. Shapes go to the X Shape
// extension on the window's XID, as for the character window; above 65536 runs they are set
// from a 1-bit mask, which any request size can carry.
#include <memory>
#include <string>

#include "platform/DialogWindow.hpp"

typedef struct _GtkWidget GtkWidget;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef union _GdkEvent GdkEvent;

namespace kpf::platform::gtk {

class GtkDialogWindow : public DialogWindow {
 public:
  GtkDialogWindow();
  // Hides the window at once; GTK destroys it from the loop, after the event being handled.
  ~GtkDialogWindow() override;
  GtkDialogWindow(const GtkDialogWindow&) = delete;
  GtkDialogWindow& operator=(const GtkDialogWindow&) = delete;

  void SetEvents(DialogWindowEvents* events) override { events_ = events; }
  void SetCaption(const std::string& caption) override;
  void SetBorder(DialogBorder border) override;
  void SetBorderIcons(const DialogBorderIcons& icons) override;
  void SetClientSize(int width, int height) override;
  void MoveTo(int left, int top) override;
  void PlaceByDesktop() override { placed_ = false; }
  Rect Bounds() const override;
  FrameExtents Frame() const override;
  void SetColor(uint32_t rgb) override;
  void SetBackground(const Picture& picture) override;
  void SetShape(const Region* shape) override;
  void SetTopmost(bool topmost) override;
  void SetFullScreen(bool fullScreen) override;
  void SetModal(bool modal) override;
  void Show(bool activate) override;
  void Hide() override;
  bool Visible() const override { return visible_; }
  void BringToFront() override;
  std::unique_ptr<DialogControl> CreateControl(DialogControlKind kind, const DialogControlStyle& style) override;

  // The X window, for tests.
  unsigned long XWindowId() const;

 private:
  struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const;
  };
  void ApplyBorderFunctions();
  static int OnDraw(GtkWidget* widget, cairo_t* cr, void* self);
  static int OnPress(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnMotion(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnRelease(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnDelete(GtkWidget* widget, GdkEvent* event, void* self);

  GtkWidget* window_;
  GtkWidget* background_;
  GtkWidget* fixed_;
  DialogWindowEvents* events_ = nullptr;
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> picture_;
  uint32_t colour_ = 0xF0F0F0;
  DialogBorder border_ = DialogBorder::Sizeable;
  DialogBorderIcons icons_;
  int width_ = 1;
  int height_ = 1;
  int left_ = 0;
  int top_ = 0;
  bool placed_ = false;
  bool visible_ = false;
  bool fullScreen_ = false;
  bool pressedOnBackground_ = false;
};

}  // namespace kpf::platform::gtk
