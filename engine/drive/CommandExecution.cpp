// Sending one request to the selected drive and turning its outcome into the error state.
#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/drive/DriveCommand.h"
#include "engine/drive/ErrorText.h"
#include "engine/drive/FailureLine.h"
#include "engine/drive/SenseData.h"
#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "engine/platform/SystemError.h"

namespace kivo {

namespace {

constexpr unsigned kShortestTimeoutMs = 10'000;
bool IsLongWriteInProgress(const std::uint8_t* sense) {
  return sense[sensedata::kAsc] == sensedata::kAscNotReady && sense[sensedata::kAscq] == sensedata::kAscqLongWrite;
}

// A request the manager completes on its own thread travels as a copy with a data buffer of
// its own: one that times out may still be completed later, and the manager then writes the
// block, the data and the event. Such requests are kept for the life of the process so that
// the late completion lands in live memory instead of the caller's freed stack and buffer.
struct InFlight {
  SRB_ExecSCSICmd request{};
  std::unique_ptr<std::uint8_t[]> data;
  std::uint32_t capacity = 0;
  platform::ManualResetEvent event;
};

void KeepForLateCompletion(std::unique_ptr<InFlight> request) {
  static std::mutex mutex;
  static auto* kept = new std::vector<std::unique_ptr<InFlight>>;
  std::lock_guard guard(mutex);
  kept->push_back(std::move(request));
}

// Requests completed in time are used again, buffer and all: a long run of large transfers
// then neither allocates nor faults in fresh memory for each one.
class InFlightPool {
 public:
  static InFlightPool& Instance() {
    static auto* pool = new InFlightPool;
    return *pool;
  }

  std::unique_ptr<InFlight> Take() {
    std::lock_guard guard(mutex_);
    if (free_.empty()) return std::make_unique<InFlight>();
    auto request = std::move(free_.back());
    free_.pop_back();
    return request;
  }

  void Give(std::unique_ptr<InFlight> request) {
    std::lock_guard guard(mutex_);
    if (free_.size() < kKept) free_.push_back(std::move(request));
  }

 private:
  static constexpr std::size_t kKept = 4;  // one per drive a process commonly works with
  std::mutex mutex_;
  std::vector<std::unique_ptr<InFlight>> free_;
};

// Whether the caller's bytes must travel with the request: those going to the drive do, and so
// do those of a read the drive may fill only in part. A block read fills the whole buffer or
// fails, and its caller keeps nothing of the buffer's old bytes.
bool CarriesCallerBytes(const SRB_ExecSCSICmd& request) {
  return !(request.SRB_Flags & SRB_DIR_IN) || request.CDBByte[0] != kOpRead10;
}

std::unique_ptr<InFlight> DetachRequest(const SRB_ExecSCSICmd& request) {
  auto copy = InFlightPool::Instance().Take();
  copy->request = request;
  copy->event.Reset();
  copy->request.SRB_PostProc = &copy->event;
  const std::uint32_t length = request.SRB_BufLen;
  if (request.SRB_BufPointer != nullptr && length > 0) {
    if (copy->capacity < length) {
      copy->data = std::make_unique_for_overwrite<std::uint8_t[]>(length);
      copy->capacity = length;
    }
    if (CarriesCallerBytes(request)) std::memcpy(copy->data.get(), request.SRB_BufPointer, length);
    copy->request.SRB_BufPointer = copy->data.get();
  }
  return copy;
}

// The outcome of a completed copy, back in the caller's block and buffer.
void ReturnOutcome(const InFlight& copy, SRB_ExecSCSICmd& request) {
  std::uint8_t* callerBuffer = request.SRB_BufPointer;
  auto* callerEvent = request.SRB_PostProc;
  const std::uint32_t length = request.SRB_BufLen;
  request = copy.request;
  request.SRB_BufPointer = callerBuffer;
  request.SRB_PostProc = callerEvent;
  if ((request.SRB_Flags & SRB_DIR_IN) && callerBuffer != nullptr && length > 0) {
    std::memcpy(callerBuffer, copy.data.get(), length);
  }
}

}  // namespace

std::uint32_t TSCSIDevice::ExecuteCommand(SRB_ExecSCSICmd& Request, unsigned Timeout) {
  LastErrorText.clear();
  TargetBusy = false;
  std::memset(LastSense, 0, sizeof LastSense);
  if (!IsTransportLoaded() || HostAdapter == kNoDevice) return kNoTransportOrDevice;
  const bool logFailure = !ErrorLogLatch.exchange(true);

  Request.SRB_PostProc = nullptr;
  Request.SRB_Cmd = SC_EXEC_SCSI_CMD;
  Request.SRB_HaId = HostAdapter;
  Request.SRB_Target = Target;
  Request.SRB_Lun = Lun;
  Request.SRB_SenseLen = kSenseLength;
  Request.CDBByte[1] = static_cast<std::uint8_t>(((Lun & 7) << 5) | (Request.CDBByte[1] & 0x1F));
  const unsigned effectiveTimeout = std::max(Timeout, kShortestTimeoutMs);

  std::uint8_t status = 0;
  bool timedOut = false;
  int systemError = 0;
  if (Request.SRB_Flags & SRB_EVENT_NOTIFY) {
    std::unique_ptr<InFlight> copy = DetachRequest(Request);
    // The returned status is read rather than the block's: a manager completing on its own
    // thread writes the block until it signals.
    status = static_cast<std::uint8_t>(SendAspiRequest(&copy->request, effectiveTimeout, systemError));
    if (status == SS_PENDING) {
      // The time scale lets tests see a time-out without waiting for it in full.
      const long waitMs = static_cast<long>(effectiveTimeout * platform::TimeScale());
      timedOut = !copy->event.Wait(waitMs);
    }
    if (timedOut) {
      KeepForLateCompletion(std::move(copy));
    } else {
      ReturnOutcome(*copy, Request);
      InFlightPool::Instance().Give(std::move(copy));
      status = Request.SRB_Status;
    }
  } else {
    status = static_cast<std::uint8_t>(SendAspiRequest(&Request, effectiveTimeout, systemError));
    if (status != SS_PENDING) status = Request.SRB_Status;
  }

  if (status != SS_COMP && status != SS_PENDING) {
    ErrorDescription error =
        DescribeError(status, Request.SRB_HaStat, Request.SRB_TargStat, Request.SenseArea);
    LastErrorText = std::move(error.text);
    // The request never reached the drive: the drive's statuses say nothing, the system does.
    if (systemError != 0) {
      LastErrorText = fmt::sprintf(std::string(text::kSystemError), platform::SystemErrorText(systemError));
    }
    TargetBusy = error.targetBusy;
    std::memcpy(LastSense, Request.SenseArea, sizeof LastSense);
    if (logFailure && !IsQuietCommand(Request.CDBByte[0]) && !IsLongWriteInProgress(LastSense)) {
      DebugMessage(FailureLine(Request, LastErrorText), 0);
    }
  }
  if (status == SS_PENDING) {
    Request.SRB_Status = SS_ERR;
    Request.SRB_HaStat = HASTAT_TIMEOUT;
  }

  const auto address = reinterpret_cast<std::uintptr_t>(Request.SRB_BufPointer);
  if (address % 4 != 0) DebugMessage(std::string(text::kMisalignedBuffer) + std::to_string(address), 0);
  return 1;
}

}  // namespace kivo
