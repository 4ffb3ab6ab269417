#include "app/LogBridge.h"

#include <utility>

namespace kivo::app {

namespace {

// Often enough to read as live, seldom enough that a flood of lines costs one repaint a tick.
constexpr int kDrainIntervalMs = 50;

}  // namespace

LogBridge::LogBridge(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {
  timer_.setInterval(kDrainIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &LogBridge::Drain);
  timer_.start();
}

void LogBridge::Post(std::string line) {
  std::lock_guard lock(mutex_);
  pending_.push_back(std::move(line));
}

void LogBridge::Drain() {
  std::deque<std::string> lines;
  {
    std::lock_guard lock(mutex_);
    lines.swap(pending_);
  }
  for (const std::string& line : lines) sink_(line);
}

}  // namespace kivo::app
