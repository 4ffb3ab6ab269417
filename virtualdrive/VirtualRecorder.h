// The virtual recorder as the outside world uses it: a drive kept in a folder, safe to use from
// several threads and several processes at once. Every command sees the disc exactly as the
// last command of any process left it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "virtualdrive/DriveState.h"
#include "virtualdrive/Faults.h"
#include "virtualdrive/FileSectorStore.h"
#include "virtualdrive/Scsi.h"
#include "virtualdrive/StateFolder.h"

namespace kivo::vdrive {

class VirtualRecorder {
 public:
  // Milliseconds of wall-clock time (shared by processes, so that an operation started by one
  // is seen running by another).
  using Clock = std::function<std::int64_t()>;
  using Sleeper = std::function<void(long ms)>;

  explicit VirtualRecorder(std::string folder, Clock clock = {}, Sleeper sleeper = {});

  // One SCSI command. A folder that cannot be used answers NOT READY, MEDIUM NOT PRESENT.
  ScsiResult Execute(const ScsiRequest& request);

  // What is wrong with the folder, the state file or the fault script; empty when nothing.
  std::string Problem();

  // Control operations (the control tool's verbs). False with a reason on failure.
  bool Insert(MediumKind kind, std::string& error);
  bool InsertImage(const std::string& imagePath, std::string& error);
  bool Eject(std::string& error);
  bool CloseTray(std::string& error);
  bool SetTimeScale(double scale, std::string& error);
  bool EditFaults(const std::function<void(Faults&)>& edit, std::string& error);
  bool Export(const std::string& path, std::uint32_t& blocks, std::string& error);

  // Copies of what the drive holds now.
  DriveState State();
  Faults CurrentFaults();
  std::int64_t Now() const { return clock_(); }

 private:
  bool Prepare(std::string& error);  // opens the folder, takes in other processes' changes
  void Refresh();
  bool SaveState(std::string& error);
  bool SaveFaults(std::string& error);
  SectorStore& Sectors();
  bool Update(const std::function<bool(std::string&)>& change, std::string& error);
  void TakeInChanges();  // Prepare and Refresh under the folder's lock; the caller holds mutex_
  // A copy of a member once other processes' changes are taken in.
  template <typename Value>
  Value Look(const Value& member);

  StateFolder folder_;
  Clock clock_;
  Sleeper sleeper_;
  std::mutex mutex_;

  DriveState state_;
  Faults faults_;
  FileStamp stateStamp_{}, faultsStamp_{};
  bool stateLoaded_ = false;
  std::string stateProblem_, faultsProblem_, folderProblem_;

  FileSectorStore disc_;
  std::unique_ptr<FileSectorStore> rom_;
};

}  // namespace kivo::vdrive
