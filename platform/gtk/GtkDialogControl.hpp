#pragma once
// A dialog control on GTK: the widget of its kind inside an event box placed on the dialog's
// GtkFixed. The base keeps what every kind shares (geometry, visibility, sensitivity, font and
// colour, cursor) and reports events only while the runtime is not itself changing the widget.
// Each report may run a script that releases the dialog, so a handler never touches the control
// after a report unless the control is still alive.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DialogWindow.hpp"

typedef struct _GtkWidget GtkWidget;

namespace kpf::platform::gtk {

class GtkDialogControl : public DialogControl {
 public:
  // Makes the control of `kind` and puts it on `fixed`.
  static std::unique_ptr<GtkDialogControl> Make(DialogControlKind kind, const DialogControlStyle& style,
                                                GtkWidget* fixed);
  ~GtkDialogControl() override;
  GtkDialogControl(const GtkDialogControl&) = delete;
  GtkDialogControl& operator=(const GtkDialogControl&) = delete;

  void SetEvents(DialogControlEvents* events) override { events_ = events; }
  void SetBounds(const Rect& bounds) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetText(const std::string&) override {}
  std::string Text() const override { return {}; }
  void SetItems(const std::vector<std::string>&) override {}
  void SetSelection(int) override {}
  int Selection() const override { return -1; }
  void SetChecked(bool) override {}
  bool Checked() const override { return false; }
  void SetFont(const DialogFont& font) override;
  void SetColor(uint32_t rgb) override;
  void SetCursor(const DialogCursor& cursor) override;
  void SetPicture(const Picture&) override {}

  // The widget that takes the font (the control itself, not its event box).
  GtkWidget* Widget() const { return widget_; }

 protected:
  // Where a background colour goes: nowhere, on the widget, or on its event box (which then
  // paints a background of its own).
  enum class Colour { None, Widget, Box };
  GtkDialogControl(GtkWidget* fixed, GtkWidget* widget, Colour colour = Colour::None);
  void ApplyStyle();
  bool Quiet() const { return quiet_ > 0; }
  // Runs while the control changes its own widget: no events are reported meanwhile.
  template <typename Change>
  void Quietly(Change change) {
    ++quiet_;
    change();
    --quiet_;
  }
  // The events to report to, or null while quiet; a report is the handler's last use of `this`
  // unless Alive() says otherwise afterwards.
  DialogControlEvents* Listener() const { return quiet_ > 0 ? nullptr : events_; }
  std::weak_ptr<bool> Alive() const { return alive_; }
  GtkWidget* Box() const { return box_; }
  // Button releases on the event box report a click.
  void ClickOnRelease();

 private:
  static int OnRelease(GtkWidget* widget, void* event, void* self);

  GtkWidget* fixed_;
  GtkWidget* box_;
  GtkWidget* widget_;
  Colour colourOn_;
  DialogControlEvents* events_ = nullptr;
  int quiet_ = 0;
  std::optional<DialogFont> font_;
  std::optional<uint32_t> colour_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kpf::platform::gtk
