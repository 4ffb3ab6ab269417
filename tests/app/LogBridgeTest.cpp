// Worker threads flood the log while the window's thread runs its event loop: no line is lost,
// each thread's lines keep their order, and no sender ever waits for the window.
#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "app/LogBridge.h"
#include "tests/app/WindowFixture.h"

namespace kivo::app::testing {
namespace {

TEST(LogBridge, WorkersFloodTheLogWithoutLosingOrReorderingLines) {
  constexpr int kThreads = 4;
  constexpr int kLines = 5000;
  std::map<int, int> next;  // per thread: the number its next line must carry
  int received = 0;
  bool inOrder = true;
  LogBridge bridge([&](const std::string& line) {
    const int thread = std::stoi(line.substr(0, line.find(' ')));
    const int number = std::stoi(line.substr(line.find(' ') + 1));
    inOrder = inOrder && number == next[thread];
    next[thread] = number + 1;
    ++received;
  });
  std::atomic<int> finished{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) bridge.Post(std::to_string(t) + " " + std::to_string(i));
      ++finished;
    });
  }
  // The senders finish while the window's thread is busy elsewhere: posting never waits for it.
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(finished.load(), kThreads);
  EXPECT_TRUE(WaitFor([&] { return received == kThreads * kLines; }, 20000)) << received;
  EXPECT_TRUE(inOrder);
}

}  // namespace
}  // namespace kivo::app::testing
