// The whole test program shares one Xvfb server and one GtkPlatform: GDK keeps its display
// connection for the life of the process, and losing the server would end the process. Built with
// KPF_TEST_WINDOW_MANAGER, the server also runs an EWMH window manager (openbox).
#include <gdk/gdk.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "GtkTestSupport.hpp"
#include "XvfbServer.hpp"
#ifdef KPF_TEST_WINDOW_MANAGER
#include "WindowManager.hpp"
#endif

namespace kpf::platform::gtk::testing {

namespace {

// The test program's screen; a program may ask for another size.
#ifndef KPF_TEST_SCREEN_GEOMETRY
#define KPF_TEST_SCREEN_GEOMETRY "800x600x24"
#endif

struct Shared {
  support::XvfbServer server;
#ifdef KPF_TEST_WINDOW_MANAGER
  support::WindowManager manager;
#endif
  std::string error;
  std::unique_ptr<GtkPlatform> platform;
  bool started = false;
};

Shared& State() {
  static Shared shared;
  return shared;
}

void StartShared() {
  Shared& shared = State();
  if (shared.started) return;
  shared.started = true;
  const auto display = shared.server.Start(KPF_TEST_SCREEN_GEOMETRY, support::XvfbServer::Root::Black, shared.error);
  if (!display) return;
#ifdef KPF_TEST_WINDOW_MANAGER
  if (!shared.manager.Start(*display, shared.error)) return;
#endif
  setenv("DISPLAY", display->c_str(), 1);
  try {
    shared.platform = std::make_unique<GtkPlatform>();
  } catch (const std::exception& failure) {
    shared.error = failure.what();
  }
}

// Ends the windows before the server goes; GDK then makes no further X calls in this process.
class SharedTeardown : public ::testing::Environment {
 public:
  void TearDown() override {
    Shared& shared = State();
    if (shared.platform) {
      shared.platform.reset();
      // Events still queued are handled now; nothing reads from the server after this.
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
    }
#ifdef KPF_TEST_WINDOW_MANAGER
    shared.manager.Stop();
#endif
    shared.server.Stop();
  }
};

[[maybe_unused]] ::testing::Environment* const teardown = ::testing::AddGlobalTestEnvironment(new SharedTeardown);

}  // namespace

GtkPlatform* SharedPlatform() {
  StartShared();
  return State().platform.get();
}

const std::string& SharedPlatformError() { return State().error; }

}  // namespace kpf::platform::gtk::testing
