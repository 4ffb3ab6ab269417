// Burners for the erase and image-recording tests: one on a scripted drive (every command it
// sends is kept, with its data), one on the virtual recorder. Erase and write results arrive on
// the worker's thread here (no main thread is named), so they are awaited, not polled.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/EraseThread.h"
#include "tests/drive/RecorderFixture.h"
#include "tests/drive/ScriptedDrive.h"

namespace kivo::testing {

// A value raised once by a worker thread.
template <class Value>
class Awaited {
 public:
  void Set(Value value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
    ++count_;
    changed_.notify_all();
  }
  std::optional<Value> Wait(std::chrono::seconds timeout = std::chrono::seconds(120)) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return value_.has_value(); });
    return value_;
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    value_.reset();
    count_ = 0;
  }
  int Count() {
    std::lock_guard lock(mutex_);
    return count_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Value> value_;
  int count_ = 0;
};

// The engine's log lines of a burner, from any thread.
class MessageLog {
 public:
  void Attach(TSCSIDevice& device) {
    device.OnDebugMessage = [this](TSCSIDevice*, const std::string& message, std::uint8_t) {
      std::lock_guard lock(mutex_);
      lines_.push_back(message);
    };
  }
  bool Contains(const std::string& line) {
    std::lock_guard lock(mutex_);
    for (const auto& l : lines_)
      if (l == line) return true;
    return false;
  }
  std::string All() {
    std::lock_guard lock(mutex_);
    std::string all;
    for (const auto& l : lines_) all += l + "\n";
    return all;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// What a burner reports at the end of its work.
struct BurnerEvents {
  void Attach(TZelvoBurner& burner) {
    log.Attach(burner);
    burner.OnEraseDone = [this](TZelvoBurner*, bool withError) { eraseDone.Set(withError); };
    burner.OnWriteDone = [this](TZelvoBurner*, const std::string& error) { writeDone.Set(error); };
  }
  // Forgets the results, for the next operation.
  void Reset() {
    eraseDone.Reset();
    writeDone.Reset();
  }
  Awaited<bool> eraseDone;
  Awaited<std::string> writeDone;
  MessageLog log;
};

inline Reply ProfileReply(std::uint16_t profile) {
  std::vector<unsigned char> configuration(8, 0);
  configuration[3] = 4;
  configuration[6] = static_cast<unsigned char>(profile >> 8);
  configuration[7] = static_cast<unsigned char>(profile);
  return Reply::Data(configuration);
}

// The WRITE(10) commands among those a drive received.
struct SentWrite {
  std::uint32_t lba;
  std::uint32_t sectors;
  bool operator==(const SentWrite&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const SentWrite& w) {
    return out << w.sectors << "@" << w.lba;
  }
};

inline std::vector<SentWrite> WritesOf(const std::vector<SentCommand>& sent) {
  constexpr unsigned char kWrite10 = 0x2A;
  std::vector<SentWrite> writes;
  for (const auto& c : sent) {
    if (c.cdb[0] != kWrite10) continue;
    const std::uint32_t lba = std::uint32_t{c.cdb[2]} << 24 | std::uint32_t{c.cdb[3]} << 16 |
                              std::uint32_t{c.cdb[4]} << 8 | c.cdb[5];
    writes.push_back({lba, std::uint32_t{c.cdb[7]} << 8 | c.cdb[8]});
  }
  return writes;
}

namespace profile {
inline constexpr std::uint16_t kCdR = 0x0009, kCdRw = 0x000A, kDvdRam = 0x0012, kDvdRwRestricted = 0x0013,
                               kDvdRwSequential = 0x0014, kDvdPlusRw = 0x001A, kDvdPlusR = 0x001B;
}

// A burner on a scripted drive that reports the given current profile. The scripted drive's
// own component stays unused.
class ScriptedBurner : public ScriptedDrive {
 public:
  explicit ScriptedBurner(std::uint16_t currentProfile) {
    On({0x46}, {ProfileReply(currentProfile)});
    burner.SelectDevice(burner.DeviceList.at(0));
    events.Attach(burner);
    ClearSent();
  }
  ~ScriptedBurner() { EXPECT_TRUE(WaitForEraseThread(60'000)); }

  TZelvoBurner burner;
  BurnerEvents events;
};

// A burner on the virtual recorder, with the engine's waits made short. Not instant: the
// scale also shortens the wait for each answer of the recorder, which answers from its own
// thread.
class RecorderBurnerTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    platform::SetTimeScale(0.05);
    burner = std::make_unique<TZelvoBurner>();
    burner->SelectDevice(burner->DeviceList.at(0));
    events.Attach(*burner);
  }
  void TearDown() override {
    EXPECT_TRUE(WaitForEraseThread(60'000));
    burner.reset();
    RecorderTest::TearDown();
  }

  std::unique_ptr<TZelvoBurner> burner;
  BurnerEvents events;
};

}  // namespace kivo::testing
