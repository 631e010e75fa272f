#pragma once
// Tests of the real kpfplayer on a private X server: pixels read back from the screen or from a
// window, the pointer and keys through XTest, the top-level windows by what they are, and the
// environment that keeps a player's temporary folder, settings, home and message folder in the
// test's scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AppTestProjects.hpp"
#include "XvfbServer.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace kpf::app::testing {

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    display_ = xvfb_.Start("640x480x24", support::XvfbServer::Root::White, error);
    if (!display_) GTEST_SKIP() << "No X server for the screen tests: " << error;
    x_ = XOpenDisplay(display_->c_str());
    if (x_ == nullptr) GTEST_SKIP() << "Cannot connect to " << *display_;
    // A window listed by XQueryTree may be gone when it is inspected (menus, bubbles): the
    // default handler would end the test process for that.
    previousHandler_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  void TearDown() override {
    if (x_ != nullptr) {
      XCloseDisplay(x_);
      XSetErrorHandler(previousHandler_);
    }
  }

  // The player's temporary folder, settings, home and message folder lie in the scratch folder.
  std::vector<std::string> Environment(const std::string& path = "/usr/bin:/bin") {
    for (const char* folder : {"tmp", "bin", "run"}) std::filesystem::create_directories(scratch_ / folder);
    const std::string at = scratch_.Path().string();
    return {"DISPLAY=" + *display_,         "TMPDIR=" + at + "/tmp",          "KPF_SETTINGS_DIR=" + at + "/settings",
            "HOME=" + at,                   "XDG_CONFIG_HOME=" + at + "/config", "XDG_RUNTIME_DIR=" + at + "/run",
            "SDL_AUDIODRIVER=dummy",        "ASAN_OPTIONS=detect_leaks=0",    "PATH=" + path};
  }

  // 0xRRGGBB on the screen, or in `window`.
  uint32_t Pixel(int x, int y, Window window = 0) {
    XImage* image = XGetImage(x_, window != 0 ? window : DefaultRootWindow(x_), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFF;
    const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }

  void MovePointer(int x, int y) {
    XTestFakeMotionEvent(x_, -1, x, y, CurrentTime);
    XSync(x_, False);
  }
  void Click(int x, int y, unsigned button = 1) {
    XTestFakeMotionEvent(x_, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(x_, button, True, CurrentTime);
    XTestFakeButtonEvent(x_, button, False, CurrentTime);
    XSync(x_, False);
  }
  void PressKey(KeySym key) {
    const KeyCode code = XKeysymToKeycode(x_, key);
    XTestFakeKeyEvent(x_, code, True, CurrentTime);
    XTestFakeKeyEvent(x_, code, False, CurrentTime);
    XSync(x_, False);
  }

  // The first viewable top-level window that `wanted` accepts by its name and attributes; 0 for none.
  Window FindTopLevel(const std::function<bool(const std::string& name, const XWindowAttributes&)>& wanted) {
    Window root = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(x_, DefaultRootWindow(x_), &root, &parent, &children, &count) == 0) return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(x_, children[i], &attributes) == 0 || attributes.map_state != IsViewable) continue;
      char* name = nullptr;
      std::string caption;
      if (XFetchName(x_, children[i], &name) != 0 && name != nullptr) {
        caption = name;
        XFree(name);
      }
      if (wanted(caption, attributes)) found = children[i];
    }
    if (children != nullptr) XFree(children);
    return found;
  }
  Window FindNamed(const std::string& name) {
    return FindTopLevel([&](const std::string& caption, const XWindowAttributes&) { return caption == name; });
  }

  ScratchFolder scratch_;
  support::XvfbServer xvfb_;
  std::optional<std::string> display_;
  Display* x_ = nullptr;
  XErrorHandler previousHandler_ = nullptr;
};

}  // namespace kpf::app::testing
