// SCSI pass-through to the optical drive nodes of the system (/dev/sr0 ... /dev/sr31 on Linux,
// through SG_IO; the drive letters whose type is CD-ROM on Windows, "\\.\E:", through
// IOCTL_SCSI_PASS_THROUGH_DIRECT). The raw system calls sit behind ScsiDeviceOps so that tests
// can put a fake drive in their place; ExecuteScsi builds the request and reads its outcome
// around them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sg_io_hdr;

namespace kivo::platform {

struct ScsiAddress {
  int host = 0;  // the kernel's host adapter number
  int channel = 0;
  int target = 0;
  int lun = 0;
};

struct DriveNode {
  std::string path;   // "/dev/sr0"; "\\.\E:" on Windows
  std::string label;  // "sr0"; the drive letter "E" on Windows
};

// The raw operations. Every call returns the system's errno on failure.
class ScsiDeviceOps {
 public:
  virtual ~ScsiDeviceOps() = default;
  // The drive nodes that exist, in number order.
  virtual std::vector<DriveNode> ListDriveNodes() = 0;
  // Read-write if allowed, else read-only; never blocks on a drive without medium.
  // Returns a handle >= 0, or -1 with *error set.
  virtual int OpenDrive(const std::string& path, int* error) = 0;
  virtual void CloseDrive(int handle) = 0;
  // Takes the node for this process alone, for as long as the returned handle is open (closed
  // with CloseDrive): an exclusive open, which a mounted disc or another recording program
  // also refuses, and an advisory lock against other processes of this program. Returns a
  // handle >= 0, or -1 with *error set; EBUSY means another program holds the node.
  virtual int ClaimDrive(const std::string& path, int* error) = 0;
#ifdef _WIN32
  // DeviceIoControl with one buffer as input and output (the pass-through request): 0, or the
  // errno value of a request that did not reach the drive.
  virtual int IoControl(int handle, unsigned long code, void* buffer, unsigned long size) = 0;
#else
  // The SG_IO ioctl: 0, or the errno of a request that did not reach the drive.
  virtual int SgIo(int handle, sg_io_hdr& request) = 0;
#endif
  virtual std::optional<ScsiAddress> GetAddress(int handle) = 0;
};

// The system's own operations.
ScsiDeviceOps& SystemScsiDeviceOps();
// The operations in use: the system's, unless a test installed others.
ScsiDeviceOps& CurrentScsiDeviceOps();
// Installs replacement operations (nullptr restores the system's). Call it while no command runs.
void InstallScsiDeviceOps(ScsiDeviceOps* replacement);

enum class ScsiDirection { None, In, Out };

// What went wrong between the host and the drive, apart from the drive's own status.
enum class ScsiTransportFault {
  None,
  Timeout,          // the command ran out of time
  Aborted,          // the kernel gave up on the command
  NotConnected,     // the drive could not be reached
  BusReset,
  Parity,
  Other,
};

struct ScsiCommand {
  const std::uint8_t* cdb = nullptr;
  std::uint8_t cdbLength = 0;
  ScsiDirection direction = ScsiDirection::None;
  void* data = nullptr;
  std::uint32_t dataLength = 0;
  std::uint8_t* sense = nullptr;  // filled by the drive on CHECK CONDITION
  std::uint8_t senseLength = 0;
  unsigned timeoutMs = 0;
};

struct ScsiOutcome {
  int error = 0;  // errno when the request did not reach the drive, else 0
  std::uint8_t status = 0;  // the drive's SCSI status byte
  ScsiTransportFault fault = ScsiTransportFault::None;

  bool Delivered() const { return error == 0; }
  bool Good() const { return error == 0 && status == 0 && fault == ScsiTransportFault::None; }
};

ScsiOutcome ExecuteScsi(int handle, const ScsiCommand& command);

}  // namespace kivo::platform
