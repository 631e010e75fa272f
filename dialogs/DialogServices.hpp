#pragma once
// What the dialog windows of a player need from the player: the platform (windows, loop,
// desktop), script runs with the dialog object as sender, the popup menu, the submit address,
// file data for the content-file property, memory-stream pictures, cursors, and notes for the
// trace. The player implements it; the dialog runtime never reaches into the player otherwise.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.hpp"

namespace kpf::dialogs {

class TMyObject;

class DialogServices {
 public:
  virtual ~DialogServices() = default;
  virtual platform::Platform& Desktop() = 0;
  // Runs the script with that index (-1 and unknown indices run nothing). `sender` is the object
  // that fired (the dialog object for window events), `firstName` the object's name and
  // `secondName` the dialog's.
  virtual void RunScript(int32_t scriptIndex, const std::shared_ptr<TMyObject>& sender, const std::string& firstName,
                         const std::string& secondName) = 0;
  // Modal runs end when this turns true (the player stops or the program ends).
  virtual bool MustEnd() = 0;
  virtual void ShowPopupMenu(platform::Point at) = 0;
  // Opens the address a submit button built; false when it was refused.
  virtual bool OpenAddress(const std::string& address) = 0;
  // The bytes of a file a script names (content-file property); nullopt when it may not be read.
  virtual std::optional<std::vector<uint8_t>> ReadFile(const std::string& name) = 0;
  // The bytes of the memory stream a handle names; nullopt for a handle that names none.
  virtual std::optional<std::vector<uint8_t>> StreamBytes(int64_t handle) = 0;
  virtual platform::DialogCursor Cursor(int16_t cursor) = 0;
  // The window the centre-on-owner positions centre on, if any.
  virtual std::optional<platform::Rect> OwnerWindow() = 0;
  // A control event the user caused: `event` is "click", "change", "enter", "leave", "down" or
  // "up", `value` the object's value afterwards.
  virtual void ControlEvent(const std::string& dialog, const std::string& object, std::string_view event,
                            const std::string& value) = 0;
};

}  // namespace kpf::dialogs
