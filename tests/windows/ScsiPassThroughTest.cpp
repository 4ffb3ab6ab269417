// The pass-through request block as the port driver receives it, against a fake DeviceIoControl.
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#include "engine/platform/ScsiPassThrough.h"

namespace kivo::platform {
namespace {

// What reached DeviceIoControl, and how the fake drive answers.
class FakeIoControl final : public ScsiDeviceOps {
 public:
  FakeIoControl() { InstallScsiDeviceOps(this); }
  ~FakeIoControl() override { InstallScsiDeviceOps(nullptr); }

  std::vector<DriveNode> ListDriveNodes() override { return {}; }
  int OpenDrive(const std::string&, int*) override { return 4; }
  void CloseDrive(int) override {}
  int ClaimDrive(const std::string&, int*) override { return 4; }
  std::optional<ScsiAddress> GetAddress(int) override { return std::nullopt; }

  int IoControl(int handle, unsigned long code, void* buffer, unsigned long size) override {
    handle_ = handle;
    code_ = code;
    size_ = size;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::memcpy(&request_, bytes, sizeof request_);
    if (error_ != 0) return error_;
    auto& request = *static_cast<SCSI_PASS_THROUGH_DIRECT*>(buffer);
    request.ScsiStatus = status_;
    std::memcpy(bytes + request.SenseInfoOffset, sense_.data(), std::min<std::size_t>(sense_.size(), request.SenseInfoLength));
    return 0;
  }

  int handle_ = -1;
  unsigned long code_ = 0;
  unsigned long size_ = 0;
  SCSI_PASS_THROUGH_DIRECT request_{};
  int error_ = 0;
  UCHAR status_ = 0;
  std::vector<std::uint8_t> sense_;
};

struct RequestCase {
  const char* name;
  ScsiDirection direction;
  bool withData;
  unsigned timeoutMs;
  UCHAR dataIn;
  ULONG transferLength;
  ULONG timeoutSeconds;
};

class PassThroughRequest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(PassThroughRequest, IsBuiltFromTheCommand) {
  const RequestCase& c = GetParam();
  FakeIoControl fake;
  std::uint8_t cdb[10] = {0x28, 0, 0, 0, 0x10, 0, 0, 0, 1, 0};
  std::uint8_t data[2048] = {};
  std::uint8_t sense[24] = {};
  const ScsiCommand command{cdb, sizeof cdb, c.direction, c.withData ? data : nullptr, sizeof data, sense,
                            sizeof sense, c.timeoutMs};

  const ScsiOutcome outcome = ExecuteScsi(7, command);

  EXPECT_TRUE(outcome.Good());
  EXPECT_EQ(fake.handle_, 7);
  EXPECT_EQ(fake.code_, static_cast<unsigned long>(IOCTL_SCSI_PASS_THROUGH_DIRECT));
  const SCSI_PASS_THROUGH_DIRECT& r = fake.request_;
  EXPECT_EQ(r.Length, sizeof(SCSI_PASS_THROUGH_DIRECT));
  EXPECT_EQ(r.PathId, 0);
  EXPECT_EQ(r.TargetId, 0);
  EXPECT_EQ(r.Lun, 0);
  EXPECT_EQ(r.CdbLength, sizeof cdb);
  EXPECT_EQ(0, std::memcmp(r.Cdb, cdb, sizeof cdb));
  EXPECT_EQ(r.SenseInfoLength, sizeof sense);
  // The sense area follows the request within the buffer handed over.
  EXPECT_GE(r.SenseInfoOffset, sizeof(SCSI_PASS_THROUGH_DIRECT));
  EXPECT_GE(fake.size_, r.SenseInfoOffset + r.SenseInfoLength);
  EXPECT_EQ(r.DataIn, c.dataIn);
  EXPECT_EQ(r.DataTransferLength, c.transferLength);
  EXPECT_EQ(r.DataBuffer, c.transferLength != 0 ? data : nullptr);
  EXPECT_EQ(r.TimeOutValue, c.timeoutSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, PassThroughRequest,
    ::testing::Values(RequestCase{"In", ScsiDirection::In, true, 120'000, SCSI_IOCTL_DATA_IN, 2048, 120},
                      RequestCase{"Out", ScsiDirection::Out, true, 10'000, SCSI_IOCTL_DATA_OUT, 2048, 10},
                      RequestCase{"NoDirection", ScsiDirection::None, true, 1'500, SCSI_IOCTL_DATA_UNSPECIFIED, 0, 2},
                      RequestCase{"NoBuffer", ScsiDirection::In, false, 1, SCSI_IOCTL_DATA_UNSPECIFIED, 0, 1},
                      RequestCase{"WholeDisc", ScsiDirection::None, false, 7'200'000, SCSI_IOCTL_DATA_UNSPECIFIED, 0,
                                  7200}),
    [](const auto& info) { return std::string(info.param.name); });

struct OutcomeCase {
  const char* name;
  int error;
  UCHAR status;
  int wantError;
  std::uint8_t wantStatus;
  ScsiTransportFault wantFault;
  bool senseCopied;
};

class PassThroughOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(PassThroughOutcome, ComesFromTheAnswer) {
  const OutcomeCase& c = GetParam();
  FakeIoControl fake;
  fake.error_ = c.error;
  fake.status_ = c.status;
  fake.sense_ = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0};
  std::uint8_t cdb[6] = {0x00, 0, 0, 0, 0, 0};
  std::uint8_t sense[24] = {};
  const ScsiCommand command{cdb, sizeof cdb, ScsiDirection::None, nullptr, 0, sense, sizeof sense, 10'000};

  const ScsiOutcome outcome = ExecuteScsi(3, command);

  EXPECT_EQ(outcome.error, c.wantError);
  EXPECT_EQ(outcome.status, c.wantStatus);
  EXPECT_EQ(outcome.fault, c.wantFault);
  EXPECT_EQ(sense[12], c.senseCopied ? 0x24 : 0) << "the sense data reaches the caller only with CHECK CONDITION";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PassThroughOutcome,
    ::testing::Values(OutcomeCase{"Good", 0, 0, 0, 0, ScsiTransportFault::None, false},
                      OutcomeCase{"CheckCondition", 0, 2, 0, 2, ScsiTransportFault::None, true},
                      OutcomeCase{"Busy", 0, 8, 0, 8, ScsiTransportFault::None, true},
                      OutcomeCase{"Refused", EACCES, 0, EACCES, 0, ScsiTransportFault::None, false},
                      OutcomeCase{"TimedOut", ETIMEDOUT, 0, 0, 0, ScsiTransportFault::Timeout, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo::platform
