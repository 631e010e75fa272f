#include "LoopbackServer.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace kpf::test {

namespace {

void SendAll(int socket, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t sent = ::send(socket, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return;
    done += static_cast<size_t>(sent);
  }
}

int BoundSocket(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot bind a loopback socket");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(std::map<std::string, Route> routes) : routes_(std::move(routes)) {
  listener_ = BoundSocket(port_);
  ::listen(listener_, 16);
  acceptor_ = std::thread([this] { Accept(); });
}

LoopbackServer::~LoopbackServer() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
  acceptor_.join();
  ::close(listener_);
  for (std::thread& connection : connections_) connection.join();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int LoopbackServer::ClosedPort() {
  int port = 0;
  ::close(BoundSocket(port));
  return port;
}

void LoopbackServer::Accept() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 20) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const std::lock_guard lock(mutex_);
    connections_.emplace_back([this, client] { Serve(client); });
  }
}

void LoopbackServer::Serve(int client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  ++requests_;
  const size_t start = request.find(' ') + 1;
  const std::string path = request.substr(start, request.find(' ', start) - start);
  const auto found = routes_.find(path);
  const Route route = found != routes_.end() ? found->second : Route{404, "missing", {}, false};
  std::string head = "HTTP/1.1 " + std::to_string(route.status) + " X\r\nConnection: close\r\n";
  if (!route.location.empty()) head += "Location: " + route.location + "\r\n";
  if (route.endless) {
    SendAll(client, head + "Content-Length: 1000000\r\n\r\n" + route.body);
    std::unique_lock lock(mutex_);
    stopped_.wait(lock, [this] { return stopping_.load(); });
  } else {
    SendAll(client, head + "Content-Length: " + std::to_string(route.body.size()) + "\r\n\r\n" + route.body);
  }
  ::shutdown(client, SHUT_RDWR);
  ::close(client);
}

}  // namespace kpf::test
