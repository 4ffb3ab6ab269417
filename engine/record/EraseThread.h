// The erase thread: waits while the drive blanks or formats in the background, writes the
// zeros some media need, publishes its estimated progress, returns the drive to a neutral state
// and reports the end. It is the only sender of drive commands while it runs, and it frees
// itself: nobody joins it.
#pragma once

#include <cstdint>
#include <functional>

namespace kivo {

class TSCSIDevice;

// Called once, on the main thread, when an erase thread ends.
using EraseDoneSink = std::function<void(bool WithError)>;

class TEraseThread {
 public:
  // Starts the thread for a drive that has taken the erase command. Device must stay alive
  // until Done has run; the thread touches neither of them afterwards. Device.Erasing must be
  // set by the caller; the thread clears it, on the main thread, right before Done.
  static void Start(TSCSIDevice& Device, std::uint16_t Kind, bool Quick, EraseDoneSink Done);

  TEraseThread(const TEraseThread&) = delete;
  TEraseThread& operator=(const TEraseThread&) = delete;

 private:
  TEraseThread(TSCSIDevice& Device, std::uint16_t Kind, bool Quick, EraseDoneSink Done);

  void Execute();
  void WaitForDvdRw();
  void ZeroDvdPlusRw();
  bool WaitForDvdPlusRwFormat();
  void ZeroDvdRam();
  void WaitForSlowDrive();
  void RecoverReadiness();
  // Rounds of TEST UNIT READY (with a pause after each failure) while the drive is not ready
  // and the estimate is not spent; each round counts Rounds.
  void TestUntilReady(double Rounds);
  // The drive is still busy with the operation: the last command's sense says "not ready".
  bool NotReady() const;
  bool DiscReadsErased();
  // Publishes the estimate; 100 is kept for the end, so a wait that outlasts the estimate shows
  // 99 rather than a finished erase.
  void StoreProgress();
  bool EstimateSpent() const { return elapsed_ > EstimatedTime; }
  void Finish();

  TSCSIDevice& device_;
  const std::uint16_t kind_;
  const bool quick_;
  EraseDoneSink done_;
  const std::uint16_t EstimatedTime;
  bool WithError = false;
  double elapsed_ = 0;  // rounds counted so far
};

// True from an erase thread's start until its end is reported: the drive is the thread's.
bool EraseRunning();
// Waits until no erase thread is left (before a process ends, or a test's drive goes away);
// false when TimeoutMs passed first. A negative timeout waits for ever.
bool WaitForEraseThread(long TimeoutMs);

}  // namespace kivo
