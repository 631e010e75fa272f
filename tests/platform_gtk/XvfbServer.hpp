#pragma once
// A private X server for the GTK tests. Xvfb picks a free display number itself (-displayfd) and
// writes it once it accepts connections, so no number is guessed and no wait is timed. The whole
// test program shares one server and one GtkPlatform: GDK keeps its display connection for the
// life of the process, and losing the server would end the process.
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/gtk/GtkPlatform.hpp"

namespace kpf::platform::gtk::testing {

class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { Stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts `Xvfb -screen 0 800x600x24` with a black root; the display name (":N") on success,
  // otherwise nothing and `error` says why.
  std::optional<std::string> Start(std::string& error);
  void Stop();

 private:
  pid_t pid_ = -1;
};

// The shared server and platform, made on first use. Null (with the reason) when no X server
// could be started; the tests then skip.
GtkPlatform* SharedPlatform();
const std::string& SharedPlatformError();
// The display name the shared server runs on.
const std::string& SharedDisplayName();

}  // namespace kpf::platform::gtk::testing
