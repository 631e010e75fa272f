#pragma once
// The one worker thread that measures the intervals of all threaded timers of a process and hands
// their ticks to the event loops they belong to. It never waits for a tick: each timer has at most
// one tick on its way, and its next interval starts when that tick has run, so a slow handler
// stretches only its own timer's period and a tick that runs a nested loop (a modal dialog) does
// not hold back the ticks of other timers, which run inside that nested loop.
//
// Timers register a slot; the thread keeps the slots' deadlines and sleeps until the earliest.
// Everything a queued tick touches is held by shared pointers, so neither the timer nor this
// object need outlive the ticks they have queued.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/EventLoop.hpp"

namespace kpf::desktop {

class TTimerThread {
 public:
  using Clock = std::chrono::steady_clock;
  // Runs on the loop thread for a tick of the given generation of the slot's wait.
  using Deliver = std::function<void(uint64_t generation)>;
  class Slot;

  // Starts the worker thread.
  TTimerThread();
  // Ends and joins the worker. Slots still registered stay valid but get no more ticks.
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // A slot that ticks into `loop`, which must outlive the slot's registration (until Remove);
  // it waits for nothing until Restart.
  std::shared_ptr<Slot> Add(platform::EventLoop& loop, Deliver deliver);
  // Starts a new wait of `interval` ms from now (running) or stops ticking (not running). Ticks of
  // earlier waits that are still on their way are no longer current.
  static void Restart(Slot& slot, bool running, uint32_t interval);
  // True when `generation` is the slot's current wait.
  static bool Current(const Slot& slot, uint64_t generation);
  // No more ticks; a tick on its way is left to find its timer gone.
  static void Remove(Slot& slot);

  // Registered slots (for tests and the figures).
  int SlotCount() const;

 private:
  struct Schedule;
  struct QueuedTick;

  static void WorkerLoop(const std::shared_ptr<Schedule>& schedule);
  // Marks the ticks that are due as on their way (in deadline order) and returns when the worker
  // must look again.
  static Clock::time_point CollectDueTicks(Schedule& schedule, Clock::time_point now, std::vector<QueuedTick>& ticks);
  static void RunTick(const std::shared_ptr<Schedule>& schedule, const std::shared_ptr<Slot>& slot,
                      uint64_t generation);

  std::shared_ptr<Schedule> schedule_;
  std::thread worker_;
};

}  // namespace kpf::desktop
