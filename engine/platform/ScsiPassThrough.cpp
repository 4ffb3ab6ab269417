#include "engine/platform/ScsiPassThrough.h"

#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace kivo::platform {

namespace {

constexpr int kMaxDriveNodes = 32;

class LinuxScsiDeviceOps final : public ScsiDeviceOps {
 public:
  std::vector<DriveNode> ListDriveNodes() override {
    std::vector<DriveNode> nodes;
    for (int n = 0; n < kMaxDriveNodes; ++n) {
      DriveNode node{"/dev/sr" + std::to_string(n), "sr" + std::to_string(n)};
      if (access(node.path.c_str(), F_OK) == 0) nodes.push_back(std::move(node));
    }
    return nodes;
  }

  int OpenDrive(const std::string& path, int* error) override {
    int handle = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0 && error != nullptr) *error = errno;
    return handle;
  }

  void CloseDrive(int handle) override {
    if (handle >= 0) close(handle);
  }

  int ClaimDrive(const std::string& path, int* error) override {
    const int handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_EXCL | O_CLOEXEC);
    if (handle < 0) {
      *error = errno;
      return -1;
    }
    if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
      *error = errno == EWOULDBLOCK ? EBUSY : errno;
      close(handle);
      return -1;
    }
    return handle;
  }

  int SgIo(int handle, sg_io_hdr& request) override {
    return ioctl(handle, SG_IO, &request) == 0 ? 0 : errno;
  }

  std::optional<ScsiAddress> GetAddress(int handle) override {
    struct {
      int devId;
      int hostUniqueId;
    } idlun{};
    if (ioctl(handle, SCSI_IOCTL_GET_IDLUN, &idlun) != 0) return std::nullopt;
    ScsiAddress address;
    address.target = idlun.devId & 0xFF;
    address.lun = (idlun.devId >> 8) & 0xFF;
    address.channel = (idlun.devId >> 16) & 0xFF;
    // The host byte of the id is truncated to 8 bits; the bus number is the full one.
    int bus = 0;
    address.host = ioctl(handle, SCSI_IOCTL_GET_BUS_NUMBER, &bus) == 0
                       ? bus
                       : static_cast<int>((static_cast<unsigned>(idlun.devId) >> 24) & 0xFF);
    return address;
  }
};


// Linux host byte values (DID_*) and the driver byte's time-out suggestion.
constexpr unsigned kDidNoConnect = 0x01, kDidBusBusy = 0x02, kDidTimeOut = 0x03,
                   kDidBadTarget = 0x04, kDidAbort = 0x05, kDidParity = 0x06, kDidReset = 0x08;
constexpr unsigned kDriverTimeout = 0x06;

ScsiTransportFault HostFault(unsigned hostStatus) {
  switch (hostStatus) {
    case 0: return ScsiTransportFault::None;
    case kDidNoConnect:
    case kDidBusBusy:
    case kDidBadTarget: return ScsiTransportFault::NotConnected;
    case kDidTimeOut: return ScsiTransportFault::Timeout;
    case kDidAbort: return ScsiTransportFault::Aborted;
    case kDidParity: return ScsiTransportFault::Parity;
    case kDidReset: return ScsiTransportFault::BusReset;
    default: return ScsiTransportFault::Other;
  }
}

}  // namespace

ScsiDeviceOps& SystemScsiDeviceOps() {
  static LinuxScsiDeviceOps ops;
  return ops;
}

ScsiOutcome ExecuteScsi(int handle, const ScsiCommand& command) {
  sg_io_hdr request{};
  request.interface_id = 'S';
  switch (command.direction) {
    case ScsiDirection::In: request.dxfer_direction = SG_DXFER_FROM_DEV; break;
    case ScsiDirection::Out: request.dxfer_direction = SG_DXFER_TO_DEV; break;
    case ScsiDirection::None: request.dxfer_direction = SG_DXFER_NONE; break;
  }
  // A transfer without a direction cannot be expressed to SG_IO; send the command alone.
  const bool transfers = command.direction != ScsiDirection::None && command.data != nullptr;
  if (!transfers) request.dxfer_direction = SG_DXFER_NONE;
  request.cmd_len = command.cdbLength;
  request.cmdp = const_cast<unsigned char*>(command.cdb);
  request.dxfer_len = transfers ? command.dataLength : 0;
  request.dxferp = transfers ? command.data : nullptr;
  request.mx_sb_len = command.sense != nullptr ? command.senseLength : 0;
  request.sbp = command.sense;
  request.timeout = command.timeoutMs;

  ScsiOutcome outcome;
  outcome.error = CurrentScsiDeviceOps().SgIo(handle, request);
  if (outcome.error != 0) return outcome;
  outcome.status = request.status;
  if ((request.info & SG_INFO_OK_MASK) == SG_INFO_OK) return outcome;
  outcome.fault = HostFault(request.host_status);
  const unsigned driverSuggestion = request.driver_status & 0x0F;
  if (outcome.fault == ScsiTransportFault::None && driverSuggestion == kDriverTimeout) {
    outcome.fault = ScsiTransportFault::Timeout;
  } else if (outcome.fault == ScsiTransportFault::None && driverSuggestion != 0 && request.status == 0) {
    outcome.fault = ScsiTransportFault::Other;
  }
  return outcome;
}

}  // namespace kivo::platform
