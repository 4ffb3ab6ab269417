#include "engine/platform/Threads.h"

#include <atomic>
#include <deque>
#include <exception>


namespace kivo::platform {

namespace {

struct PendingCall {
  const std::function<void()>* fn;
  std::exception_ptr failure;
  bool done = false;
};

struct SyncQueue {
  std::mutex mutex;
  std::condition_variable finished;
  std::deque<PendingCall*> pending;
  std::function<void()> wakeup;
};

SyncQueue& Queue() {
  static SyncQueue queue;
  return queue;
}

std::atomic<std::thread::id> mainThread{};

}  // namespace

void SetMainThread() { mainThread.store(std::this_thread::get_id()); }

bool IsMainThread() { return mainThread.load() == std::this_thread::get_id(); }

void Synchronize(const std::function<void()>& fn) {
  const std::thread::id main = mainThread.load();
  if (main == std::thread::id() || main == std::this_thread::get_id()) {
    fn();
    return;
  }

  SyncQueue& queue = Queue();
  PendingCall call{&fn, nullptr, false};
  std::unique_lock lock(queue.mutex);
  queue.pending.push_back(&call);
  // The wake-up is sent under the lock: whatever it hands to the main thread (an event the GUI
  // frees after the call ran) is then ordered before the main thread's CheckSynchronize, also
  // for a reader that cannot see the GUI's own locks.
  if (queue.wakeup) queue.wakeup();
  queue.finished.wait(lock, [&call] { return call.done; });
  // A failure on the main thread belongs to the caller that asked for the call.
  if (call.failure) std::rethrow_exception(call.failure);
}

bool CheckSynchronize() {
  SyncQueue& queue = Queue();
  std::deque<PendingCall*> calls;
  {
    std::lock_guard lock(queue.mutex);
    calls.swap(queue.pending);
  }
  if (calls.empty()) return false;

  // Run outside the lock: a call may itself wait for the queue (a nested event loop).
  for (PendingCall* call : calls) {
    std::exception_ptr failure;
    try {
      (*call->fn)();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(queue.mutex);
      // Moved, not copied: the caller owns the exception from here on, and no reference to it
      // is dropped on this thread afterwards.
      call->failure = std::move(failure);
      call->done = true;
    }
    queue.finished.notify_all();
  }
  return true;
}

void SetSynchronizeWakeup(std::function<void()> wakeup) {
  SyncQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  queue.wakeup = std::move(wakeup);
}

}  // namespace kivo::platform
