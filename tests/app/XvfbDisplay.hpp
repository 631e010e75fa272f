#pragma once
// A private X server for the tests that run the real kpfplayer: Xvfb chooses a free display
// number itself and reports it on a pipe once it accepts connections.
#include <sys/types.h>

#include <optional>
#include <string>

namespace kpf::app::testing {

class XvfbDisplay {
 public:
  XvfbDisplay() = default;
  ~XvfbDisplay() { Stop(); }
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // Starts Xvfb with one 640 × 480 screen and a white root window: its display name (":N"), or
  // nothing with the reason in `error`.
  std::optional<std::string> Start(std::string& error);
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace kpf::app::testing
