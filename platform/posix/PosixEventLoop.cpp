#include "platform/posix/PosixEventLoop.hpp"

namespace kpf::platform::posix {

int PosixEventLoop::Run() {
  tasks_.SetLoopThread();
  while (RunOne(nullptr)) {
  }
  return tasks_.ExitCode();
}

void PosixEventLoop::ProcessEventsFor(uint32_t milliseconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Clock::now() < deadline && RunOne(&deadline)) {
  }
}

int64_t PosixEventLoop::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
}

bool PosixEventLoop::RunOne(const Clock::time_point* deadline) {
  tasks_.WaitForWork(deadline);
  if (tasks_.Terminating()) return false;
  tasks_.RunOne();
  return true;
}

}  // namespace kpf::platform::posix
