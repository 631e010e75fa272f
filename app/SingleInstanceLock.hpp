#pragma once
// One screen saver at a time per user: an exclusive lock (flock) on a file in the user's private
// runtime folder. The kernel lets go of it when the process ends in any way, so a crashed screen
// saver never keeps the next one from starting, and other users' locks are never in the way.
#include <string>

#include "package/FileUtil.hpp"

namespace kpf::app {

// Name of the lock file inside the folder.
inline constexpr const char* kScreenSaverLockName = "screensaver.lock";

class SingleInstanceLock {
 public:
  enum class Outcome {
    Held,         // this process holds the lock
    TakenByOther, // another process holds it: this one is the second
    Unavailable,  // the folder or file cannot be used safely; nothing is locked
  };

  // Takes the lock on `folder`/`name` (the folder is made private, mode 0700, when missing).
  static SingleInstanceLock Take(const std::string& folder, const std::string& name = kScreenSaverLockName);

  Outcome Result() const { return outcome_; }

 private:
  SingleInstanceLock(Outcome outcome, package::UniqueFd fd) : outcome_(outcome), fd_(std::move(fd)) {}

  Outcome outcome_;
  package::UniqueFd fd_;
};

}  // namespace kpf::app
