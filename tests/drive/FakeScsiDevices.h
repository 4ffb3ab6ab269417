// Drive nodes in memory, installed in place of the system's pass-through calls.
#pragma once

#include <scsi/sg.h>

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

// How the next SG_IO other than INQUIRY ends.
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
  int direction = SG_DXFER_NONE;
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
    std::vector<unsigned char> dataOut;
    if (request.dxfer_direction == SG_DXFER_TO_DEV) {
      const auto* bytes = static_cast<const unsigned char*>(request.dxferp);
      dataOut.assign(bytes, bytes + request.dxfer_len);
    }
    sent.push_back({lastCdb, request.dxfer_direction, request.dxfer_len, std::move(dataOut)});
    const SgIoReply answer =
        responder ? responder(lastCdb, static_cast<unsigned char*>(request.dxferp), request.dxfer_len) : reply;
    if (answer.error != 0) return answer.error;
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
  sg_io_hdr last{};
  std::vector<unsigned char> lastCdb;
  int inquiries = 0;
  int opens = 0;
  std::set<std::string> claimedElsewhere;  // nodes another program holds

 private:
  std::vector<FakeNode> nodes_;
  std::map<int, std::size_t> open_;
  std::map<int, std::string> claims_;  // this process's claims by handle
  int nextHandle_ = 3;
};

}  // namespace kivo::testing
