#pragma once
// Services of the application's main form that a player's scripts reach: further characters in
// this process, variables sent between characters, and close requests to other characters. A
// player without them (kpftool, tests) does nothing for these actions.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/PopupMenu.hpp"
#include "platform/TrayIcon.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::engine {

struct MainFormHandlers {
  // Loads the project file as a further character whose parent is `parentHandle`; returns the
  // new character's handle, 0 when the main form refused to make one.
  std::function<int32_t(int32_t parentHandle, const std::string& fileName)> createPlayer;
  // The same for a package (trailer at its end) or a compressed project held in memory; the new
  // character gets a private temporary folder of its own for the package's resources.
  std::function<int32_t(int32_t parentHandle, std::span<const uint8_t> bytes)> createPlayerFromBytes;
  // Gives `variable` to the character with handle `target`, or to every other one for -1.
  std::function<void(int32_t target, const project::TTaviVariable& variable)> sendToPlayers;
  // With a parent handle: close requests to its children; else to the character with `handle`.
  std::function<void(int32_t parentHandle, int32_t handle)> closeChildren;
  // The application's title (player 0's), which a child process is told as its parent's.
  std::function<std::string()> applicationTitle;
  // The notification-area icon shows `picture` (the main form keeps a reduced copy of its own, so
  // the caller may free it at once); an empty picture gives back the default icon.
  std::function<void(const platform::Picture& picture)> setTrayIcon;
  // A balloon message at the notification-area icon.
  std::function<void(const platform::Balloon& balloon)> showTrayBalloon;
};

}  // namespace kpf::engine
