#include "virtualdrive/aspi/AspiManager.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "virtualdrive/Strings.h"

namespace kivo::vdrive {
namespace {

constexpr std::uint8_t kHostAdapter = 0;
constexpr std::uint8_t kInitiatorId = 7;
constexpr std::uint8_t kMaxTargets = 8;
constexpr std::uint32_t kMaxTransfer = 0x100000;
constexpr std::uint8_t kDriveLetterOffset = 'V' - 'A';

// The host may poll the status while the worker completes the request: publish it last.
void Publish(std::uint8_t& status, std::uint8_t value) {
  std::atomic_ref<std::uint8_t>(status).store(value, std::memory_order_release);
}

void PutText(std::uint8_t (&field)[16], std::string_view text) {
  std::memset(field, ' ', sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), sizeof field));
}

// The one drive sits at adapter 0, target 0, LUN 0; 0 when the address names it.
std::uint8_t Address(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun) {
  if (adapter != kHostAdapter) return SS_INVALID_HA;
  return target != 0 || lun != 0 ? SS_NO_DEVICE : 0;
}

DataDirection DirectionOf(std::uint8_t flags) {
  switch (flags & (SRB_DIR_IN | SRB_DIR_OUT)) {
    case SRB_DIR_IN: return DataDirection::In;
    case SRB_DIR_OUT: return DataDirection::Out;
    default: return DataDirection::None;
  }
}

}  // namespace

AspiManager::AspiManager(std::unique_ptr<VirtualRecorder> recorder)
    : recorder_(std::move(recorder)), worker_([this] { Work(); }) {}

AspiManager::~AspiManager() {
  {
    std::lock_guard guard(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

std::uint32_t AspiManager::Send(void* block) {
  if (!block) return SS_INVALID_SRB;
  auto* header = static_cast<SRB_Header*>(block);
  switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: return HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(block));
    case SC_EXEC_SCSI_CMD: return ExecuteScsi(*static_cast<SRB_ExecSCSICmd*>(block));
    case SC_GET_DISK_INFO: return DiskInfo(*static_cast<SRB_GetDiskInfo*>(block));
    case SC_ABORT_SRB:
      // Requests run to their end; nothing can be taken back.
      header->SRB_Status = SS_ABORT_FAIL;
      return SS_ABORT_FAIL;
    default:
      header->SRB_Status = SS_INVALID_CMD;
      return SS_INVALID_CMD;
  }
}

std::uint32_t AspiManager::HostAdapterInquiry(SRB_HAInquiry& srb) {
  if (srb.SRB_HaId != kHostAdapter) {
    srb.SRB_Status = SS_INVALID_HA;
    return SS_INVALID_HA;
  }
  srb.HA_Count = 1;
  srb.HA_SCSI_ID = kInitiatorId;
  PutText(srb.HA_ManagerId, text::kAspiManager);
  PutText(srb.HA_Identifier, text::kAspiAdapter);
  std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
  srb.HA_Unique[3] = kMaxTargets;
  srb.HA_Unique[4] = static_cast<std::uint8_t>(kMaxTransfer);
  srb.HA_Unique[5] = static_cast<std::uint8_t>(kMaxTransfer >> 8);
  srb.HA_Unique[6] = static_cast<std::uint8_t>(kMaxTransfer >> 16);
  srb.HA_Unique[7] = static_cast<std::uint8_t>(kMaxTransfer >> 24);
  srb.SRB_Status = SS_COMP;
  return SS_COMP;
}

std::uint32_t AspiManager::DiskInfo(SRB_GetDiskInfo& srb) {
  if (const std::uint8_t refused = Address(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun)) {
    srb.SRB_Status = refused;
    return refused;
  }
  srb.SRB_DriveFlags = 0;
  srb.SRB_Int13HDriveInfo = kDriveLetterOffset;
  srb.SRB_Heads = 0;
  srb.SRB_Sectors = 0;
  srb.SRB_Status = SS_COMP;
  return SS_COMP;
}

std::uint32_t AspiManager::ExecuteScsi(SRB_ExecSCSICmd& srb) {
  if (const std::uint8_t refused = Address(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun)) {
    srb.SRB_Status = refused;
    return refused;
  }
  if (srb.SRB_CDBLen == 0 || srb.SRB_CDBLen > sizeof srb.CDBByte || (srb.SRB_BufLen && !srb.SRB_BufPointer)) {
    srb.SRB_Status = SS_INVALID_SRB;
    return SS_INVALID_SRB;
  }
  if (!(srb.SRB_Flags & SRB_EVENT_NOTIFY)) {
    Run(srb);
    return srb.SRB_Status;
  }
  Publish(srb.SRB_Status, SS_PENDING);
  {
    std::lock_guard guard(mutex_);
    queue_.push_back(&srb);
  }
  wake_.notify_one();
  return SS_PENDING;
}

void AspiManager::Run(SRB_ExecSCSICmd& srb) {
  ScsiRequest request;
  request.cdb = srb.CDBByte;
  request.cdbLength = srb.SRB_CDBLen;
  request.direction = DirectionOf(srb.SRB_Flags);
  request.data = srb.SRB_BufPointer;
  request.dataLength = srb.SRB_BufLen;
  const ScsiResult result = recorder_->Execute(request);
  ReportProblemOnce();

  const std::size_t senseLength = std::min<std::size_t>(srb.SRB_SenseLen, sizeof srb.SenseArea);
  std::memset(srb.SenseArea, 0, senseLength);
  if (result.status == ScsiStatus::CheckCondition)
    std::memcpy(srb.SenseArea, result.sense.data(), std::min(senseLength, result.sense.size()));
  srb.SRB_HaStat = HASTAT_OK;
  srb.SRB_TargStat = static_cast<std::uint8_t>(result.status);
  Publish(srb.SRB_Status, result.ok() ? SS_COMP : SS_ERR);
}

void AspiManager::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping with nothing left
    SRB_ExecSCSICmd* srb = queue_.front();
    queue_.pop_front();
    lock.unlock();
    AspiEvent* event = srb->SRB_PostProc;
    Run(*srb);
    if (event && event->Signal) event->Signal(event);
    lock.lock();
  }
}

// A library has no window to show a problem in; standard error is where the host's user or
// test log will see it, once per distinct problem.
void AspiManager::ReportProblemOnce() {
  const std::string problem = recorder_->Problem();
  if (problem.empty() || problem == reportedProblem_) return;
  reportedProblem_ = problem;
  std::fprintf(stderr, "%s\n", problem.c_str());
}

}  // namespace kivo::vdrive
