#pragma once
// The character's window on X11: an undecorated GTK top-level that stays out of the taskbar and
// pager and is placed at absolute screen positions. It is a normal top-level (not a popup, which
// the window manager would neither stack nor focus) with the "utility" type hint, which window
// managers keep out of task lists and let the program place itself.
//
// Region path: the picture is drawn opaque and the X Shape extension's bounding shape clips what
// is drawn and, with no input shape set, where the pointer hits, so clicks on transparent pixels
// reach the window below. The shape is set with XShapeCombineRectangles on the window's XID: GDK's own
// shape calls do not reach the server for a window that is already mapped. A shape of more
// rectangles than one request should carry (kMaxShapeRectangles) goes as a 1-bit mask instead.
// Positions, sizes, pictures and input are in X pixels whatever GDK's window scale is; GDK's
// coordinates are converted at the calls that take them (GdkScale.hpp).
// Per-pixel path: with a compositor the window has an RGBA visual and the premultiplied picture
// is painted with its alpha; pixels of alpha 0 leave the input shape (the bounding shape is unset).
// The picture's cairo surface is kept and refilled while frames keep their size, and a window
// asked to stay where it is is not configured again.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/NativeWindow.hpp"

typedef struct _GtkWidget GtkWidget;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;
typedef struct _XDisplay Display;
typedef union _GdkEvent GdkEvent;
typedef struct _GdkCursor GdkCursor;

namespace kpf::platform::gtk {

// The caption by which character windows recognise one another.
inline constexpr const char* kCharacterWindowTitle = "$zimR_304152$";

class GtkNativeWindow : public platform::NativeWindow {
 public:
  // Needs an initialised GTK. The window is realised (it has its XID) but not shown.
  GtkNativeWindow();
  ~GtkNativeWindow() override;
  GtkNativeWindow(const GtkNativeWindow&) = delete;
  GtkNativeWindow& operator=(const GtkNativeWindow&) = delete;

  void SetInput(WindowInput* input) override { input_ = input; }
  void SetTitle(const std::string& title) override;
  void MoveResize(int x, int y, int width, int height) override;
  // The rectangle last asked for (the X server applies it asynchronously).
  Rect Bounds() const override { return bounds_; }
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }
  void SetTopmost(bool topmost) override;
  bool Topmost() const override { return topmost_; }
  void BringToFront() override;
  // Raised and focused through the window manager (_NET_ACTIVE_WINDOW where it has one).
  void Activate() override;
  // _NET_RESTACK_WINDOW where the window manager offers it, else a plain restack beside the
  // sibling. Every request that names the other client's window runs inside an X error trap: a
  // window that has gone (or that is no sibling of ours) gives false.
  bool PlaceBelow(uint64_t windowId) override;
  bool SupportsPerPixelAlpha() const override;
  // Also drops the input shape a per-pixel picture left behind.
  void ShowImage(const ImageView& image) override;
  void SetShape(const Region* shape) override;
  void SetShapeMask(const ShapeMask& mask) override;
  // Also drops the shape: the picture's alpha decides what shows.
  void ShowLayered(const ImageView& premultiplied, uint8_t constantAlpha) override;
  // Through the compositor (_NET_WM_WINDOW_OPACITY); without one the window stays opaque.
  void SetOpacity(uint8_t alpha) override;
  // The cursor registered under the number (GtkCursorTable), or the desktop's hand for
  // kHandCursor; 0 and unknown numbers show the default arrow.
  void SetCursor(int cursorNumber) override;

  // The X window, for tests and desktop queries.
  unsigned long XWindowId() const { return xid_; }
  // Told when the shown window becomes iconified (true) or shows normally again (false).
  void SetOnIconified(std::function<void(bool iconified)> handler) { onIconified_ = std::move(handler); }
  // The window's X events (an XEvent) before GDK translates them: exposures are handled here
  // instead (true: GDK must not see the event), configure events of a window on the root are
  // marked so that GDK takes their position as given.
  bool TakeServerEvent(void* xevent);

 private:
  struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const;
  };
  using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
  enum class Paint { Opaque, PerPixel };

  void ConnectSignals();
  // Sets one shape kind (ShapeBounding or ShapeInput) from rectangles, or from a mask of them
  // when there are too many.
  void CombineRectangles(int kind, const std::vector<Rect>& rects);
  void CombineMask(int kind, const ShapeMask& mask);
  void RemoveShape();
  // Back to no shape of this kind (the input shape then follows the bounding one).
  void ClearShape(int kind);
  void Redraw();
  // The picture into the kept cairo surface (made anew when its size or format differs); none
  // when the view does not hold width × height pixels.
  void SetPicture(const ImageView& image, bool keepAlpha);

  static int OnDraw(GtkWidget* widget, cairo_t* cr, void* self);

  static int OnButtonPress(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnButtonRelease(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnMotion(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnKey(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnDelete(GtkWidget* widget, GdkEvent* event, void* self);
  static int OnWindowState(GtkWidget* widget, GdkEvent* event, void* self);

  GtkWidget* window_ = nullptr;
  Display* display_ = nullptr;
  unsigned long xid_ = 0;
  bool rgba_ = false;
  int gdkScale_ = 1;
  WindowInput* input_ = nullptr;
  Rect bounds_{0, 0, 1, 1};
  bool visible_ = false;
  bool topmost_ = false;
  Surface picture_;
  // Which shapes are set: the bounding one by the region paths, an input shape of its own only
  // by a per-pixel picture.
  bool boundingShaped_ = false;
  bool inputShaped_ = false;
  Paint paint_ = Paint::Opaque;
  uint8_t constantAlpha_ = 255;
  // The first request serial of the last draw: exposures from before it are painted already.
  unsigned long drawnFromSerial_ = 0;
  // The window is a child of the root (not reparented into a window manager's frame).
  bool onRoot_ = true;
  GdkCursor* handCursor_ = nullptr;
  std::function<void(bool)> onIconified_;
};

}  // namespace kpf::platform::gtk
