// An ASPI manager with one host adapter and one drive, the virtual recorder. Execute requests
// with a completion event run in order on a worker thread, like a real manager's; the others
// complete before the call returns.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/platform/Aspi.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::vdrive {

class AspiManager {
 public:
  explicit AspiManager(std::unique_ptr<VirtualRecorder> recorder);
  ~AspiManager();  // finishes the queued requests

  std::uint32_t Send(void* srb);

 private:
  std::uint32_t HostAdapterInquiry(SRB_HAInquiry& srb);
  std::uint32_t ExecuteScsi(SRB_ExecSCSICmd& srb);
  std::uint32_t DiskInfo(SRB_GetDiskInfo& srb);
  void Run(SRB_ExecSCSICmd& srb);
  void Work();
  void ReportProblemOnce();

  std::unique_ptr<VirtualRecorder> recorder_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<SRB_ExecSCSICmd*> queue_;
  bool stopping_ = false;
  std::thread worker_;
  std::string reportedProblem_;
};

}  // namespace kivo::vdrive
