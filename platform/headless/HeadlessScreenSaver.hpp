#pragma once
// The screen-saver services of the headless desktop: input reported by the test, a pointer that
// can be made unreadable, counted desktop repaints, and foreign windows held in memory. A
// foreign window's record outlives the handle the program opened on it, so a test can read what
// was painted after the program let go.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/EventLoop.hpp"
#include "platform/ScreenSaverServices.hpp"

namespace kpf::platform::headless {

// The id ScreenWindowId gives; a test registers a foreign window under it for the whole screen.
inline constexpr uint64_t kHeadlessScreenWindowId = 1;

struct HeadlessForeignWindowRecord {
  int width = 0;
  int height = 0;
  platform::Point origin;
  int64_t shownAtMs = 0;            // virtual time from which the window counts as shown
  platform::Picture screenUnder;    // what CopyScreenUnder gives (empty: nothing can be read)
  std::vector<uint32_t> pixels;     // what was painted, width × height (0 where never painted)
  int paintCount = 0;
  bool gone = false;
  // Set while the program holds the window open.
  platform::ForeignWindow* handle = nullptr;
};

class HeadlessScreenSaver : public platform::ScreenSaverServices {
 public:
  HeadlessScreenSaver(platform::EventLoop& loop, std::function<platform::Point()> pointer);

  std::unique_ptr<platform::InputWatch> WatchScreenInput(std::function<void(platform::ScreenInput)> onInput) override;
  std::optional<platform::Point> ReadPointer() override;
  void RepaintDesktop() override { ++desktopRepaints_; }
  // Waits on the virtual clock until the window's shownAtMs, at most `waitMs`.
  std::unique_ptr<platform::ForeignWindow> OpenForeignWindow(uint64_t windowId, int waitMs) override;
  uint64_t ScreenWindowId() override { return kHeadlessScreenWindowId; }
  platform::Picture ApplicationIcon() override { return icon_; }

  // Test controls.
  void SetPointerReadable(bool readable) { pointerReadable_ = readable; }
  // Without it WatchScreenInput gives null (a display that cannot report input).
  void SetInputWatchAvailable(bool available) { watchAvailable_ = available; }
  // Hands `input` to every live watch.
  void Report(platform::ScreenInput input);
  size_t LiveWatches() const;
  int DesktopRepaints() const { return desktopRepaints_; }
  void SetApplicationIcon(platform::Picture icon) { icon_ = std::move(icon); }
  std::shared_ptr<HeadlessForeignWindowRecord> AddForeignWindow(uint64_t id, HeadlessForeignWindowRecord record);
  // Changes as another program would make them; the open handle hears of them.
  void ResizeForeignWindow(uint64_t id, int width, int height);
  void DestroyForeignWindow(uint64_t id);

 private:
  using Handler = std::function<void(platform::ScreenInput)>;

  platform::EventLoop& loop_;
  std::function<platform::Point()> pointer_;
  bool pointerReadable_ = true;
  bool watchAvailable_ = true;
  std::vector<std::weak_ptr<Handler>> watches_;
  int desktopRepaints_ = 0;
  platform::Picture icon_{2, 2, {0xFF102030u, 0xFF102030u, 0xFF102030u, 0xFF102030u}};
  std::map<uint64_t, std::shared_ptr<HeadlessForeignWindowRecord>> windows_;
};

}  // namespace kpf::platform::headless
