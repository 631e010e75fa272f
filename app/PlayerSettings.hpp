#pragma once
// The player's own per-user settings, kept in the per-user settings store under the key
// "kpfplayer" (apart from what characters store).
#include "package/SettingsKey.hpp"

namespace kpf::app {

// "kpfplayer\HideOverFullScreen": 0 keeps characters on screen over full-screen programs;
// missing or any other number lets them step aside.
inline constexpr const char* kFullScreenHideSetting = "kpfplayer\\HideOverFullScreen";

bool ReadFullScreenHide(const package::SettingsKey& settings);

}  // namespace kpf::app
