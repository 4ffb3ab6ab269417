// Threads, priorities, locks, events, sleeping, and calls handed to the main thread.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "engine/platform/Aspi.h"

namespace kivo::platform {

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, TimeCritical };

// Sets the calling thread's priority, best effort (raising it usually needs privileges).
void SetCurrentThreadPriority(ThreadPriority priority);
// The nice value a priority change uses, given the thread's nice value at its first change and
// the lowest nice value the process may set (exposed for tests).
int NiceForPriorityChange(int startNice, int requestedNice, int lowestSettable);
// Names the calling thread for debuggers and process listings; longer names are cut to what
// the system keeps (15 bytes).
void SetCurrentThreadName(const char* name);

// The re-entrant critical section.
using RecursiveLock = std::recursive_mutex;

// A manual-reset event. It doubles as the completion event handle of an ASPI request: the ASPI
// manager signals it through the C function pointer at its start.
class ManualResetEvent : public AspiEvent {
 public:
  ManualResetEvent();
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void Set();
  void Reset();
  // True when the event is signalled within timeoutMs (a negative value waits for ever).
  bool Wait(long timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

// Sleeps ms milliseconds times the time scale and the wait scale (both 1 by default).
void Sleep(long ms);
// The time scale shortens sleeps and command time-outs alike; in-process tests set it.
void SetTimeScale(double scale);
double TimeScale();
// The wait scale shortens only the sleeps between polls of a drive; time-outs keep their
// length, so a command that a virtual recorder completes on its own thread still gets its time.
void SetWaitScale(double scale);
// A testing aid for whole processes (kivoardel-cli against the virtual recorder): the wait
// scale from KIVO_WAIT_SCALE, a number from 0 to 1, read once at start-up. An unset variable
// leaves the waits as they are; a malformed one is refused with the text in error.
bool TakeWaitScaleFromEnvironment(std::string& error);

// Runs fn on the main thread while the caller waits. On the main thread it runs at once.
// Without an installed dispatcher the call waits in a queue that CheckSynchronize drains.
void Synchronize(const std::function<void()>& fn);
// Runs the queued calls; returns whether there were any. Call it on the main thread.
bool CheckSynchronize();
// Marks the calling thread as the main thread (done once at start-up).
void SetMainThread();
bool IsMainThread();
// A GUI installs a dispatcher that posts a wake-up to its event loop, which then calls
// CheckSynchronize. It runs under the queue's lock, so it must only post, never wait for the
// main thread. Pass an empty function to remove it.
void SetSynchronizeWakeup(std::function<void()> wakeup);

}  // namespace kivo::platform
