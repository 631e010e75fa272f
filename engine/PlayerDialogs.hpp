#pragma once
// The project dialogs of one player: one TTaviForm per stored dialog, their windows built hidden
// when the project loads, and the player's side of the dialog runtime (scripts fired with the
// dialog object as sender, the popup menu, the submit address through the web-address policy,
// file data through the file-access policy, memory-stream pictures, cursors, trace lines).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/DialogServices.hpp"
#include "dialogs/TTaviForm.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::engine {

class TCustomKPFPlayer;

class PlayerDialogs : public dialogs::DialogServices {
 public:
  explicit PlayerDialogs(TCustomKPFPlayer& player);
  ~PlayerDialogs() override;
  PlayerDialogs(const PlayerDialogs&) = delete;
  PlayerDialogs& operator=(const PlayerDialogs&) = delete;

  // The window the centre positions use and the registered number of project cursor n (0
  // for none); supplied by the player that has a window.
  void SetWindowQueries(std::function<std::optional<platform::Rect>()> ownerWindow,
                        std::function<int(int cursorIndex)> cursorNumber);

  // One dialog per stored dialog, each with its window built hidden.
  void Load(const std::vector<project::TTaviDialog>& stored);
  void Clear();
  const std::vector<std::unique_ptr<dialogs::TTaviForm>>& Forms() const { return forms_; }
  // The last dialog with that id / name (name compared without case); null for none.
  dialogs::TTaviForm* ById(int32_t id) const;
  dialogs::TTaviForm* ByName(std::string_view name) const;

  // The actions: false when no dialog has the id.
  bool Show(int32_t id, int mode);
  bool Hide(int32_t id);
  void HideAll();
  bool CloseDialog(int32_t id);
  // Shows the dialog with that name modally; false when there is none.
  bool ShowModalByName(std::string_view name);

  // Property interface over every dialog that has a window: the last one that has the object
  // wins. Unknown names read as an empty text and change nothing.
  dialogs::TMyObject* FindObject(std::string_view name) const;
  std::string GetProperty(std::string_view name, int code) const;
  bool SetProperty(std::string_view name, int code, const std::string& value) const;
  bool SetPicture(std::string_view name, int code, std::span<const uint8_t> bytes) const;

  int VisibleCount() const;
  // Whether a visible dialog fills the screen (its dialog object's FullScreen).
  bool FullScreenShown() const;
  // Moves every visible dialog to where `placed` sends it (none: it stays).
  void MoveWindows(const std::function<std::optional<platform::Point>(const platform::Rect&)>& placed);
  // The "Close" command: every visible dialog is asked to close from the loop; the count.
  int RequestCloseVisible();
  // Closing the player: every dialog closes (its own close rules apply).
  void CloseAll();
  void SetStayOnTop(bool stayOnTop);

  // DialogServices.
  platform::Platform& Desktop() override;
  void RunScript(int32_t scriptIndex, const std::shared_ptr<dialogs::TMyObject>& sender, const std::string& firstName,
                 const std::string& secondName) override;
  bool MustEnd() override;
  void ShowPopupMenu(platform::Point at) override;
  bool OpenAddress(const std::string& address) override;
  std::optional<std::vector<uint8_t>> ReadFile(const std::string& name) override;
  std::optional<std::vector<uint8_t>> StreamBytes(int64_t handle) override;
  platform::DialogCursor Cursor(int16_t cursor) override;
  std::optional<platform::Rect> OwnerWindow() override;
  void ControlEvent(const std::string& dialog, const std::string& object, std::string_view event,
                    const std::string& value) override;

 private:
  dialogs::TfmCustomForm* WindowWithObject(std::string_view name, dialogs::TMyObject** object) const;
  void WindowClosing(dialogs::TTaviForm& form);

  TCustomKPFPlayer& player_;
  std::vector<std::unique_ptr<dialogs::TTaviForm>> forms_;
  bool stayOnTop_ = false;
  std::function<std::optional<platform::Rect>()> ownerWindow_;
  std::function<int(int)> cursorNumber_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kpf::engine
