#include "engine/drive/PassThroughTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fmt/printf.h>

#include "engine/drive/Strings.h"
#include "engine/drive/Transport.h"
#include "engine/platform/Aspi.h"
#include "engine/platform/ScsiPassThrough.h"
#include "engine/platform/SystemError.h"

namespace kivo {

namespace {

constexpr unsigned kPassThroughTimeoutMs = 120'000;
constexpr std::uint8_t kProbeInquiryLength = 96;
constexpr std::uint8_t kProbeSenseLength = 24;
constexpr std::size_t kInquiryAnswerLength = 36;  // what an INQUIRY is answered with from the table
constexpr std::uint8_t kOpInquiry = 0x12;
constexpr std::uint8_t kOpFormatUnit = 0x04;
constexpr std::uint8_t kOpSynchronizeCache = 0x35;
constexpr std::uint8_t kOpCloseTrackSession = 0x5B;
constexpr std::uint8_t kOpBlank = 0xA1;
// Addresses the upper layers can scan and select: single digits, targets and LUNs 0..7.
constexpr int kMaxTarget = 7;
constexpr int kMaxLun = 7;
constexpr int kTargetsPerAdapter = 8;
// A transport fault that has no ASPI word of its own.
constexpr std::uint8_t kHostAdapterUnrecognised = 0xFF;
constexpr std::size_t kSenseBufferLength = 32;

std::uint8_t HostAdapterStatus(platform::ScsiTransportFault fault) {
  using platform::ScsiTransportFault;
  switch (fault) {
    case ScsiTransportFault::None: return HASTAT_OK;
    case ScsiTransportFault::Timeout: return HASTAT_TIMEOUT;
    case ScsiTransportFault::Aborted: return 0x0B;       // SRB TIMEOUT
    case ScsiTransportFault::NotConnected: return 0x11;  // SELECTION TIMEOUT
    case ScsiTransportFault::BusReset: return 0x0E;
    case ScsiTransportFault::Parity: return 0x0F;
    case ScsiTransportFault::Other: return kHostAdapterUnrecognised;
  }
  return kHostAdapterUnrecognised;
}

// The kernel aborts a command that outlives its SG_IO time-out, and the drive's work with it,
// where an ASPI caller merely stops waiting and lets the command finish. So the commands that
// run as long as the whole disc takes, on a drive that does not return at once for IMMED, get
// at least that long whatever their caller would wait.
unsigned LongestRunMs(std::uint8_t opcode) {
  constexpr unsigned kWholeDiscMs = 2 * 60 * 60 * 1000;  // a full blank or format at the lowest speed
  constexpr unsigned kClosingMs = 30 * 60 * 1000;        // a close or flush that pads the disc
  switch (opcode) {
    case kOpBlank:
    case kOpFormatUnit: return kWholeDiscMs;
    case kOpCloseTrackSession:
    case kOpSynchronizeCache: return kClosingMs;
    default: return 0;
  }
}

void CopyPadded(std::uint8_t* field, std::size_t size, const std::string& value) {
  std::memset(field, 0, size);
  std::memcpy(field, value.data(), std::min(size, value.size()));
}

}  // namespace

PassThroughTransport::~PassThroughTransport() { Shutdown(); }

int PassThroughTransport::Scan(std::vector<std::string>& notes) {
  std::lock_guard guard(mutex_);
  if (scanned_) return 0;
  entries_.clear();
  adapterCount_ = 0;

  auto& ops = platform::CurrentScsiDeviceOps();
  std::vector<int> hosts;  // the kernel's host number per entry, -1 when unknown
  for (const auto& node : ops.ListDriveNodes()) {
    int error = 0;
    const int handle = ops.OpenDrive(node.path, &error);
    if (handle < 0) {
      // Other failures (no such device) mean there is no drive to miss.
      if (error == EACCES || error == EPERM) {
        notes.push_back(fmt::sprintf(std::string(text::kNodeNotOpened), node.path,
                                     platform::SystemErrorText(error)));
      }
      continue;
    }
    Entry entry;
    entry.path = node.path;
    entry.label = node.label;
    std::uint8_t cdb[6] = {kOpInquiry, 0, 0, 0, kProbeInquiryLength, 0};
    std::uint8_t reply[kProbeInquiryLength] = {};
    std::uint8_t sense[kProbeSenseLength] = {};
    platform::ScsiCommand inquiry{cdb, sizeof cdb, platform::ScsiDirection::In, reply, sizeof reply,
                                  sense, sizeof sense, kPassThroughTimeoutMs};
    const auto outcome = platform::ExecuteScsi(handle, inquiry);
    if (!outcome.Good()) {
      ops.CloseDrive(handle);
      continue;
    }
    std::copy_n(reply, entry.inquiry.size(), entry.inquiry.begin());
    const auto address = ops.GetAddress(handle);
    ops.CloseDrive(handle);
    if (address && address->target <= kMaxTarget && address->lun <= kMaxLun) {
      entry.target = static_cast<std::uint8_t>(address->target);
      entry.lun = static_cast<std::uint8_t>(address->lun);
      hosts.push_back(address->host);
    } else {
      entry.virtualAddress = true;
      hosts.push_back(-1);
    }
    entries_.push_back(std::move(entry));
  }
  AssignAddresses(hosts);
  scanned_ = true;
  return static_cast<int>(entries_.size());
}

// The kernel numbers host adapters as they appear (a USB drive plugged in twice gets a new,
// higher number), while adapter numbers here are single digits counted from 0. So the real
// host numbers are renumbered in ascending order; drives without a readable address then get
// virtual adapters after the real ones, with targets 0, 1, 2 ... in node order.
void PassThroughTransport::AssignAddresses(const std::vector<int>& hosts) {
  std::vector<int> realHosts;
  for (int host : hosts) {
    if (host >= 0) realHosts.push_back(host);
  }
  std::sort(realHosts.begin(), realHosts.end());
  realHosts.erase(std::unique(realHosts.begin(), realHosts.end()), realHosts.end());
  const int realCount = static_cast<int>(realHosts.size());

  int virtualCounter = 0;
  adapterCount_ = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry& entry = entries_[i];
    if (entry.virtualAddress) {
      entry.hostAdapter = static_cast<std::uint8_t>(realCount + virtualCounter / kTargetsPerAdapter);
      entry.target = static_cast<std::uint8_t>(virtualCounter % kTargetsPerAdapter);
      entry.lun = 0;
      ++virtualCounter;
    } else {
      const auto found = std::lower_bound(realHosts.begin(), realHosts.end(), hosts[i]);
      entry.hostAdapter = static_cast<std::uint8_t>(found - realHosts.begin());
    }
    adapterCount_ = std::max(adapterCount_, entry.hostAdapter + 1);
  }
}

void PassThroughTransport::Shutdown() {
  std::lock_guard guard(mutex_);
  for (auto& entry : entries_) {
    if (entry.handle >= 0) platform::CurrentScsiDeviceOps().CloseDrive(entry.handle);
  }
  entries_.clear();
  adapterCount_ = 0;
  scanned_ = false;
}

int PassThroughTransport::PresentCount() {
  std::lock_guard guard(mutex_);
  return static_cast<int>(entries_.size());
}

PassThroughTransport::Entry* PassThroughTransport::Find(std::uint8_t hostAdapter, std::uint8_t target,
                                                        std::uint8_t lun) {
  for (auto& entry : entries_) {
    if (entry.hostAdapter == hostAdapter && entry.target == target && entry.lun == lun) return &entry;
  }
  return nullptr;
}

std::uint32_t PassThroughTransport::SendASPI32Command(void* srb) {
  int systemError = 0;
  return SendRequest(srb, kPassThroughTimeoutMs, systemError);
}

std::uint32_t PassThroughTransport::SendRequest(void* srb, unsigned timeoutMs, int& systemError) {
  systemError = 0;
  if (srb == nullptr) return SS_ERR;
  auto* header = static_cast<SRB_Header*>(srb);
  std::lock_guard guard(mutex_);
  switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: header->SRB_Status = InquireAdapter(srb); break;
    case SC_EXEC_SCSI_CMD: header->SRB_Status = Execute(srb, timeoutMs, systemError); break;
    case SC_GET_DISK_INFO: header->SRB_Status = SS_PENDING; return SS_ERR;
    default: header->SRB_Status = SS_ERR; break;
  }
  return header->SRB_Status;
}

std::uint8_t PassThroughTransport::InquireAdapter(void* srb) {
  auto& block = *static_cast<SRB_HAInquiry*>(srb);
  block.HA_Count = static_cast<std::uint8_t>(adapterCount_);
  if (block.SRB_HaId >= adapterCount_) return SS_INVALID_HA;
  block.HA_SCSI_ID = 7;
  CopyPadded(block.HA_ManagerId, sizeof block.HA_ManagerId, std::string(text::kPassThroughManager));
  CopyPadded(block.HA_Identifier, sizeof block.HA_Identifier,
             fmt::sprintf(std::string(text::kPassThroughAdapter), block.SRB_HaId));
  std::memset(block.HA_Unique, 0, sizeof block.HA_Unique);
  block.HA_Unique[0] = 7;  // buffer alignment mask, little-endian word
  block.HA_Unique[3] = 8;  // maximum targets
  const std::uint32_t maxTransfer = 0x00FF0000;
  for (int i = 0; i < 4; ++i) block.HA_Unique[4 + i] = static_cast<std::uint8_t>(maxTransfer >> (8 * i));
  return SS_COMP;
}

std::uint8_t PassThroughTransport::Execute(void* srb, unsigned timeoutMs, int& systemError) {
  auto& block = *static_cast<SRB_ExecSCSICmd*>(srb);
  Entry* entry = Find(block.SRB_HaId, block.SRB_Target, block.SRB_Lun);
  if (entry == nullptr) return SS_NO_DEVICE;

  // The identity was read when the node was probed; asking again would only disturb a drive
  // that is busy recording.
  if (block.CDBByte[0] == kOpInquiry) {
    if (block.SRB_HaId >= adapterCount_) return SS_INVALID_HA;
    if (block.SRB_BufPointer != nullptr) {
      std::copy_n(entry->inquiry.begin(), std::min<std::size_t>(kInquiryAnswerLength, block.SRB_BufLen),
                  block.SRB_BufPointer);
    }
    return SS_COMP;
  }

  auto& ops = platform::CurrentScsiDeviceOps();
  int openError = ENODEV;
  if (entry->handle < 0) entry->handle = ops.OpenDrive(entry->path, &openError);

  platform::ScsiCommand command;
  command.cdb = block.CDBByte;
  command.cdbLength = std::min<std::uint8_t>(block.SRB_CDBLen, sizeof block.CDBByte);
  if (block.SRB_Flags & SRB_DIR_IN) {
    command.direction = platform::ScsiDirection::In;
  } else if (block.SRB_Flags & SRB_DIR_OUT) {
    command.direction = platform::ScsiDirection::Out;
  }
  command.data = block.SRB_BufPointer;
  command.dataLength = block.SRB_BufLen;
  std::uint8_t sense[kSenseBufferLength] = {};
  command.sense = sense;
  command.senseLength = static_cast<std::uint8_t>(std::min<std::size_t>(block.SRB_SenseLen, sizeof sense));
  command.timeoutMs = std::max(timeoutMs, LongestRunMs(block.CDBByte[0]));

  platform::ScsiOutcome outcome;
  if (entry->handle >= 0) {
    outcome = platform::ExecuteScsi(entry->handle, command);
  } else {
    outcome.error = openError;
  }
  systemError = outcome.error;

  std::uint8_t status = SS_COMP;
  if (!outcome.Good()) {
    status = SS_ERR;
    std::memcpy(block.SenseArea, sense, command.senseLength);
    block.SRB_TargStat = outcome.status;
    block.SRB_HaStat = HostAdapterStatus(outcome.fault);
  }
  if (CloseAfterCommand() && entry->handle >= 0) {
    ops.CloseDrive(entry->handle);
    entry->handle = -1;
  }
  return status;
}

std::uint32_t PassThroughTransport::GetASPI32SupportInfo() {
  std::lock_guard guard(mutex_);
  if (adapterCount_ == 0) return static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8;
  return (static_cast<std::uint32_t>(SS_COMP) << 8) | static_cast<std::uint8_t>(adapterCount_);
}

std::string PassThroughTransport::DriveLabel(std::uint8_t hostAdapter, std::uint8_t target,
                                             std::uint8_t lun) {
  std::lock_guard guard(mutex_);
  const Entry* entry = Find(hostAdapter, target, lun);
  return entry != nullptr ? entry->label : std::string();
}

DriveClaim PassThroughTransport::ClaimDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  std::lock_guard guard(mutex_);
  const Entry* entry = Find(hostAdapter, target, lun);
  if (entry == nullptr) return DriveClaim::NotPossible;
  if (claims_.contains(entry->path)) return DriveClaim::Held;
  int error = 0;
  const int handle = platform::CurrentScsiDeviceOps().ClaimDrive(entry->path, &error);
  if (handle >= 0) {
    claims_[entry->path] = handle;
    return DriveClaim::Held;
  }
  return error == EBUSY ? DriveClaim::InUse : DriveClaim::NotPossible;
}

void PassThroughTransport::ReleaseDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  std::lock_guard guard(mutex_);
  const Entry* entry = Find(hostAdapter, target, lun);
  if (entry == nullptr) return;
  if (const auto claim = claims_.find(entry->path); claim != claims_.end()) {
    platform::CurrentScsiDeviceOps().CloseDrive(claim->second);
    claims_.erase(claim);
  }
}

}  // namespace kivo
