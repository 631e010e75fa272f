#include "desktop/HttpTransfer.hpp"

#include <curl/curl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "sandbox/NetworkAddress.hpp"
#include "sandbox/WebAddress.hpp"

namespace kpf::desktop {

struct HttpTransfer::State {
  TransferRequest request;
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::atomic<bool> cancelled{false};
  TransferResult result;
};

namespace {

using Clock = std::chrono::steady_clock;
std::atomic<size_t> running{0};

// How long the process's exit waits for transfers still running. A worker may be stuck in a
// name lookup, which nothing can interrupt; the exit does not wait for it longer than this, and a
// worker still running then is left to end on its own (it touches no static the exit destroys).
constexpr std::chrono::milliseconds kExitWait{2000};

// Worker threads are joined once they have ended (at the next start) and at process exit, so
// none outlives the program's statics unless it is stuck beyond the exit's wait.
class Workers {
 public:
  ~Workers() {
    const std::lock_guard lock(mutex_);
    for (auto& entry : threads_) entry.second->cancelled.store(true);
    const Clock::time_point deadline = Clock::now() + kExitWait;
    for (auto& [thread, state] : threads_) {
      std::unique_lock ended(state->mutex);
      const bool done = state->ended.wait_until(ended, deadline, [&] { return state->done; });
      ended.unlock();
      if (!thread.joinable()) continue;
      if (done) {
        thread.join();
      } else {
        thread.detach();
      }
    }
  }
  void Add(std::thread thread, std::shared_ptr<HttpTransfer::State> state) {
    const std::lock_guard lock(mutex_);
    std::erase_if(threads_, [](auto& entry) {
      const std::lock_guard ended(entry.second->mutex);
      if (!entry.second->done) return false;
      entry.first.join();
      return true;
    });
    try {
      threads_.emplace_back(std::move(thread), std::move(state));
    } catch (...) {
      // Not kept: the worker ends on its own (a joinable thread must not be destroyed).
      if (thread.joinable()) thread.detach();
    }
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::thread, std::shared_ptr<HttpTransfer::State>>> threads_;
};

Workers& AllWorkers() {
  static Workers workers;
  return workers;
}

void InitialiseCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Environment(const char* lower, const char* upper) {
  for (const char* name : {lower, upper}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

// The user's proxy for the address's scheme ("" = none); its credentials go only to the proxy.
std::string ProxyFor(const std::string& url) {
  const bool secure = url.size() >= 6 && (url.compare(0, 6, "https:") == 0 || url.compare(0, 6, "HTTPS:") == 0);
  return secure ? Environment("https_proxy", "HTTPS_PROXY") : Environment("http_proxy", "HTTP_PROXY");
}

std::string HostOf(const std::string& url) {
  CURLU* parsed = curl_url();
  std::string host;
  char* part = nullptr;
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
    host = part;
    curl_free(part);
  }
  curl_url_cleanup(parsed);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  return host;
}

// Through a proxy the proxy resolves the host: it is checked here first (every address it has).
bool HostIsAllowed(const std::string& host, bool allowLoopback) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return false;
  bool allowed = found != nullptr;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    allowed = allowed && sandbox::MayConnectTo(entry->ai_addr, allowLoopback);
  }
  ::freeaddrinfo(found);
  return allowed;
}

struct Hop {
  HttpTransfer::State* state = nullptr;
  bool viaProxy = false;
  bool refusedAddress = false;
  bool oversize = false;
  std::vector<uint8_t> body;
};

curl_socket_t OpenSocket(void* context, curlsocktype, curl_sockaddr* address) {
  auto* hop = static_cast<Hop*>(context);
  if (!hop->viaProxy && !sandbox::MayConnectTo(&address->addr, hop->state->request.allowLoopback)) {
    hop->refusedAddress = true;
    return CURL_SOCKET_BAD;
  }
  return ::socket(address->family, address->socktype, address->protocol);
}

size_t Receive(char* data, size_t size, size_t count, void* context) {
  auto* hop = static_cast<Hop*>(context);
  const size_t bytes = size * count;
  if (hop->body.size() + bytes > hop->state->request.maxBodyBytes) {
    hop->oversize = true;
    return 0;
  }
  hop->body.insert(hop->body.end(), data, data + bytes);
  return bytes;
}

int Progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Hop*>(context)->state->cancelled.load() ? 1 : 0;
}

// One request without following redirects; the response code, or a failure text.
struct HopResult {
  long status = 0;
  std::string redirect;
  std::string failure;
};

HopResult PerformHop(CURL* curl, Hop& hop, const std::string& url, int64_t remainingMs) {
  const TransferRequest& request = hop.state->request;
  const std::string proxy = ProxyFor(url);
  hop.viaProxy = !proxy.empty();
  if (hop.viaProxy && !HostIsAllowed(HostOf(url), request.allowLoopback)) return {0, {}, "refused address"};
  std::string noProxy = Environment("no_proxy", "NO_PROXY");
  noProxy += noProxy.empty() ? "localhost,127.0.0.1,::1" : ",localhost,127.0.0.1,::1";

  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED));
  curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(curl, CURLOPT_NOPROXY, noProxy.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "kpfplayer");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(request.connectTimeoutMs, remainingMs)));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(remainingMs));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBodyBytes));
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, OpenSocket);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, &hop);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Receive);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &hop);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &hop);

  hop.body.clear();
  const CURLcode code = curl_easy_perform(curl);
  HopResult result;
  if (hop.state->cancelled.load()) return {0, {}, "cancelled"};
  if (hop.oversize || code == CURLE_FILESIZE_EXCEEDED) return {0, {}, "body too large"};
  if (hop.refusedAddress && code != CURLE_OK) return {0, {}, "refused address"};
  if (code != CURLE_OK) return {0, {}, curl_easy_strerror(code)};
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  char* location = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location != nullptr) {
    result.redirect = location;
  }
  return result;
}

TransferResult Perform(HttpTransfer::State& state) {
  InitialiseCurl();
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return {false, {}, "no transfer handle"};
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(state.request.totalTimeoutMs);
  std::string url = state.request.url;
  TransferResult result{false, {}, "too many redirects"};
  Hop hop;
  hop.state = &state;
  for (int hops = 0; hops <= kMaxTransferRedirects; ++hops) {
    if (state.cancelled.load()) {
      result.failure = "cancelled";
      break;
    }
    if (!sandbox::IsAllowedTransferAddress(url)) {
      result.failure = "refused address";
      break;
    }
    const int64_t remaining =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (remaining <= 0) {
      result.failure = "timed out";
      break;
    }
    const HopResult answer = PerformHop(curl, hop, url, remaining);
    if (!answer.failure.empty()) {
      result.failure = answer.failure;
      break;
    }
    if (answer.status >= 300 && answer.status < 400 && !answer.redirect.empty()) {
      url = answer.redirect;
      continue;
    }
    if (answer.status >= 200 && answer.status < 300) {
      result = {true, std::move(hop.body), {}};
    } else {
      result.failure = "status " + std::to_string(answer.status);
    }
    break;
  }
  curl_easy_cleanup(curl);
  return result;
}

}  // namespace

size_t RunningTransfers() { return running.load(); }

std::shared_ptr<HttpTransfer> HttpTransfer::Start(TransferRequest request) {
  size_t now = running.load();
  do {
    if (now >= kMaxConcurrentTransfers) return nullptr;
  } while (!running.compare_exchange_weak(now, now + 1));
  std::shared_ptr<State> state;
  std::thread worker;
  try {
    state = std::make_shared<State>();
    state->request = std::move(request);
    worker = std::thread([state] {
      TransferResult result = Perform(*state);
      running.fetch_sub(1);
      const std::lock_guard lock(state->mutex);
      state->result = std::move(result);
      state->done = true;
      state->ended.notify_all();
    });
  } catch (...) {
    // No thread (the system's limit on threads) or no memory: no transfer, and the place taken
    // is given back (a started worker gives it back itself when it ends).
    running.fetch_sub(1);
    return nullptr;
  }
  AllWorkers().Add(std::move(worker), state);
  return std::shared_ptr<HttpTransfer>(new HttpTransfer(std::move(state)));
}

HttpTransfer::~HttpTransfer() { Cancel(); }

bool HttpTransfer::Done() const {
  const std::lock_guard lock(state_->mutex);
  return state_->done;
}

bool HttpTransfer::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  return state_->ended.wait_for(lock, timeout, [this] { return state_->done; });
}

void HttpTransfer::Cancel() { state_->cancelled.store(true); }

TransferResult HttpTransfer::TakeResult() {
  const std::lock_guard lock(state_->mutex);
  return std::move(state_->result);
}

}  // namespace kpf::desktop
