#pragma once
// The application's titles before a character names it: the viewer's, and the screen saver's in
// its settings mode (also the caption of the screen saver's own messages).

namespace kpf::app {

inline constexpr const char* kApplicationTitle = "Tavimo Viewer";
inline constexpr const char* kScreenSaverTitle = "Tavimo";

}  // namespace kpf::app
