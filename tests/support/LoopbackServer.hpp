#pragma once
// A small HTTP server on 127.0.0.1 for the transfer tests: each path answers with a fixed status
// and body, a redirect, or a response that never ends (until the server goes). One thread per
// connection; the server counts the requests it read.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kpf::test {

struct Route {
  int status = 200;
  std::string body = {};
  std::string location = {};  // a redirect's target
  bool endless = false;  // headers and a part of the body, then nothing until the server stops
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::map<std::string, Route> routes);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;
  int Requests() const { return requests_.load(); }
  // A port on which nothing listens (connections are refused).
  static int ClosedPort();

 private:
  void Accept();
  void Serve(int client);

  std::map<std::string, Route> routes_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> requests_{0};
  std::mutex mutex_;
  std::condition_variable stopped_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

}  // namespace kpf::test
