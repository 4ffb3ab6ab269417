// Sending one request to the selected drive and turning its outcome into the error state.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/drive/ErrorText.h"
#include "engine/drive/FailureLine.h"
#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"

namespace kivo {

namespace {

constexpr unsigned kShortestTimeoutMs = 10'000;
constexpr std::uint8_t kAscNotReady = 0x04, kAscqLongWrite = 0x08;

bool IsLongWriteInProgress(const std::uint8_t* sense) {
  return sense[12] == kAscNotReady && sense[13] == kAscqLongWrite;
}

// A request that timed out may still be completed by the manager later, and it will signal its
// event then. Such events are kept for the life of the process so that the late signal lands
// in live memory.
void KeepForLateSignal(std::unique_ptr<platform::ManualResetEvent> event) {
  static std::mutex mutex;
  static auto* kept = new std::vector<std::unique_ptr<platform::ManualResetEvent>>;
  std::lock_guard guard(mutex);
  kept->push_back(std::move(event));
}

}  // namespace

std::uint32_t TSCSIDevice::ExecuteCommand(SRB_ExecSCSICmd& Request, unsigned Timeout) {
  LastErrorText.clear();
  TargetBusy = false;
  std::memset(LastSense, 0, sizeof LastSense);
  if (!IsTransportLoaded() || HostAdapter == kNoDevice) return kNoTransportOrDevice;
  const bool logFailure = !ErrorLogLatch.exchange(true);

  std::unique_ptr<platform::ManualResetEvent> event;
  if (Request.SRB_Flags & SRB_EVENT_NOTIFY) {
    event = std::make_unique<platform::ManualResetEvent>();
    event->Reset();
  }
  Request.SRB_PostProc = event.get();
  Request.SRB_Cmd = SC_EXEC_SCSI_CMD;
  Request.SRB_HaId = HostAdapter;
  Request.SRB_Target = Target;
  Request.SRB_Lun = Lun;
  Request.SRB_SenseLen = kSenseLength;
  Request.CDBByte[1] = static_cast<std::uint8_t>(((Lun & 7) << 5) | (Request.CDBByte[1] & 0x1F));
  const unsigned effectiveTimeout = std::max(Timeout, kShortestTimeoutMs);

  // The returned status is read rather than the block's: a manager completing on its own
  // thread writes the block until it signals.
  std::uint8_t status = static_cast<std::uint8_t>(SendAspiRequest(&Request));
  bool timedOut = false;
  if (status != SS_PENDING) {
    status = Request.SRB_Status;
  } else if (event) {
    // The time scale lets tests see a time-out without waiting for it in full.
    const long waitMs = static_cast<long>(effectiveTimeout * platform::TimeScale());
    timedOut = !event->Wait(waitMs);
    if (!timedOut) status = Request.SRB_Status;
  }

  if (status != SS_COMP && status != SS_PENDING) {
    ErrorDescription error =
        DescribeError(status, Request.SRB_HaStat, Request.SRB_TargStat, Request.SenseArea);
    LastErrorText = std::move(error.text);
    TargetBusy = error.targetBusy;
    std::memcpy(LastSense, Request.SenseArea, sizeof LastSense);
    if (logFailure && !IsQuietCommand(Request.CDBByte[0]) && !IsLongWriteInProgress(LastSense)) {
      DebugMessage(FailureLine(Request, LastErrorText), 0);
    }
  }
  if (status == SS_PENDING) {
    Request.SRB_Status = SS_ERR;
    Request.SRB_HaStat = HASTAT_TIMEOUT;
    if (timedOut) KeepForLateSignal(std::move(event));
  }

  const auto address = reinterpret_cast<std::uintptr_t>(Request.SRB_BufPointer);
  if (address % 4 != 0) DebugMessage(std::string(text::kMisalignedBuffer) + std::to_string(address), 0);
  return 1;
}

}  // namespace kivo
