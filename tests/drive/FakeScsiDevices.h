// Drive nodes in memory, installed in place of the system's pass-through calls.
#pragma once

#include <scsi/sg.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
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

// How the next SG_IO other than INQUIRY ends.
struct SgIoReply {
  int error = 0;
  unsigned char status = 0;
  unsigned short hostStatus = 0;
  unsigned short driverStatus = 0;
  std::vector<unsigned char> sense;
};

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

  void CloseDrive(int handle) override { open_.erase(handle); }

  int SgIo(int handle, sg_io_hdr& request) override {
    const FakeNode& node = nodes_.at(open_.at(handle));
    const unsigned char* cdb = request.cmdp;
    if (cdb[0] == 0x12) {
      ++inquiries;
      if (node.inquiryFails) return EIO;
      auto* data = static_cast<unsigned char*>(request.dxferp);
      std::memset(data, 0, request.dxfer_len);
      data[0] = 5;
      std::memcpy(data + 8, node.identification.data(), 28);
      return 0;
    }
    last = request;
    lastCdb.assign(cdb, cdb + request.cmd_len);
    if (reply.error != 0) return reply.error;
    request.status = reply.status;
    request.host_status = reply.hostStatus;
    request.driver_status = reply.driverStatus;
    const bool bad = reply.status != 0 || reply.hostStatus != 0 || reply.driverStatus != 0;
    request.info = bad ? SG_INFO_CHECK : SG_INFO_OK;
    const auto senseBytes = std::min<std::size_t>(reply.sense.size(), request.mx_sb_len);
    if (senseBytes > 0) std::memcpy(request.sbp, reply.sense.data(), senseBytes);
    request.sb_len_wr = static_cast<unsigned char>(senseBytes);
    return 0;
  }

  std::optional<platform::ScsiAddress> GetAddress(int handle) override {
    return nodes_.at(open_.at(handle)).address;
  }

  std::size_t OpenHandles() const { return open_.size(); }

  SgIoReply reply;
  sg_io_hdr last{};
  std::vector<unsigned char> lastCdb;
  int inquiries = 0;
  int opens = 0;

 private:
  std::vector<FakeNode> nodes_;
  std::map<int, std::size_t> open_;
  int nextHandle_ = 3;
};

}  // namespace kivo::testing
