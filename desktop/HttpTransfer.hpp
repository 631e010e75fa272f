#pragma once
// One internet transfer of a character: an http or https GET on a worker thread of its own,
// through libcurl. The rules for untrusted characters hold for every hop: http and https only, at
// most 5 redirects (each checked again), certificates verified, no cookies or stored credentials,
// only public addresses after name resolution (loopback only when a test asks for it), 15 s to
// connect and 60 s in all, a capped body, and at most 4 transfers of the process at once. The
// caller polls Done() from its own thread and takes the result once.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kpf::desktop {

constexpr size_t kMaxConcurrentTransfers = 4;
constexpr int kMaxTransferRedirects = 5;
constexpr int64_t kTransferConnectTimeoutMs = 15'000;
constexpr int64_t kTransferTotalTimeoutMs = 60'000;

struct TransferRequest {
  std::string url;
  size_t maxBodyBytes = size_t{16} << 20;
  bool allowLoopback = false;  // tests only
  int64_t connectTimeoutMs = kTransferConnectTimeoutMs;
  int64_t totalTimeoutMs = kTransferTotalTimeoutMs;
};

struct TransferResult {
  bool ok = false;
  std::vector<uint8_t> body;
  std::string failure;  // why it failed ("" on success)
};

class HttpTransfer {
 public:
  // Starts the transfer; null when kMaxConcurrentTransfers already run or no worker thread could
  // be made.
  static std::shared_ptr<HttpTransfer> Start(TransferRequest request);
  // Cancels a transfer still running (its worker ends on its own soon after).
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  bool Done() const;
  // Waits at most `timeout` for the end; true when done.
  bool WaitFor(std::chrono::milliseconds timeout);
  // Asks the worker to give up; the transfer then ends soon as a failure.
  void Cancel();
  // The result, once done (moved out: call once).
  TransferResult TakeResult();

  // What the caller and the worker share.
  struct State;

 private:
  explicit HttpTransfer(std::shared_ptr<State> state) : state_(std::move(state)) {}
  std::shared_ptr<State> state_;
};

// Transfers running in the process right now.
size_t RunningTransfers();

}  // namespace kpf::desktop
