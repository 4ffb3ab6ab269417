#include "tests/drive/FakeAspi.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/platform/Aspi.h"

namespace {

struct Drive {
  std::uint8_t hostAdapter, target, lun;
  std::uint8_t inquiry[36];
  int labelIndex;
};

struct Result {
  std::uint8_t status = SS_COMP;
  std::uint8_t hostAdapterStatus = 0;
  std::uint8_t targetStatus = 0;
  std::uint8_t sense[kSenseAreaLength] = {};
};

std::mutex mutex;
std::vector<Drive> drives;
std::vector<std::thread> completions;
int completion = kFakeAspiSynchronous;
Result result;
std::uint8_t lastCdbByte1 = 0;

const Drive* Find(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  for (const auto& drive : drives) {
    if (drive.hostAdapter == hostAdapter && drive.target == target && drive.lun == lun) return &drive;
  }
  return nullptr;
}

std::uint8_t AdapterCount() {
  std::uint8_t count = 0;
  for (const auto& drive : drives) count = std::max<std::uint8_t>(count, drive.hostAdapter + 1);
  return count;
}

void Complete(SRB_ExecSCSICmd& block, const Drive& drive, const Result& outcome) {
  if (block.CDBByte[0] == 0x12) {
    std::memcpy(block.SRB_BufPointer, drive.inquiry, std::min<std::uint32_t>(36, block.SRB_BufLen));
    block.SRB_Status = SS_COMP;
    return;
  }
  block.SRB_HaStat = outcome.hostAdapterStatus;
  block.SRB_TargStat = outcome.targetStatus;
  std::memcpy(block.SenseArea, outcome.sense, block.SRB_SenseLen);
  if (outcome.status == SS_COMP && block.SRB_BufPointer != nullptr) {
    std::memset(block.SRB_BufPointer, 0xA5, block.SRB_BufLen);
  }
  block.SRB_Status = outcome.status;
}

std::uint32_t Execute(SRB_ExecSCSICmd& block) {
  const Drive* drive = Find(block.SRB_HaId, block.SRB_Target, block.SRB_Lun);
  if (drive == nullptr) return block.SRB_Status = SS_NO_DEVICE;
  lastCdbByte1 = block.CDBByte[1];
  const bool deferred = (block.SRB_Flags & SRB_EVENT_NOTIFY) != 0 && completion != kFakeAspiSynchronous;
  if (!deferred && completion != kFakeAspiNever) {
    Complete(block, *drive, result);
    return block.SRB_Status;
  }
  block.SRB_Status = SS_PENDING;
  if (completion == kFakeAspiAsynchronous) {
    completions.emplace_back([&block, copy = *drive, outcome = result] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      Complete(block, copy, outcome);
      block.SRB_PostProc->Signal(block.SRB_PostProc);
    });
  }
  return SS_PENDING;
}

}  // namespace

extern "C" {

FAKE_ASPI_ENTRY std::uint32_t SendASPI32Command(void* srb) {
  std::lock_guard guard(mutex);
  auto* header = static_cast<SRB_Header*>(srb);
  switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: {
      auto& block = *static_cast<SRB_HAInquiry*>(srb);
      block.HA_Count = AdapterCount();
      if (block.SRB_HaId >= block.HA_Count) return block.SRB_Status = SS_INVALID_HA;
      std::memcpy(block.HA_ManagerId, "FAKE MANAGER", 12);
      std::memcpy(block.HA_Identifier, "FAKE ADAPTER", 12);
      return block.SRB_Status = SS_COMP;
    }
    case SC_EXEC_SCSI_CMD: return Execute(*static_cast<SRB_ExecSCSICmd*>(srb));
    case SC_GET_DISK_INFO: {
      auto& block = *static_cast<SRB_GetDiskInfo*>(srb);
      const Drive* drive = Find(block.SRB_HaId, block.SRB_Target, block.SRB_Lun);
      if (drive == nullptr || drive->labelIndex < 0) return block.SRB_Status = SS_NO_DEVICE;
      block.SRB_Int13HDriveInfo = static_cast<std::uint8_t>(drive->labelIndex);
      return block.SRB_Status = SS_COMP;
    }
    default: return header->SRB_Status = SS_INVALID_CMD;
  }
}

FAKE_ASPI_ENTRY std::uint32_t GetASPI32SupportInfo() {
  std::lock_guard guard(mutex);
  return (static_cast<std::uint32_t>(SS_COMP) << 8) | AdapterCount();
}

void FakeAspiReset() {
  std::vector<std::thread> pending;
  {
    std::lock_guard guard(mutex);
    pending.swap(completions);
  }
  for (auto& thread : pending) thread.join();
  std::lock_guard guard(mutex);
  drives.clear();
  completion = kFakeAspiSynchronous;
  result = Result{};
  lastCdbByte1 = 0;
}

void FakeAspiAddDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun,
                      std::uint8_t peripheralType, const char* identification28, int labelIndex) {
  std::lock_guard guard(mutex);
  Drive drive{hostAdapter, target, lun, {}, labelIndex};
  drive.inquiry[0] = peripheralType;
  std::memcpy(drive.inquiry + 8, identification28, 28);
  drives.push_back(drive);
}

void FakeAspiSetCompletion(int mode) {
  std::lock_guard guard(mutex);
  completion = mode;
}

void FakeAspiSetResult(std::uint8_t status, std::uint8_t hostAdapterStatus, std::uint8_t targetStatus,
                       const std::uint8_t* sense) {
  std::lock_guard guard(mutex);
  result.status = status;
  result.hostAdapterStatus = hostAdapterStatus;
  result.targetStatus = targetStatus;
  std::memcpy(result.sense, sense, sizeof result.sense);
}

std::uint8_t FakeAspiLastCdbByte1() {
  std::lock_guard guard(mutex);
  return lastCdbByte1;
}

}  // extern "C"
