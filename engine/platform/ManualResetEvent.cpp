#include "engine/platform/Threads.h"

#include <chrono>

namespace kivo::platform {

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

}  // namespace kivo::platform
