#include "app/MessageChannel.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <dirent.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "project/ByteReader.hpp"

namespace kpf::app {

namespace {

constexpr size_t kMessageSize = 8;
constexpr size_t kMaxNameLength = 64;
// A peer that connects and never sends must not make the server keep unbounded descriptors.
constexpr size_t kMaxConnections = 32;

std::optional<sockaddr_un> AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return std::nullopt;
  std::memcpy(address.sun_path, path.data(), path.size());
  return address;
}

std::string PathOf(const std::string& folder, std::string_view title) {
  return folder + "/" + MessageChannel::SocketName(title);
}

void PutLittleEndian(uint8_t* out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

// A connected socket to `path`, or an invalid one (errno tells why).
package::UniqueFd ConnectTo(const std::string& path) {
  const std::optional<sockaddr_un> address = AddressOf(path);
  if (!address) {
    errno = ENAMETOOLONG;
    return {};
  }
  package::UniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return {};
  if (connect(fd.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    const int error = errno;
    fd.Reset();
    errno = error;
    return {};
  }
  return fd;
}

bool PeerIsOwnUser(int fd) {
  ucred peer{};
  socklen_t length = sizeof(peer);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof(peer)) return false;
  return MessageChannel::PeerAllowed(peer, geteuid());
}

}  // namespace

std::string MessageChannel::DefaultFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/kpfplayer";
  return "/tmp/kpfplayer-" + std::to_string(geteuid());
}

bool MessageChannel::EnsurePrivateFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  // lstat: a symbolic link planted in place of the folder is refused, not followed.
  if (lstat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 07777) == 0700;
}

std::string MessageChannel::SocketName(std::string_view title) {
  std::string name;
  for (const char c : title.substr(0, kMaxNameLength)) {
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                      c == '_' || c == '-';
    name += safe ? c : '_';
  }
  if (name.empty() || name == "." || name == "..") return "Tavimo";
  return name;
}

bool MessageChannel::PeerAllowed(const ucred& peer, uid_t ownUid) { return peer.uid == ownUid; }

bool MessageChannel::PostToTitle(const std::string& folder, std::string_view title, int32_t code, int32_t param) {
  const package::UniqueFd fd = ConnectTo(PathOf(folder, title));
  if (!fd.Valid()) return false;
  std::array<uint8_t, kMessageSize> message{};
  PutLittleEndian(message.data(), code);
  PutLittleEndian(message.data() + 4, param);
  // The listener must be ours too: a socket of another user is never sent anything.
  return PeerIsOwnUser(fd.Get()) &&
         send(fd.Get(), message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
}

int MessageChannel::PostToTitlesStartingWith(const std::string& folder, std::string_view prefix, int32_t code,
                                             int32_t param) {
  const std::string namePrefix = SocketName(prefix);
  std::vector<std::string> names;
  if (DIR* directory = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(directory)) {
      const std::string_view name(entry->d_name);
      if (name.starts_with(namePrefix) && SocketName(name) == name) names.emplace_back(name);
    }
    closedir(directory);
  }
  int reached = 0;
  for (const std::string& name : names) reached += PostToTitle(folder, name, code, param) ? 1 : 0;
  return reached;
}

MessageChannel::MessageChannel(platform::EventLoop& loop, const std::string& folder, std::string_view title,
                               Handler handler)
    : loop_(loop), handler_(std::move(handler)), path_(PathOf(folder, title)) {
  if (!EnsurePrivateFolder(folder) || !Bind()) return;
  std::array<int, 2> wake{};
  if (pipe2(wake.data(), O_CLOEXEC) != 0) {
    listenFd_.Reset();
    unlink(path_.c_str());
    return;
  }
  wakeRead_ = package::UniqueFd(wake[0]);
  wakeWrite_ = package::UniqueFd(wake[1]);
  server_ = std::thread([this] { Serve(); });
}

MessageChannel::~MessageChannel() {
  *alive_ = false;
  if (server_.joinable()) {
    const char stop = 's';
    [[maybe_unused]] const ssize_t written = write(wakeWrite_.Get(), &stop, 1);
    server_.join();
  }
  if (listenFd_.Valid()) {
    listenFd_.Reset();
    unlink(path_.c_str());
  }
}

bool MessageChannel::Bind() {
  const std::optional<sockaddr_un> address = AddressOf(path_);
  if (!address) return false;
  struct stat info {};
  if (lstat(path_.c_str(), &info) == 0) {
    // Never remove something that is not a socket, nor a socket another process still serves.
    if (!S_ISSOCK(info.st_mode)) return false;
    if (ConnectTo(path_).Valid()) {
      titleTaken_ = true;
      return false;
    }
    if (errno != ECONNREFUSED) return false;
    unlink(path_.c_str());  // stale: its process is gone
  }
  package::UniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return false;
  // Another process may bind the same name between the test and here; it then keeps it.
  if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0 ||
      listen(fd.Get(), 8) != 0) {
    titleTaken_ = errno == EADDRINUSE;
    return false;
  }
  listenFd_ = std::move(fd);
  return true;
}

void MessageChannel::Serve() {
  std::vector<package::UniqueFd> connections;
  for (;;) {
    std::vector<pollfd> watched = {{wakeRead_.Get(), POLLIN, 0}, {listenFd_.Get(), POLLIN, 0}};
    for (const package::UniqueFd& connection : connections) watched.push_back({connection.Get(), POLLIN, 0});
    if (poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (watched[0].revents != 0) break;
    std::vector<package::UniqueFd> open;
    for (size_t i = 2; i < watched.size(); ++i) {
      package::UniqueFd& connection = connections[i - 2];
      // A connection left out here is closed when the old list goes.
      if (watched[i].revents == 0 || Receive(connection.Get())) open.push_back(std::move(connection));
    }
    connections = std::move(open);
    if (watched[1].revents != 0) {
      package::UniqueFd connection(accept4(listenFd_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (connection.Valid() && PeerIsOwnUser(connection.Get()) && connections.size() < kMaxConnections)
        connections.push_back(std::move(connection));
    }
  }
}

bool MessageChannel::Receive(int fd) {
  std::array<uint8_t, kMessageSize + 1> message{};
  const ssize_t got = recv(fd, message.data(), message.size(), 0);
  // End of stream, an error or a message of the wrong size: the connection is dropped.
  if (got != static_cast<ssize_t>(kMessageSize)) return false;
  project::ByteReader reader(std::span<const uint8_t>(message.data(), kMessageSize));
  const int32_t code = reader.readInt32();
  Deliver(code, reader.readInt32());
  return true;
}

void MessageChannel::Deliver(int32_t code, int32_t param) {
  std::weak_ptr<bool> alive = alive_;
  loop_.Post([this, alive, code, param] {
    if (auto flag = alive.lock(); flag && *flag && handler_) handler_(code, param);
  });
}

}  // namespace kpf::app
