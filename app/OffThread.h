// Work that waits on the drive, run on a thread of its own while the window's thread keeps
// painting. User input stays queued meanwhile, so that no click can start a second command
// while the first one holds the drive.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include <QEventLoop>
#include <QTimer>

namespace kivo::app {

template <typename Result>
Result RunOffThread(const std::function<Result()>& work) {
  constexpr int kPollMs = 20;
  Result result{};
  std::atomic<bool> done{false};
  // The result is handed over by the join below, not by the flag: the flag only ends the loop.
  std::thread worker([&] {
    result = work();
    done.store(true);
  });
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done.load()) loop.quit();
  });
  poll.start(kPollMs);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  return result;
}

}  // namespace kivo::app
