#pragma once
// Messages from other processes of the same user: every running player process listens on a
// socket named after its application title, in a folder only this user can enter. A message is
// two little-endian int32 (code, param). The listening socket is served by a helper thread that
// hands each decoded message to the event loop; the handler always runs on the loop thread.
//
// Titles are unique per process: when a live socket of the same name exists, the later process
// does not take it over and does not listen (Listening() is false, TitleTaken() true); messages
// to that title keep reaching the first process.
#include <sys/socket.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "package/FileUtil.hpp"
#include "platform/EventLoop.hpp"

namespace kpf::app {

class MessageChannel {
 public:
  using Handler = std::function<void(int32_t code, int32_t param)>;

  // `$XDG_RUNTIME_DIR/kpfplayer`, else `/tmp/kpfplayer-<uid>`.
  static std::string DefaultFolder();
  // Creates `folder` (mode 0700) when missing. False when it cannot be made, is not a folder,
  // is not owned by this user or is open to anyone else (mode other than 0700).
  static bool EnsurePrivateFolder(const std::string& folder);
  // The title as one safe file name: bytes outside [A-Za-z0-9._-] become '_', "." and ".." and
  // the empty title become "Tavimo"; cut to fit the socket address.
  static std::string SocketName(std::string_view title);
  // Only processes of the same user may send messages.
  static bool PeerAllowed(const ucred& peer, uid_t ownUid);
  // Sends (code, param) to the process listening under `title`; false when nobody listens there.
  static bool PostToTitle(const std::string& folder, std::string_view title, int32_t code, int32_t param);
  // Sends (code, param) to every process listening under a title that begins with `prefix`;
  // returns how many were reached.
  static int PostToTitlesStartingWith(const std::string& folder, std::string_view prefix, int32_t code,
                                      int32_t param);

  // Starts listening under `title` in `folder` (see above for when it does not).
  MessageChannel(platform::EventLoop& loop, const std::string& folder, std::string_view title, Handler handler);
  ~MessageChannel();
  MessageChannel(const MessageChannel&) = delete;
  MessageChannel& operator=(const MessageChannel&) = delete;

  bool Listening() const { return listenFd_.Valid(); }
  // True when another live process already listens under this title.
  bool TitleTaken() const { return titleTaken_; }
  const std::string& SocketPath() const { return path_; }

 private:
  bool Bind();
  void Serve();
  // Reads one message from a connection and delivers it; false when the connection is to go.
  bool Receive(int fd);
  void Deliver(int32_t code, int32_t param);

  platform::EventLoop& loop_;
  Handler handler_;
  std::string path_;
  package::UniqueFd listenFd_;
  bool titleTaken_ = false;
  package::UniqueFd wakeRead_;
  package::UniqueFd wakeWrite_;
  // Tasks already posted to the loop check this before touching the channel.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::thread server_;
};

}  // namespace kpf::app
