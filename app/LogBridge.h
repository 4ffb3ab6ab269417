// The engine's log lines reach the window from any thread without ever blocking the sender: the
// window's thread may itself be waiting for the cache thread that is logging (a blocking hand-off
// deadlocks there). Lines wait in a queue under a mutex; a timer on the window's thread drains it.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include <QObject>
#include <QTimer>

namespace kivo::app {

class LogBridge : public QObject {
  Q_OBJECT
 public:
  using Sink = std::function<void(const std::string& line)>;

  // sink runs on the thread that owns the bridge (the window's), in the order lines were posted.
  explicit LogBridge(Sink sink, QObject* parent = nullptr);

  // Safe from any thread; never waits for the window.
  void Post(std::string line);
  // Hands every queued line to the sink now (on the owning thread).
  void Drain();

 private:
  Sink sink_;
  std::mutex mutex_;
  std::deque<std::string> pending_;
  QTimer timer_;
};

}  // namespace kivo::app
