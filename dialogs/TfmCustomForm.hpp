#pragma once
// The window logic of one project dialog: builds itself and its objects from the definition,
// applies border, placement, background and balloon shape, creates the controls on the first
// show, shows plainly, modally or in front, routes window and object events to the player's
// scripts, drags, submits and resets, finds objects by name and answers the property interface.
//
// A window is shared: the TTaviForm owns it, and every event, modal run and property call holds
// it for its duration, so releasing it (Detach) never frees it under one of them. After Detach
// nothing reaches the player any more.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "dialogs/DialogDefinition.hpp"
#include "dialogs/DialogServices.hpp"
#include "dialogs/TMyForm.hpp"
#include "platform/DialogWindow.hpp"

namespace kpf::dialogs {

// How a dialog is shown.
enum class ShowMode { Show = 0, Modal = 1, Front = 2 };

class TfmCustomForm : public std::enable_shared_from_this<TfmCustomForm>,
                      public ObjectHost,
                      public platform::DialogWindowEvents {
 public:
  // Client area and caption of a window without a dialog object.
  static constexpr int kDesignWidth = 187;
  static constexpr int kDesignHeight = 232;

  explicit TfmCustomForm(DialogServices& services);
  ~TfmCustomForm() override;
  TfmCustomForm(const TfmCustomForm&) = delete;
  TfmCustomForm& operator=(const TfmCustomForm&) = delete;

  int32_t BackgroundClickScript = -1;
  TMyFormBackground BackgroundPicture;
  std::string ActionURL;
  std::string FormName;
  TMyForm* DialogObject = nullptr;
  bool PopupMenu = false;
  bool Dragable = false;
  int32_t DragX = 0;
  int32_t DragY = 0;
  ObjectList Objects;
  bool ControlsCreated = false;
  int32_t ClickScript = -1;
  int32_t CloseScript = -1;
  int32_t ShowScript = -1;
  // Told when the window starts closing (before its close script) and when it has closed.
  std::function<void(TfmCustomForm&)> OnClosing;
  std::function<void(TfmCustomForm&)> OnClosed;

  // Frees earlier objects, reads the records and applies the dialog object to the window.
  void LoadDefinition(std::span<const uint8_t> definition);
  // Why reading stopped early; empty when the definition was read whole.
  const std::string& LoadError() const { return loadError_; }

  // Show, modal (returns when the window is hidden, closed or released, or the player stops),
  // or show and bring to front. A modal show of a window already running modally is refused.
  void ShowDialog(ShowMode mode);
  void Hide();
  // The close a user or the player asks for: hides, runs the close script, tells OnClosed.
  void Close();
  // Released by its TTaviForm: hidden, and no event reaches the player any more.
  void Detach();
  bool Visible() const;
  bool Modal() const { return modal_; }
  bool Closing() const { return closing_; }
  bool Detached() const { return detached_; }
  // The "Stay On Top" state of the character: every dialog stays on top with it; otherwise a
  // dialog stays on top only when its definition asks for it.
  void SetStayOnTop(bool characterOnTop);
  void ApplyShape();

  TMyObject* FindObject(std::string_view name);
  // Property interface by object name: an empty text / false for unknown names.
  std::string GetObjectProperty(std::string_view name, int code);
  bool SetObjectProperty(std::string_view name, int code, const std::string& value);
  // Codes 20 and 21 with the picture's bytes at hand.
  bool SetObjectPicture(std::string_view name, int code, std::span<const uint8_t> bytes);

  void Submit();
  void Reset();
  // Name=value of every included object, joined by "&", unescaped.
  std::string SubmitQuery() const;

  platform::DialogWindow& Window() { return *window_; }
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  bool Balloon() const { return balloon_; }

  // ObjectHost.
  void RunObjectScript(TMyObject& sender, int32_t scriptIndex) override;
  void NoteControlEvent(TMyObject& sender, std::string_view event) override;
  void SubmitRequested() override { Submit(); }
  void ResetRequested() override { Reset(); }
  platform::DialogCursor CursorFor(int16_t cursor) const override { return services_.Cursor(cursor); }
  std::shared_ptr<const void> HoldWindow() override { return weak_from_this().lock(); }
  std::string GetProperty(TMyObject& object, int code) override;
  bool SetProperty(TMyObject& object, int code, const std::string& value) override;

  // DialogWindowEvents.
  void WindowCloseRequested() override { Close(); }
  void BackgroundMouseDown(platform::MouseButton button, int x, int y) override;
  void BackgroundMouseMove(bool leftHeld, int screenX, int screenY) override;
  void BackgroundClicked() override;

 private:
  void ApplyDialogObject(TMyForm& form);
  void ApplyBorder();
  void ApplyClientSize();
  void Place();
  void CreateControls();
  void RunModal();
  void FireScript(int32_t scriptIndex, const std::string& text);
  std::shared_ptr<TMyObject> Shared(const TMyObject& object) const;
  bool HasOwnBorder() const;
  bool IsDialogObject(const TMyObject& object) const { return &object == DialogObject; }
  bool SetWindowProperty(int code, const std::string& value);
  void SetListProperty(TMyObject& object, int code, const std::string& value);
  bool SetPicture(TMyObject& object, int code, std::span<const uint8_t> bytes);

  DialogServices& services_;
  std::unique_ptr<platform::DialogWindow> window_;
  std::string loadError_;
  int clientWidth_ = kDesignWidth;
  int clientHeight_ = kDesignHeight;
  bool balloon_ = false;
  platform::Picture balloonPicture_;
  bool borderless_ = false;
  bool alwaysOnTop_ = false;
  bool characterOnTop_ = false;
  bool placed_ = false;
  bool modal_ = false;
  bool closing_ = false;
  bool detached_ = false;
  bool dragging_ = false;
};

}  // namespace kpf::dialogs
