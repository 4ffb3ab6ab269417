#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "tests/drive/FakeScsiDevices.h"

namespace kivo {
namespace {

using testing::FakeNode;
using testing::FakeScsiDevices;

constexpr std::uint8_t kReadDiscInfo = 0x51;

struct Messages {
  std::vector<std::string> lines;
  TOnDebugMsg Handler() {
    return [this](TSCSIDevice*, const std::string& text, std::uint8_t) { lines.push_back(text); };
  }
};

class PassThrough : public ::testing::Test {
 protected:
  void TearDown() override {
    ShutdownTransport();
    SetCloseAfterCommand(true);
  }

  void SelectOneDrive(TSCSIDevice& device) {
    ASSERT_TRUE(device.InitializeTransport(true, ""));
    ASSERT_EQ(device.DeviceList.size(), 1u);
    device.SelectDevice(device.DeviceList[0]);
    ASSERT_EQ(device.HostAdapter, 0);
  }

  static SRB_ExecSCSICmd Request(std::uint8_t flags, std::initializer_list<std::uint8_t> cdb,
                                 std::uint8_t* data, std::uint32_t length) {
    SRB_ExecSCSICmd request;
    std::memset(&request, 0, sizeof request);
    request.SRB_Flags = flags;
    request.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), request.CDBByte);
    request.SRB_BufPointer = data;
    request.SRB_BufLen = length;
    return request;
  }
};

TEST_F(PassThrough, DiscoversDrivesAndSaysOnceWhichNodeIsNotAccessible) {
#ifdef _WIN32
  GTEST_SKIP() << "the notes name Linux's nodes, the 'cdrom' group and SG_IO";
#endif
  FakeScsiDevices fake({
      {"sr0", 0, platform::ScsiAddress{3, 0, 0, 0}, false, "KIVO    DRIVE ZERO      1.00"},
      {"sr1", EACCES, std::nullopt, false, ""},
      {"sr2", 0, std::nullopt, false, "KIVO    NO ADDRESS      2.00"},
      {"sr3", 0, platform::ScsiAddress{3, 0, 1, 0}, true, ""},
      {"sr4", 0, platform::ScsiAddress{17, 0, 1, 0}, false, "KIVO    USB DRIVE       3.00"},
      {"sr5", ENXIO, std::nullopt, false, ""},
  });
  Messages messages;
  TSCSIDevice device;
  device.OnDebugMessage = messages.Handler();
  device.DoDebug = true;
  ASSERT_TRUE(device.InitializeTransport(true, ""));
  EXPECT_EQ(TransportName(), "KVASPI32");

  // Kernel hosts 3 and 17 become adapters 0 and 1; the drive without an address gets the
  // virtual adapter after them.
  EXPECT_EQ(device.DeviceList, (std::vector<std::string>{
                                   "0:0:0,sr0: KIVO    DRIVE ZERO      1.00",
                                   "1:1:0,sr4: KIVO    USB DRIVE       3.00",
                                   "2:0:0,sr2: KIVO    NO ADDRESS      2.00",
                               }));
  // Probing asked each openable node once; the scan's INQUIRYs were answered from the probe.
  EXPECT_EQ(fake.inquiries, 4);
  EXPECT_EQ(fake.OpenHandles(), 0u);

  int accessNotes = 0;
  for (const auto& line : messages.lines) {
    if (line.find("/dev/sr1") != std::string::npos) {
      ++accessNotes;
      EXPECT_NE(line.find("cdrom"), std::string::npos) << line;
      EXPECT_NE(line.find("Permission denied"), std::string::npos) << line;
    }
    EXPECT_EQ(line.find("/dev/sr5"), std::string::npos) << line;
  }
  EXPECT_EQ(accessNotes, 1);
  EXPECT_NE(std::find(messages.lines.begin(), messages.lines.end(), " KIVO ARDEL SG_IO (SPTI 2)"),
            messages.lines.end());

  Messages second;
  TSCSIDevice another;
  another.OnDebugMessage = second.Handler();
  ASSERT_TRUE(another.InitializeTransport(true, ""));
  EXPECT_TRUE(second.lines.empty());

  device.QueryHostAdapter(3);
  EXPECT_EQ(device.AdapterInquiry.SRB_Status, SS_INVALID_HA);
  EXPECT_LT(device.AdapterCount, 0);
  EXPECT_EQ(AspiSupportInfo(), 0x0103u);
}

#ifndef _WIN32  // the SG_IO request itself (the Windows one: tests/windows/ScsiPassThroughTest.cpp)
struct RequestCase {
  std::uint8_t flags;
  std::uint32_t length;
  int direction;
  unsigned transferred;
};

class PassThroughRequest : public PassThrough, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(PassThroughRequest, IsBuiltFromTheBlock) {
  FakeScsiDevices fake({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}}});
  TSCSIDevice device;
  SelectOneDrive(device);
  const RequestCase& c = GetParam();
  std::uint8_t data[64] = {};
  auto request = Request(c.flags, {kReadDiscInfo, 0x3F, 0, 0, 0, 0, 0, 0, 0x20, 0}, data, c.length);
  device.ExecuteCommand(request, 1000);

  EXPECT_EQ(fake.last.interface_id, 'S');
  EXPECT_EQ(fake.last.dxfer_direction, c.direction);
  EXPECT_EQ(fake.last.dxfer_len, c.transferred);
  EXPECT_EQ(fake.last.timeout, 10'000u);  // the engine's shortest time-out
  EXPECT_EQ(fake.last.mx_sb_len, 24);
  // The LUN bits of byte 1 are the selected LUN's.
  EXPECT_EQ(fake.lastCdb, (std::vector<unsigned char>{kReadDiscInfo, 0x1F, 0, 0, 0, 0, 0, 0, 0x20, 0}));
  EXPECT_EQ(request.SRB_Status, SS_COMP);
}

INSTANTIATE_TEST_SUITE_P(Directions, PassThroughRequest,
                         ::testing::Values(RequestCase{0x48, 32, SG_DXFER_FROM_DEV, 32},
                                           RequestCase{0x10, 16, SG_DXFER_TO_DEV, 16},
                                           RequestCase{0x00, 0, SG_DXFER_NONE, 0}));
#endif

struct OutcomeCase {
  testing::SgIoReply reply;
  std::uint8_t status, hostAdapterStatus, targetStatus;
  const char* text;
};

class PassThroughOutcome : public PassThrough, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(PassThroughOutcome, BecomesAspiStatuses) {
  FakeScsiDevices fake({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}}});
  TSCSIDevice device;
  SelectOneDrive(device);
  const OutcomeCase& c = GetParam();
#ifdef _WIN32
  // DRIVER_SENSE (0x08) only says that sense data came back, which the Windows request shows
  // by itself.
  if (c.reply.hostStatus != 0 || (c.reply.driverStatus & ~0x08) != 0) {
    GTEST_SKIP() << "host and driver statuses are SG_IO's";
  }
#endif
  fake.reply = c.reply;
  std::uint8_t data[32];
  auto request = Request(0x48, {kReadDiscInfo, 0, 0, 0, 0, 0, 0, 0, 0x20, 0}, data, sizeof data);
  device.ExecuteCommand(request, 1000);
  EXPECT_EQ(request.SRB_Status, c.status);
  EXPECT_EQ(request.SRB_HaStat, c.hostAdapterStatus);
  EXPECT_EQ(request.SRB_TargStat, c.targetStatus);
  EXPECT_EQ(device.LastErrorText, c.text);
  if (!c.reply.sense.empty()) {
    EXPECT_EQ(device.LastSense[12], c.reply.sense[12]);
  }
}

const std::vector<unsigned char> kNoMedium = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x00};

INSTANTIATE_TEST_SUITE_P(
    Outcomes, PassThroughOutcome,
    ::testing::Values(
        OutcomeCase{{}, SS_COMP, 0, 0, ""},
        OutcomeCase{{0, 0x02, 0, 0x08, kNoMedium}, SS_ERR, 0, 0x02, "NOT READY (MEDIUM NOT PRESENT)"},
        OutcomeCase{{0, 0x08, 0, 0, {}}, SS_ERR, 0, 0x08, "TARGET BUSY"},
        OutcomeCase{{0, 0, 0x03, 0, {}}, SS_ERR, 0x09, 0, "COMMAND TIMEOUT"},    // host: timed out
        OutcomeCase{{0, 0, 0, 0x06, {}}, SS_ERR, 0x09, 0, "COMMAND TIMEOUT"},    // driver: timed out
        OutcomeCase{{0, 0, 0x01, 0, {}}, SS_ERR, 0x11, 0, "SELECTION TIMEOUT"},  // no connection
        OutcomeCase{{0, 0, 0x08, 0, {}}, SS_ERR, 0x0E, 0, "BUS RESET"},
        OutcomeCase{{0, 0, 0x07, 0, {}}, SS_ERR, 0xFF, 0, "UNKNOWN"},            // host: error
        OutcomeCase{{EIO, 0, 0, 0, {}}, SS_ERR, 0, 0, "SYSTEM ERROR: Input/output error"}));  // never reached it

// Each command reaches SG_IO with its own time-out; the ones that may run as long as the whole
// disc takes get at least that long, since the kernel would abort them with the drive's work.
TEST_F(PassThrough, EachCommandGetsItsOwnTimeout) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the time-out from the SG_IO request (the Windows request's: ScsiPassThroughTest)";
#else
  FakeScsiDevices fake({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}}});
  TSCSIDevice device;
  SelectOneDrive(device);
  struct Case {
    const char* label;
    std::function<void()> send;
    unsigned timeoutMs;
  };
  std::vector<std::uint8_t> sector(2048);
  const std::vector<std::uint8_t> formatList(12);
  const std::vector<Case> cases = {
      {"TEST UNIT READY", [&] { device.TestUnitReady(kReadyTimeoutMs); }, 10'000},
      {"WRITE", [&] { device.WriteSectors(0, 1, sector); }, 120'000},
      {"SYNCHRONIZE CACHE", [&] { device.SynchronizeCache(120'000, false); }, 1'800'000},
      {"long SYNCHRONIZE CACHE", [&] { device.SynchronizeCache(3'600'000, true); }, 3'600'000},
      {"CLOSE TRACK/SESSION", [&] { device.CloseTrackSession(false, false, false); }, 1'800'000},
      {"FORMAT UNIT", [&] { device.FormatUnit(0x11, formatList); }, 7'200'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    c.send();
    EXPECT_EQ(fake.last.timeout, c.timeoutMs);
  }
#endif
}

TEST_F(PassThrough, HandleStaysOpenOnlyWhileCloseAfterCommandIsOff) {
  FakeScsiDevices fake({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}}});
  TSCSIDevice device;
  SelectOneDrive(device);
  auto send = [&] {
    auto request = Request(0, {0x00, 0, 0, 0, 0, 0}, nullptr, 0);
    device.ExecuteCommand(request, 1000);
    return request.SRB_Status;
  };
  const int opensBefore = fake.opens;
  ASSERT_EQ(send(), SS_COMP);
  EXPECT_EQ(fake.OpenHandles(), 0u);

  SetCloseAfterCommand(false);
  send();
  send();
  EXPECT_EQ(fake.OpenHandles(), 1u);
  EXPECT_EQ(fake.opens, opensBefore + 2);  // one for the first command, one kept for two

  SetCloseAfterCommand(true);
  EXPECT_EQ(fake.OpenHandles(), 1u);
  send();
  EXPECT_EQ(fake.OpenHandles(), 0u);
}

// Processes on one host are one initiator to the drive, so the pass-through claims the node
// itself and sends no RESERVE. The claim lasts through a reload of the transport (the erase
// reloads it while it still holds the drive) until it is released.
TEST_F(PassThrough, ClaimHoldsTheNodeAndANodeHeldElsewhereIsInUse) {
  FakeScsiDevices fake({{"sr0", 0, platform::ScsiAddress{0, 0, 0, 0}}});
  TSCSIDevice device;
  SelectOneDrive(device);
  fake.sent.clear();

  fake.claimedElsewhere = {"/dev/sr0"};
  EXPECT_FALSE(device.ClaimDrive());
  EXPECT_EQ(device.LastErrorText, "THE DRIVE IS IN USE BY ANOTHER PROGRAM");
  EXPECT_TRUE(fake.ClaimedNodes().empty());

  fake.claimedElsewhere.clear();
  EXPECT_TRUE(device.ClaimDrive());
  EXPECT_TRUE(device.ClaimDrive()) << "a second claim of the holder";
  EXPECT_EQ(fake.ClaimedNodes(), std::set<std::string>{"/dev/sr0"});
  ReloadTransport();
  EXPECT_EQ(fake.ClaimedNodes(), std::set<std::string>{"/dev/sr0"});
  device.ReleaseDrive();
  EXPECT_TRUE(fake.ClaimedNodes().empty());
  EXPECT_TRUE(fake.sent.empty()) << "no command reached the drive";
}

}  // namespace
}  // namespace kivo
