#include "desktop/TrayPictureFeed.hpp"

#include <algorithm>
#include <utility>

namespace kpf::desktop {

namespace {

// Sums of one destination pixel's source area, colour weighted by alpha.
struct Accumulator {
  uint64_t alpha = 0, red = 0, green = 0, blue = 0, count = 0;

  void Add(uint32_t pixel) {
    const uint64_t a = pixel >> 24;
    alpha += a;
    red += a * ((pixel >> 16) & 0xFF);
    green += a * ((pixel >> 8) & 0xFF);
    blue += a * (pixel & 0xFF);
    ++count;
  }
  uint32_t Average() const {
    if (count == 0 || alpha == 0) return 0;
    const auto channel = [&](uint64_t sum) { return static_cast<uint32_t>((sum + alpha / 2) / alpha); };
    const auto a = static_cast<uint32_t>((alpha + count / 2) / count);
    return (a << 24) | (channel(red) << 16) | (channel(green) << 8) | channel(blue);
  }
};

}  // namespace

platform::Picture ReducedPicture(const platform::Picture& picture, int maxSide) {
  if (picture.empty() || maxSide <= 0) return {};
  if (picture.width <= maxSide && picture.height <= maxSide) return picture;
  const int64_t sourceW = picture.width;
  const int64_t sourceH = picture.height;
  const int64_t larger = std::max(sourceW, sourceH);
  platform::Picture reduced;
  reduced.width = static_cast<int>(std::max<int64_t>(1, sourceW * maxSide / larger));
  reduced.height = static_cast<int>(std::max<int64_t>(1, sourceH * maxSide / larger));
  reduced.pixels.resize(static_cast<size_t>(reduced.width) * static_cast<size_t>(reduced.height));
  for (int64_t y = 0; y < reduced.height; ++y) {
    const int64_t top = y * sourceH / reduced.height;
    const int64_t bottom = std::max(top + 1, (y + 1) * sourceH / reduced.height);
    for (int64_t x = 0; x < reduced.width; ++x) {
      const int64_t left = x * sourceW / reduced.width;
      const int64_t right = std::max(left + 1, (x + 1) * sourceW / reduced.width);
      Accumulator sum;
      for (int64_t sy = top; sy < bottom; ++sy) {
        for (int64_t sx = left; sx < right; ++sx) sum.Add(picture.pixels[static_cast<size_t>(sy * sourceW + sx)]);
      }
      reduced.pixels[static_cast<size_t>(y * reduced.width + x)] = sum.Average();
    }
  }
  return reduced;
}

TrayPictureFeed::TrayPictureFeed(platform::Platform& platform, Apply apply)
    : platform_(platform), apply_(std::move(apply)), timer_(platform.CreateTimer()) {
  timer_->SetOnTimer([this] { DeliverPending(); });
}

TrayPictureFeed::~TrayPictureFeed() { timer_->SetEnabled(false); }

void TrayPictureFeed::Submit(const platform::Picture& picture) {
  platform::Picture copy = ReducedPicture(picture, kMaxTrayPictureSide);
  const int64_t now = platform_.Loop().NowMs();
  const int64_t since = lastDelivery_ ? now - *lastDelivery_ : kMinTrayPictureIntervalMs;
  if (since >= kMinTrayPictureIntervalMs && !pending_) {
    Deliver(copy);
    return;
  }
  const bool timerRunning = pending_.has_value();
  pending_ = std::move(copy);
  if (timerRunning) return;
  timer_->SetInterval(static_cast<uint32_t>(std::max<int64_t>(1, kMinTrayPictureIntervalMs - since)));
  timer_->SetEnabled(true);
}

void TrayPictureFeed::DeliverPending() {
  timer_->SetEnabled(false);
  if (!pending_) return;
  const platform::Picture picture = std::move(*pending_);
  pending_.reset();
  Deliver(picture);
}

void TrayPictureFeed::Deliver(const platform::Picture& picture) {
  lastDelivery_ = platform_.Loop().NowMs();
  ++applied_;
  apply_(picture.empty() ? nullptr : &picture);
}

}  // namespace kpf::desktop
