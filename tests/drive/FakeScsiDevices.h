// Drive nodes in memory, installed in place of the system's pass-through calls: SG_IO on Linux,
// IOCTL_SCSI_PASS_THROUGH_DIRECT on Windows, both answered by the same nodes.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>
#else
#include <scsi/sg.h>
#endif

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/platform/ScsiPassThrough.h"

namespace kivo::testing {

struct FakeNode {
  std::string label;
  int openError = 0;  // errno of every open, 0 to open
  std::optional<platform::ScsiAddress> address;
  bool inquiryFails = false;
  std::string identification = "KIVO    FAKE DRIVE      1.00";  // vendor, product, revision
};

// How the next command other than INQUIRY ends. The host and driver statuses are SG_IO's alone:
// the Windows request has no place for them.
struct SgIoReply {
  int error = 0;
  unsigned char status = 0;
  unsigned short hostStatus = 0;
  unsigned short driverStatus = 0;
  std::vector<unsigned char> sense;
};

// One command as it reached the node.
struct SentCommand {
  std::vector<unsigned char> cdb;
  platform::ScsiDirection direction = platform::ScsiDirection::None;
  unsigned length = 0;
  std::vector<unsigned char> dataOut;  // what the host sent with a data-out command
};

// Shapes the reply to one command: fills the host's data (length bytes) and returns how the
// command ends.
using Responder = std::function<SgIoReply(const std::vector<unsigned char>& cdb, unsigned char* data,
                                          unsigned length)>;

class FakeScsiDevices final : public platform::ScsiDeviceOps {
 public:
  explicit FakeScsiDevices(std::vector<FakeNode> nodes) : nodes_(std::move(nodes)) {
    platform::InstallScsiDeviceOps(this);
  }
  ~FakeScsiDevices() override { platform::InstallScsiDeviceOps(nullptr); }

  std::vector<platform::DriveNode> ListDriveNodes() override {
    std::vector<platform::DriveNode> list;
    for (const auto& node : nodes_) list.push_back({"/dev/" + node.label, node.label});
    return list;
  }

  int OpenDrive(const std::string& path, int* error) override {
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      if ("/dev/" + nodes_[i].label != path) continue;
      if (nodes_[i].openError != 0) {
        if (error != nullptr) *error = nodes_[i].openError;
        return -1;
      }
      const int handle = nextHandle_++;
      open_[handle] = i;
      ++opens;
      return handle;
    }
    if (error != nullptr) *error = ENOENT;
    return -1;
  }

  void CloseDrive(int handle) override {
    open_.erase(handle);
    claims_.erase(handle);
  }

  int ClaimDrive(const std::string& path, int* error) override {
    if (claimedElsewhere.contains(path)) {
      *error = EBUSY;
      return -1;
    }
    const int handle = nextHandle_++;
    claims_[handle] = path;
    return handle;
  }

#ifdef _WIN32
  int IoControl(int handle, unsigned long code, void* buffer, unsigned long size) override {
    if (code != IOCTL_SCSI_PASS_THROUGH_DIRECT || size < sizeof(SCSI_PASS_THROUGH_DIRECT)) return EINVAL;
    auto& request = *static_cast<SCSI_PASS_THROUGH_DIRECT*>(buffer);
    const platform::ScsiDirection direction = request.DataIn == SCSI_IOCTL_DATA_IN    ? platform::ScsiDirection::In
                                              : request.DataIn == SCSI_IOCTL_DATA_OUT ? platform::ScsiDirection::Out
                                                                                      : platform::ScsiDirection::None;
    auto* data = static_cast<unsigned char*>(request.DataBuffer);
    SgIoReply answer;
    if (const int error = Answer(handle, request.Cdb, request.CdbLength, direction,
                                 data, request.DataTransferLength, answer)) {
      return error;
    }
    request.ScsiStatus = answer.status;
    const auto senseBytes = std::min<std::size_t>(answer.sense.size(), request.SenseInfoLength);
    if (senseBytes > 0) std::memcpy(static_cast<unsigned char*>(buffer) + request.SenseInfoOffset, answer.sense.data(), senseBytes);
    return 0;
  }
#else
  int SgIo(int handle, sg_io_hdr& request) override {
    const platform::ScsiDirection direction = request.dxfer_direction == SG_DXFER_FROM_DEV ? platform::ScsiDirection::In
                                              : request.dxfer_direction == SG_DXFER_TO_DEV ? platform::ScsiDirection::Out
                                                                                           : platform::ScsiDirection::None;
    if (request.cmdp[0] != 0x12) last = request;
    SgIoReply answer;
    if (const int error = Answer(handle, request.cmdp, request.cmd_len, direction,
                                 static_cast<unsigned char*>(request.dxferp), request.dxfer_len, answer)) {
      return error;
    }
    request.status = answer.status;
    request.host_status = answer.hostStatus;
    request.driver_status = answer.driverStatus;
    const bool bad = answer.status != 0 || answer.hostStatus != 0 || answer.driverStatus != 0;
    request.info = bad ? SG_INFO_CHECK : SG_INFO_OK;
    const auto senseBytes = std::min<std::size_t>(answer.sense.size(), request.mx_sb_len);
    if (senseBytes > 0) std::memcpy(request.sbp, answer.sense.data(), senseBytes);
    request.sb_len_wr = static_cast<unsigned char>(senseBytes);
    return 0;
  }
#endif

  std::optional<platform::ScsiAddress> GetAddress(int handle) override {
    return nodes_.at(open_.at(handle)).address;
  }

  std::size_t OpenHandles() const { return open_.size(); }
  std::set<std::string> ClaimedNodes() const {
    std::set<std::string> paths;
    for (const auto& [handle, path] : claims_) paths.insert(path);
    return paths;
  }

  SgIoReply reply;
  Responder responder;  // when set, it answers instead of reply
  std::vector<SentCommand> sent;
#ifndef _WIN32
  sg_io_hdr last{};  // the last request other than INQUIRY, as SG_IO received it
#endif
  std::vector<unsigned char> lastCdb;
  int inquiries = 0;
  int opens = 0;
  std::set<std::string> claimedElsewhere;  // nodes another program holds

 private:
  // One command on an open node, whichever system call carried it: INQUIRY is answered from the
  // node's identity, every other command is recorded and answered by the reply or the
  // responder. Returns the errno of a command that did not reach the drive, else 0 with the
  // answer filled in.
  int Answer(int handle, const unsigned char* cdb, unsigned cdbLength, platform::ScsiDirection direction,
             unsigned char* data, unsigned length, SgIoReply& answer) {
    const FakeNode& node = nodes_.at(open_.at(handle));
    if (cdb[0] == 0x12) {
      ++inquiries;
      if (node.inquiryFails) return EIO;
      std::memset(data, 0, length);
      data[0] = 5;
      std::memcpy(data + 8, node.identification.data(), 28);
      return 0;
    }
    lastCdb.assign(cdb, cdb + cdbLength);
    std::vector<unsigned char> dataOut;
    if (direction == platform::ScsiDirection::Out) dataOut.assign(data, data + length);
    sent.push_back({lastCdb, direction, length, std::move(dataOut)});
    answer = responder ? responder(lastCdb, data, length) : reply;
    return answer.error;
  }

  std::vector<FakeNode> nodes_;
  std::map<int, std::size_t> open_;
  std::map<int, std::string> claims_;  // this process's claims by handle
  int nextHandle_ = 3;
};

}  // namespace kivo::testing
