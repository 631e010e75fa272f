#include "platform/headless/HeadlessScreenSaver.hpp"

#include <algorithm>

namespace kpf::platform::headless {

namespace {

constexpr uint32_t kWaitSliceMs = 50;

class HeadlessInputWatch : public platform::InputWatch {
 public:
  explicit HeadlessInputWatch(std::shared_ptr<std::function<void(platform::ScreenInput)>> handler)
      : handler_(std::move(handler)) {}

 private:
  std::shared_ptr<std::function<void(platform::ScreenInput)>> handler_;
};

class HeadlessForeignWindow : public platform::ForeignWindow {
 public:
  explicit HeadlessForeignWindow(std::shared_ptr<HeadlessForeignWindowRecord> record) : record_(std::move(record)) {
    record_->handle = this;
  }
  ~HeadlessForeignWindow() override { record_->handle = nullptr; }

  int Width() const override { return record_->gone ? 0 : record_->width; }
  int Height() const override { return record_->gone ? 0 : record_->height; }
  platform::Point ScreenOrigin() const override { return record_->origin; }
  bool Gone() const override { return record_->gone; }
  platform::Picture CopyScreenUnder() override { return record_->gone ? platform::Picture{} : record_->screenUnder; }

  bool Paint(int x, int y, const platform::ImageView& image) override {
    if (record_->gone) return false;
    ++record_->paintCount;
    for (int row = 0; row < image.height; ++row) {
      for (int column = 0; column < image.width; ++column) {
        const int tx = x + column, ty = y + row;
        if (tx < 0 || ty < 0 || tx >= record_->width || ty >= record_->height) continue;
        const size_t from = static_cast<size_t>(row) * static_cast<size_t>(image.width) + static_cast<size_t>(column);
        if (from >= image.pixels.size()) return true;
        record_->pixels[static_cast<size_t>(ty) * static_cast<size_t>(record_->width) + static_cast<size_t>(tx)] =
            image.pixels[from] | 0xFF000000u;
      }
    }
    return true;
  }

 private:
  std::shared_ptr<HeadlessForeignWindowRecord> record_;
};

}  // namespace

HeadlessScreenSaver::HeadlessScreenSaver(platform::EventLoop& loop, std::function<platform::Point()> pointer)
    : loop_(loop), pointer_(std::move(pointer)) {}

std::unique_ptr<platform::InputWatch> HeadlessScreenSaver::WatchScreenInput(Handler onInput) {
  if (!watchAvailable_) return nullptr;
  auto handler = std::make_shared<Handler>(std::move(onInput));
  watches_.push_back(handler);
  return std::make_unique<HeadlessInputWatch>(std::move(handler));
}

std::optional<platform::Point> HeadlessScreenSaver::ReadPointer() {
  if (!pointerReadable_) return std::nullopt;
  return pointer_();
}

void HeadlessScreenSaver::Report(platform::ScreenInput input) {
  // A snapshot: a handler may end its own watch, or another one.
  const std::vector<std::weak_ptr<Handler>> snapshot = watches_;
  for (const std::weak_ptr<Handler>& watch : snapshot) {
    if (const std::shared_ptr<Handler> handler = watch.lock()) (*handler)(input);
  }
  std::erase_if(watches_, [](const std::weak_ptr<Handler>& watch) { return watch.expired(); });
}

size_t HeadlessScreenSaver::LiveWatches() const {
  return static_cast<size_t>(
      std::count_if(watches_.begin(), watches_.end(), [](const std::weak_ptr<Handler>& watch) { return !watch.expired(); }));
}

std::shared_ptr<HeadlessForeignWindowRecord> HeadlessScreenSaver::AddForeignWindow(uint64_t id,
                                                                                   HeadlessForeignWindowRecord record) {
  record.pixels.assign(static_cast<size_t>(std::max(record.width, 0)) * static_cast<size_t>(std::max(record.height, 0)), 0);
  auto shared = std::make_shared<HeadlessForeignWindowRecord>(std::move(record));
  windows_[id] = shared;
  return shared;
}

std::unique_ptr<platform::ForeignWindow> HeadlessScreenSaver::OpenForeignWindow(uint64_t windowId, int waitMs) {
  const auto found = windows_.find(windowId);
  if (found == windows_.end() || found->second->gone) return nullptr;
  const int64_t deadline = loop_.NowMs() + waitMs;
  while (loop_.NowMs() < found->second->shownAtMs) {
    if (loop_.NowMs() >= deadline || loop_.Terminating()) return nullptr;
    loop_.ProcessEventsFor(kWaitSliceMs);
  }
  return std::make_unique<HeadlessForeignWindow>(found->second);
}

void HeadlessScreenSaver::ResizeForeignWindow(uint64_t id, int width, int height) {
  const auto found = windows_.find(id);
  if (found == windows_.end()) return;
  HeadlessForeignWindowRecord& record = *found->second;
  record.width = width;
  record.height = height;
  record.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  if (record.handle != nullptr && record.handle->OnResized) record.handle->OnResized();
}

void HeadlessScreenSaver::DestroyForeignWindow(uint64_t id) {
  const auto found = windows_.find(id);
  if (found == windows_.end()) return;
  found->second->gone = true;
  if (found->second->handle != nullptr && found->second->handle->OnGone) found->second->handle->OnGone();
}

}  // namespace kpf::platform::headless
