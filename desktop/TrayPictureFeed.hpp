#pragma once
// Pictures on their way to the notification-area icon. Each one is copied (the frame or surface
// it came from may be freed at once) and reduced to at most 64 × 64 pixels (tray hosts take small
// icons, some over D-Bus), and at most 20 reach the icon in a second: a picture that comes sooner
// waits for its turn, and a later one takes its place, so an animated icon never floods the host.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Platform.hpp"

namespace kpf::desktop {

inline constexpr int kMaxTrayPictureSide = 64;
inline constexpr int64_t kMinTrayPictureIntervalMs = 50;

// The picture scaled down (keeping its proportions, averaging each pixel's area with its alpha)
// so that neither side exceeds `maxSide`; a picture that fits is returned as it is.
platform::Picture ReducedPicture(const platform::Picture& picture, int maxSide);

class TrayPictureFeed {
 public:
  // `apply` shows a picture on the icon; null: the application's own icon.
  using Apply = std::function<void(const platform::Picture* picture)>;
  TrayPictureFeed(platform::Platform& platform, Apply apply);
  ~TrayPictureFeed();
  TrayPictureFeed(const TrayPictureFeed&) = delete;
  TrayPictureFeed& operator=(const TrayPictureFeed&) = delete;

  // An empty picture asks for the application's icon.
  void Submit(const platform::Picture& picture);
  // Pictures handed on so far, and whether one still waits for its turn.
  int Applied() const { return applied_; }
  bool Waiting() const { return pending_.has_value(); }

 private:
  void Deliver(const platform::Picture& picture);
  void DeliverPending();

  platform::Platform& platform_;
  Apply apply_;
  std::unique_ptr<platform::Timer> timer_;
  std::optional<platform::Picture> pending_;
  std::optional<int64_t> lastDelivery_;
  int applied_ = 0;
};

}  // namespace kpf::desktop
