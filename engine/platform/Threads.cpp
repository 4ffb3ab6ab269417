#include "engine/platform/Threads.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <exception>
#include <string>

namespace kivo::platform {

namespace {

int NiceOf(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle: return 19;
    case ThreadPriority::Lowest: return 10;
    case ThreadPriority::BelowNormal: return 5;
    case ThreadPriority::Normal: return 0;
    case ThreadPriority::TimeCritical: return -10;
  }
  return 0;
}

// The lowest nice value this process may set: anything for root, else what RLIMIT_NICE allows
// (20 - limit; a limit of 0 allows no lowering at all).
int LowestSettableNice() {
  if (::geteuid() == 0) return -20;
  rlimit limit{};
  if (::getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == 0) return 20;
  const auto cur = limit.rlim_cur == RLIM_INFINITY ? 40 : static_cast<long>(limit.rlim_cur);
  return static_cast<int>(20 - std::min<long>(cur, 40));
}

}  // namespace

int NiceForPriorityChange(int startNice, int requestedNice, int lowestSettable) {
  // A thread that lowered its priority without the right to raise it again would stay there:
  // the read-ahead cache drops to idle whenever its queue is full and must come back. So a
  // thread only goes below its start when it can return, and never above what it may set.
  if (lowestSettable > startNice) return startNice;
  return std::max(requestedNice, lowestSettable);
}

void SetCurrentThreadPriority(ThreadPriority priority) {
  thread_local const int startNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
  const int nice = NiceForPriorityChange(startNice, NiceOf(priority), LowestSettableNice());
  // On Linux a nice value belongs to one thread when addressed by its thread id. A refusal only
  // costs speed, so it is not reported.
  (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice);
}

void SetCurrentThreadName(const char* name) {
  constexpr std::size_t kLongestName = 15;
  const std::string kept = std::string(name).substr(0, kLongestName);
  // Only a name too long is refused, and that was cut above.
  (void)::pthread_setname_np(::pthread_self(), kept.c_str());
}

// ---- ManualResetEvent -------------------------------------------------------------------------

ManualResetEvent::ManualResetEvent() : AspiEvent{} {
  Signal = [](AspiEvent* self) { static_cast<ManualResetEvent*>(self)->Set(); };
}

void ManualResetEvent::Set() {
  // Notified under the lock: a waiter that wakes may destroy the event at once (a request's
  // completion event lives only as long as the request), so Set must be done with it by then.
  std::lock_guard lock(mutex_);
  signalled_ = true;
  changed_.notify_all();
}

void ManualResetEvent::Reset() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

bool ManualResetEvent::Wait(long timeoutMs) {
  std::unique_lock lock(mutex_);
  if (timeoutMs < 0) {
    changed_.wait(lock, [this] { return signalled_; });
    return true;
  }
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; });
}

// ---- Sleep ------------------------------------------------------------------------------------

namespace {
std::atomic<double> timeScale{1.0};
std::atomic<double> waitScale{1.0};
constexpr char kWaitScaleVariable[] = "KIVO_WAIT_SCALE";
}  // namespace

void Sleep(long ms) {
  const double scaled = static_cast<double>(ms) * timeScale.load(std::memory_order_relaxed) *
                        waitScale.load(std::memory_order_relaxed);
  if (scaled <= 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(scaled));
}

void SetTimeScale(double scale) { timeScale.store(scale, std::memory_order_relaxed); }

double TimeScale() { return timeScale.load(std::memory_order_relaxed); }

void SetWaitScale(double scale) { waitScale.store(scale, std::memory_order_relaxed); }

bool TakeWaitScaleFromEnvironment(std::string& error) {
  const char* text = std::getenv(kWaitScaleVariable);
  if (text == nullptr || *text == '\0') return true;
  char* end = nullptr;
  errno = 0;
  const double scale = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !(scale >= 0 && scale <= 1)) {
    error = std::string(kWaitScaleVariable) + " must be a number from 0 to 1, not \"" + text + "\"";
    return false;
  }
  SetWaitScale(scale);
  return true;
}

// ---- Synchronize ------------------------------------------------------------------------------

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
