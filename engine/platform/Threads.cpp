#include "engine/platform/Threads.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
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

}  // namespace kivo::platform
