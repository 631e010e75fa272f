#include "desktop/TTimerThread.hpp"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace kpf::desktop {

namespace {

// A tick due within this much is queued with the ones due now. The next wait of a timer starts
// when its tick has run, a little after the worker queued it; without the allowance the worker
// would wake a second time for every tick only to cover the loop's dispatch delay.
constexpr auto kEarlyAllowance = std::chrono::milliseconds(1);

}  // namespace

// All fields but the constant ones are guarded by the schedule's mutex.
class TTimerThread::Slot {
 public:
  Slot(std::shared_ptr<Schedule> owner, platform::EventLoop& eventLoop, Deliver deliverTick)
      : schedule(std::move(owner)), loop(eventLoop), deliver(std::move(deliverTick)) {}

  const std::shared_ptr<Schedule> schedule;
  platform::EventLoop& loop;
  const Deliver deliver;

  bool running = false;
  uint32_t interval = 0;
  uint64_t generation = 0;
  // The end of the current wait; while a tick is on its way, the earliest its next wait can end.
  Clock::time_point deadline;
  bool inFlight = false;
  bool removed = false;
};

struct TTimerThread::QueuedTick {
  std::shared_ptr<Slot> slot;
  uint64_t generation = 0;
};

struct TTimerThread::Schedule {
  mutable std::mutex mutex;
  // Held by the worker while it hands ticks to the loops; taken with `mutex` held, never the
  // other way round.
  std::mutex posting;
  std::condition_variable wake;
  bool stop = false;
  // In registration order; ties of deadlines tick in this order.
  std::vector<std::shared_ptr<Slot>> slots;
  // When the worker will look next (max: it sleeps until told).
  Clock::time_point plannedWake = Clock::time_point::max();

  // A deadline earlier than the worker's plan needs the worker to look again.
  void Reschedule(Clock::time_point deadline) {
    if (deadline < plannedWake) {
      plannedWake = deadline;
      wake.notify_one();
    }
  }
};

TTimerThread::TTimerThread() : schedule_(std::make_shared<Schedule>()) {
  worker_ = std::thread([schedule = schedule_] { WorkerLoop(schedule); });
}

TTimerThread::~TTimerThread() {
  {
    std::lock_guard lock(schedule_->mutex);
    schedule_->stop = true;
  }
  schedule_->wake.notify_all();
  worker_.join();
}

std::shared_ptr<TTimerThread::Slot> TTimerThread::Add(platform::EventLoop& loop, Deliver deliver) {
  auto slot = std::make_shared<Slot>(schedule_, loop, std::move(deliver));
  std::lock_guard lock(schedule_->mutex);
  schedule_->slots.push_back(slot);
  return slot;
}

void TTimerThread::Restart(Slot& slot, bool running, uint32_t interval) {
  Schedule& schedule = *slot.schedule;
  std::lock_guard lock(schedule.mutex);
  if (slot.removed) return;
  slot.running = running;
  slot.interval = interval;
  ++slot.generation;
  if (!running) return;  // the worker finds nothing to do when it looks next
  slot.deadline = Clock::now() + std::chrono::milliseconds(interval);
  schedule.Reschedule(slot.deadline);
}

bool TTimerThread::Current(const Slot& slot, uint64_t generation) {
  std::lock_guard lock(slot.schedule->mutex);
  return !slot.removed && slot.generation == generation;
}

void TTimerThread::Remove(Slot& slot) {
  Schedule& schedule = *slot.schedule;
  {
    std::lock_guard lock(schedule.mutex);
    if (slot.removed) return;
    slot.removed = true;
    slot.running = false;
    std::erase_if(schedule.slots, [&slot](const std::shared_ptr<Slot>& entry) { return entry.get() == &slot; });
  }
  // A tick collected before the removal may be on its way into the loop; once this returns it
  // is queued (and finds its timer gone), and the loop is never touched for this slot again.
  std::lock_guard posting(schedule.posting);
}

int TTimerThread::SlotCount() const {
  std::lock_guard lock(schedule_->mutex);
  return static_cast<int>(schedule_->slots.size());
}

void TTimerThread::WorkerLoop(const std::shared_ptr<Schedule>& schedule) {
  std::unique_lock lock(schedule->mutex);
  while (!schedule->stop) {
    lock.unlock();
    const Clock::time_point now = Clock::now();
    lock.lock();
    std::vector<QueuedTick> ticks;
    const Clock::time_point next = CollectDueTicks(*schedule, now, ticks);
    schedule->plannedWake = next;
    if (!ticks.empty()) {
      // Queued without the schedule's lock, which the loop thread may want at once for a tick
      // it runs. `posting` is taken before that lock is let go, and Remove waits for it, so no
      // tick is queued for a timer that has gone meanwhile.
      {
        std::lock_guard posting(schedule->posting);
        lock.unlock();
        for (QueuedTick& tick : ticks) {
          tick.slot->loop.Post([schedule, slot = std::move(tick.slot), generation = tick.generation] {
            RunTick(schedule, slot, generation);
          });
        }
      }
      lock.lock();
      // The wait below looks at plannedWake, which a Restart meanwhile may have lowered.
      if (schedule->plannedWake != next) continue;
    }
    // A Restart or a finished tick with an earlier deadline lowers plannedWake and notifies.
    if (next == Clock::time_point::max()) {
      schedule->wake.wait(lock, [&] { return schedule->stop || schedule->plannedWake != next; });
    } else {
      schedule->wake.wait_until(lock, next, [&] { return schedule->stop || schedule->plannedWake != next; });
    }
  }
}

TTimerThread::Clock::time_point TTimerThread::CollectDueTicks(Schedule& schedule, Clock::time_point now,
                                                              std::vector<QueuedTick>& ticks) {
  std::vector<std::shared_ptr<Slot>> due;
  Clock::time_point next = Clock::time_point::max();
  for (const std::shared_ptr<Slot>& slot : schedule.slots) {
    if (!slot->running) continue;
    if (slot->inFlight) {
      // Its next wait cannot end before `deadline`; a tick that is late to run tells the worker.
      if (slot->deadline > now) next = std::min(next, slot->deadline);
    } else if (slot->deadline <= now + kEarlyAllowance) {
      due.push_back(slot);
    } else {
      next = std::min(next, slot->deadline);
    }
  }
  // Ticks reach each loop in the order of their deadlines.
  std::ranges::stable_sort(due, {}, [](const std::shared_ptr<Slot>& slot) { return slot->deadline; });
  for (std::shared_ptr<Slot>& slot : due) {
    slot->inFlight = true;
    slot->deadline = now + std::chrono::milliseconds(slot->interval);
    next = std::min(next, slot->deadline);
    const uint64_t generation = slot->generation;
    ticks.push_back({std::move(slot), generation});
  }
  return next;
}

void TTimerThread::RunTick(const std::shared_ptr<Schedule>& schedule, const std::shared_ptr<Slot>& slot,
                           uint64_t generation) {
  slot->deliver(generation);
  std::lock_guard lock(schedule->mutex);
  slot->inFlight = false;
  if (slot->removed || !slot->running) return;
  // The next interval starts now that the tick has run; a restart meanwhile keeps its own wait.
  if (slot->generation == generation) {
    slot->deadline = Clock::now() + std::chrono::milliseconds(slot->interval);
  }
  schedule->Reschedule(slot->deadline);
}

}  // namespace kpf::desktop
