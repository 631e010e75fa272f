#pragma once
// A private X server for the tests. Xvfb picks a free display number itself (-displayfd) and
// writes it once it accepts connections, so no number is guessed and no wait is timed.
#include <sys/types.h>

#include <optional>
#include <string>

namespace kpf::support {

class XvfbServer {
 public:
  enum class Root { Black, White };

  XvfbServer() = default;
  ~XvfbServer() { Stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts Xvfb with one screen of `geometry` ("WxHxDepth") and the given root colour: its
  // display name (":N"), or nothing with the reason in `error`.
  std::optional<std::string> Start(const std::string& geometry, Root root, std::string& error);
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace kpf::support
