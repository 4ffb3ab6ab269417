#include "engine/platform/Threads.h"

#ifndef _WIN32
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "engine/platform/Time.h"
#include "tests/platform/ScopedEnv.h"

namespace kivo::platform {
namespace {

// Drains the queue on this (main) thread until the worker has finished.
void PumpUntil(const std::atomic<bool>& finished) {
  while (!finished.load()) {
    CheckSynchronize();
    std::this_thread::yield();
  }
}

TEST(Synchronize, RunsOnTheMainThreadWhileTheWorkerWaits) {
  SetMainThread();
  ASSERT_TRUE(IsMainThread());

  std::atomic<int> wakeups{0};
  SetSynchronizeWakeup([&] { ++wakeups; });
  std::thread::id ranOn;
  int order = 0;
  int ranAt = 0;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    EXPECT_FALSE(IsMainThread());
    Synchronize([&] {
      ranOn = std::this_thread::get_id();
      ranAt = ++order;
    });
    ++order;  // only after the call came back
    EXPECT_EQ(ranAt, 1);
    finished = true;
  });
  PumpUntil(finished);
  worker.join();
  SetSynchronizeWakeup({});

  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(order, 2);
  EXPECT_EQ(wakeups.load(), 1);
  EXPECT_FALSE(CheckSynchronize()) << "nothing left in the queue";

  // On the main thread the call runs at once.
  bool direct = false;
  Synchronize([&] { direct = true; });
  EXPECT_TRUE(direct);
}

// A GUI's wake-up allocates an event on the worker that the main thread frees once the call has
// run, through a hand-over the race detector cannot see (the GUI library is not instrumented; a
// relaxed atomic stands in for it here). The queue's own lock has to order the two, even when
// the worker is slow to come back from the wake-up.
TEST(Synchronize, WhatTheWakeUpHandsOverIsOrderedBeforeTheCallRuns) {
  SetMainThread();
  std::atomic<int*> posted{nullptr};
  SetSynchronizeWakeup([&] {
    posted.store(new int(1), std::memory_order_relaxed);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  });
  std::atomic<bool> finished{false};
  int calls = 0;
  std::thread worker([&] {
    Synchronize([&] { ++calls; });
    finished = true;
  });
  int events = 0;
  while (!finished.load()) {
    if (int* event = posted.exchange(nullptr, std::memory_order_relaxed)) {
      CheckSynchronize();
      delete event;
      ++events;
    }
    std::this_thread::yield();
  }
  worker.join();
  SetSynchronizeWakeup({});
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(events, 1);
}

TEST(Synchronize, HandsAFailureBackToTheCaller) {
  SetMainThread();
  std::atomic<bool> finished{false};
  std::string caught;
  std::thread worker([&] {
    try {
      Synchronize([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    finished = true;
  });
  PumpUntil(finished);
  worker.join();
  EXPECT_EQ(caught, "boom");
}

TEST(ManualResetEvent, WaitsTimesOutAndStaysSignalledUntilReset) {
  ManualResetEvent event;
  const auto start = MonotonicMs();
  EXPECT_FALSE(event.Wait(30));
  EXPECT_GE(MonotonicMs() - start, 30);

  // Signalled from another thread through the ASPI completion pointer.
  AspiEvent* asAspi = &event;
  std::thread signaller([asAspi] { asAspi->Signal(asAspi); });
  EXPECT_TRUE(event.Wait(-1));
  signaller.join();
  EXPECT_TRUE(event.Wait(0)) << "a manual-reset event stays set";

  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(Sleep, FollowsTheTimeScale) {
  SetTimeScale(0.001);
  const auto start = MonotonicMs();
  Sleep(10'000);
  EXPECT_LT(MonotonicMs() - start, 5'000);
  SetTimeScale(1.0);
  EXPECT_EQ(TimeScale(), 1.0);
}

// A whole process takes its wait scale from KIVO_WAIT_SCALE; it shortens sleeps only, never
// the time a drive command is given.
TEST(Sleep, TakesTheWaitScaleFromTheEnvironment) {
  struct Case {
    const char* value;
    bool accepted;
    bool sleepsShort;
  };
  for (const Case& c : {Case{nullptr, true, false}, Case{"", true, false}, Case{"0", true, true},
                        Case{"0.0001", true, true}, Case{"1", true, false}, Case{"2", false, false},
                        Case{"-0.5", false, false}, Case{"fast", false, false}, Case{"0.5s", false, false},
                        Case{"nan", false, false}}) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    testing::ScopedEnv variable("KIVO_WAIT_SCALE", c.value);
    std::string error;
    EXPECT_EQ(TakeWaitScaleFromEnvironment(error), c.accepted);
    EXPECT_EQ(error.empty(), c.accepted) << error;
    const auto start = MonotonicMs();
    Sleep(c.sleepsShort ? 10'000 : 20);
    const auto slept = MonotonicMs() - start;
    if (c.sleepsShort) {
      EXPECT_LT(slept, 5'000);
    } else {
      EXPECT_GE(slept, 19);
    }
    EXPECT_EQ(TimeScale(), 1.0);
    SetWaitScale(1.0);
  }
}

TEST(SetCurrentThreadPriority, LowersTheCallingThreadOnly) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the thread's nice value, which Windows threads do not have";
#else
  const int before = ::getpriority(PRIO_PROCESS, 0);
  int inWorker = 0;
  std::thread worker([&] {
    SetCurrentThreadPriority(ThreadPriority::Idle);
    inWorker = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
  });
  worker.join();
  EXPECT_EQ(inWorker, 19);
  EXPECT_EQ(::getpriority(PRIO_PROCESS, 0), before);
#endif
}

TEST(SetCurrentThreadPriority, NeverGoesWhereItCannotComeBackFrom) {
#ifdef _WIN32
  GTEST_SKIP() << "nice values and RLIMIT_NICE are Linux's (the rule lives in the Linux layer)";
#else
  struct Case {
    int start, requested, lowest, expected;
  };
  const Case cases[] = {
      {0, 19, -20, 19},   // privileged: idle, and back
      {0, -10, -20, -10}, // privileged: time-critical
      {0, 19, 20, 0},     // no RLIMIT_NICE: a lowered thread could never return, so it stays
      {0, -10, 20, 0},
      {0, 19, 0, 19},     // may return to 0: lowering is fine
      {0, -10, 0, 0},     // but not above what the limit allows
      {5, 19, 0, 19},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NiceForPriorityChange(c.start, c.requested, c.lowest), c.expected)
        << c.start << " -> " << c.requested << " with lowest " << c.lowest;
  }
#endif
}

// A name longer than the system keeps is cut, not refused (the thread would stay unnamed).
TEST(SetCurrentThreadName, NamesTheCallingThreadAndCutsLongNames) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the name back with pthread_getname_np, which sees no Windows thread description";
#else
  for (const auto& [name, kept] : {std::pair{"kivo writer", "kivo writer"}, std::pair{"a name far too long", "a name far too "}}) {
    char read[32] = {};
    std::thread worker([&, name = name] {
      SetCurrentThreadName(name);
      ::pthread_getname_np(::pthread_self(), read, sizeof read);
    });
    worker.join();
    EXPECT_STREQ(read, kept);
  }
#endif
}

}  // namespace
}  // namespace kivo::platform
