// The pass-through on Windows: drive letters whose root is a CD-ROM drive, opened with
// CreateFileA on "\\.\E:", and commands sent with IOCTL_SCSI_PASS_THROUGH_DIRECT.
#include "engine/platform/ScsiPassThrough.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "engine/platform/windows/Win32.h"

#include <winioctl.h>
#include <ntddscsi.h>

namespace kivo::platform {

namespace {

// The request and its sense area in one buffer, as the port driver wants them; the sense
// offset is counted from the start of the request.
struct PassThroughBuffer {
  SCSI_PASS_THROUGH_DIRECT request;
  std::uint8_t sense[32];
};

int ErrnoOfLastError() {
  const DWORD error = ::GetLastError();
  // A command that outlived its time-out is the drive's fault, not a refusal by the system.
  if (error == ERROR_SEM_TIMEOUT || error == ERROR_TIMEOUT) return ETIMEDOUT;
  return win32::ErrnoOf(error);
}

class WindowsScsiDeviceOps final : public ScsiDeviceOps {
 public:
  std::vector<DriveNode> ListDriveNodes() override {
    std::vector<DriveNode> nodes;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
      const char root[] = {letter, ':', '\\', '\0'};
      if (::GetDriveTypeA(root) != DRIVE_CDROM) continue;
      nodes.push_back({std::string("\\\\.\\") + letter + ":", std::string(1, letter)});
    }
    return nodes;
  }

  // Read and write, shared; else read only. No dialog for a drive without its medium.
  int OpenDrive(const std::string& path, int* error) override {
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      handle = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    const int err = handle == INVALID_HANDLE_VALUE ? win32::LastErrno() : 0;
    ::SetErrorMode(previous);
    if (handle == INVALID_HANDLE_VALUE) {
      if (error != nullptr) *error = err;
      return -1;
    }
    return win32::IntOfHandle(handle);
  }

  void CloseDrive(int handle) override {
    if (handle >= 0) ::CloseHandle(win32::HandleOfInt(handle));
  }

  // A handle that shares nothing: another program with the drive open (or a second recording
  // of ours) makes it fail with a sharing violation, which reads as EBUSY.
  int ClaimDrive(const std::string& path, int* error) override {
    const HANDLE handle =
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      *error = win32::LastErrno();
      return -1;
    }
    return win32::IntOfHandle(handle);
  }

  int IoControl(int handle, unsigned long code, void* buffer, unsigned long size) override {
    DWORD returned = 0;
    return ::DeviceIoControl(win32::HandleOfInt(handle), code, buffer, size, buffer, size, &returned, nullptr)
               ? 0
               : ErrnoOfLastError();
  }

  std::optional<ScsiAddress> GetAddress(int handle) override {
    SCSI_ADDRESS reply{};
    reply.Length = sizeof reply;
    DWORD returned = 0;
    if (!::DeviceIoControl(win32::HandleOfInt(handle), IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &reply, sizeof reply,
                           &returned, nullptr)) {
      return std::nullopt;
    }
    // The port number is the host adapter; the path id (the bus) is not used.
    ScsiAddress address;
    address.host = reply.PortNumber;
    address.channel = reply.PathId;
    address.target = reply.TargetId;
    address.lun = reply.Lun;
    return address;
  }
};

// The port driver takes whole seconds; a part of one still needs it.
ULONG TimeoutSeconds(unsigned timeoutMs) { return std::max<ULONG>(1, (timeoutMs + 999) / 1000); }

}  // namespace

ScsiDeviceOps& SystemScsiDeviceOps() {
  static WindowsScsiDeviceOps ops;
  return ops;
}

ScsiOutcome ExecuteScsi(int handle, const ScsiCommand& command) {
  PassThroughBuffer buffer{};
  SCSI_PASS_THROUGH_DIRECT& request = buffer.request;
  request.Length = sizeof request;
  // Path, target and LUN stay 0: the handle names the drive.
  request.CdbLength = std::min<UCHAR>(command.cdbLength, sizeof request.Cdb);
  request.SenseInfoLength = command.sense != nullptr ? std::min<UCHAR>(command.senseLength, sizeof buffer.sense) : 0;
  const bool transfers = command.direction != ScsiDirection::None && command.data != nullptr;
  switch (transfers ? command.direction : ScsiDirection::None) {
    case ScsiDirection::In: request.DataIn = SCSI_IOCTL_DATA_IN; break;
    case ScsiDirection::Out: request.DataIn = SCSI_IOCTL_DATA_OUT; break;
    case ScsiDirection::None: request.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED; break;
  }
  request.DataTransferLength = transfers ? command.dataLength : 0;
  request.DataBuffer = transfers ? command.data : nullptr;
  request.TimeOutValue = TimeoutSeconds(command.timeoutMs);
  request.SenseInfoOffset = offsetof(PassThroughBuffer, sense);
  std::memcpy(request.Cdb, command.cdb, request.CdbLength);

  ScsiOutcome outcome;
  outcome.error = CurrentScsiDeviceOps().IoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, &buffer, sizeof buffer);
  if (outcome.error == ETIMEDOUT) {
    outcome.error = 0;
    outcome.fault = ScsiTransportFault::Timeout;
    return outcome;
  }
  if (outcome.error != 0) return outcome;
  outcome.status = request.ScsiStatus;
  if (outcome.status != 0 && request.SenseInfoLength > 0) {
    std::memcpy(command.sense, buffer.sense, request.SenseInfoLength);
  }
  return outcome;
}

}  // namespace kivo::platform
