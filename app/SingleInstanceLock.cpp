#include "app/SingleInstanceLock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/MessageChannel.hpp"

namespace kpf::app {

SingleInstanceLock SingleInstanceLock::Take(const std::string& folder, const std::string& name) {
  if (!MessageChannel::EnsurePrivateFolder(folder)) return {Outcome::Unavailable, package::UniqueFd()};
  const std::string path = folder + "/" + name;
  // No link is followed, and a FIFO or device planted under the name is never waited on.
  package::UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
  if (!fd.Valid()) return {Outcome::Unavailable, package::UniqueFd()};
  struct stat info {};
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    return {Outcome::Unavailable, package::UniqueFd()};
  }
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) return {Outcome::Held, std::move(fd)};
  return {errno == EWOULDBLOCK ? Outcome::TakenByOther : Outcome::Unavailable, package::UniqueFd()};
}

}  // namespace kpf::app
