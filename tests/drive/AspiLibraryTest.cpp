#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/drive/AspiLibraryTransport.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"
#include "tests/drive/FakeAspi.h"
#include "tests/drive/FakeScsiDevices.h"

namespace kivo {
namespace {

constexpr char kDrive[] = "KIVO    LIBRARY DRIVE   1.00";
constexpr std::uint8_t kSynchronizeCache = 0x35;
constexpr std::uint8_t kWrite10 = 0x2A;

std::array<std::uint8_t, kSenseAreaLength> Sense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  std::array<std::uint8_t, kSenseAreaLength> sense{};
  sense[0] = 0x70;
  sense[2] = key;
  sense[7] = 10;
  sense[12] = asc;
  sense[13] = ascq;
  return sense;
}

// The library is the only transport: the pass-through sees no drive nodes.
class AspiLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeAspiReset();
    ASSERT_TRUE(LoadTransport(false, FAKE_ASPI_PATH));
    device.OnDebugMessage = [this](TSCSIDevice*, const std::string& text, std::uint8_t) {
      messages.push_back(text);
    };
  }
  void TearDown() override {
    FakeAspiReset();
    ShutdownTransport();
    platform::SetTimeScale(1.0);
  }

  void Select(const char* identification = kDrive) {
    FakeAspiAddDrive(0, 0, 0, 5, identification, 'F' - 'A');
    device.SelectDevice("0:0:0,F: x");
    ASSERT_EQ(device.HostAdapter, 0);
    messages.clear();
  }

  std::uint8_t Send(std::uint8_t operationCode, std::uint8_t flags = SRB_EVENT_NOTIFY) {
    SRB_ExecSCSICmd request;
    std::memset(&request, 0, sizeof request);
    request.SRB_Flags = flags | SRB_DIR_IN;
    request.SRB_CDBLen = 10;
    request.CDBByte[0] = operationCode;
    request.SRB_BufPointer = data;
    request.SRB_BufLen = sizeof data;
    EXPECT_EQ(device.ExecuteCommand(request, 1000), 1u);
    hostAdapterStatus = request.SRB_HaStat;
    return request.SRB_Status;
  }

  testing::FakeScsiDevices noNodes{std::vector<testing::FakeNode>{}};
  TSCSIDevice device;
  std::vector<std::string> messages;
  alignas(4) std::uint8_t data[16] = {};
  std::uint8_t hostAdapterStatus = 0;
};

TEST_F(AspiLibrary, NeedsBothEntryPoints) {
  AspiLibraryTransport library;
  EXPECT_FALSE(library.LoadFrom(HALF_ASPI_PATH));
  EXPECT_FALSE(library.IsLoaded());
  EXPECT_TRUE(library.LoadFrom(FAKE_ASPI_PATH));
  EXPECT_EQ(TransportName(), "WNASPI32.DLL");

  // Preferring the pass-through changes nothing when it sees no drive.
  ShutdownTransport();
  EXPECT_TRUE(LoadTransport(true, FAKE_ASPI_PATH));
  EXPECT_EQ(TransportName(), "WNASPI32.DLL");
}

TEST_F(AspiLibrary, ListsCdAndWriteOnceDevicesWithTheirLabels) {
  FakeAspiAddDrive(0, 0, 0, 5, "KIVO    FIRST           1.00", 'F' - 'A');
  FakeAspiAddDrive(0, 1, 0, 4, "KIVO    WORM            0.10", -1);
  FakeAspiAddDrive(1, 0, 0, 0, "KIVO    DISK            9.99", 'C' - 'A');
  FakeAspiAddDrive(1, 2, 3, 5, "KIVO    LAST            2.00", 'V' - 'A');
  device.QueryHostAdapter(0);
  device.ScanDevices();
  EXPECT_EQ(device.DeviceList, (std::vector<std::string>{
                                   "0:0:0,F: KIVO    FIRST           1.00",
                                   "0:1:0,?: KIVO    WORM            0.10 (nije podržano)",
                                   "1:2:3,V: KIVO    LAST            2.00",
                               }));
  EXPECT_EQ(device.HostAdapter, kNoDevice);
}

TEST_F(AspiLibrary, SelectionAcceptsOnlyAnsweringOpticalDrives) {
  FakeAspiAddDrive(0, 0, 0, 5, kDrive, 'F' - 'A');
  FakeAspiAddDrive(0, 1, 0, 0, "KIVO    HARD DISK       1.00", -1);
  struct Case {
    std::string id;
    bool selected;
    bool logged;
  };
  const Case cases[] = {
      {"0:0:0,F: KIVO", true, false},
      {"0:0:0", true, false},
      {"", false, false},
      {"0:0", false, true},
      {"0:x:0", false, true},
      {"0:1:0", false, true},  // not an optical drive
      {"0:7:0", false, true},  // nothing answers: the last drive's reply must not count
      {std::string("0:0:0\0\xff", 7), true, false},
  };
  for (const auto& c : cases) {
    device.SelectDevice("0:0:0");
    messages.clear();
    device.SelectDevice(c.id);
    EXPECT_EQ(device.HostAdapter == 0, c.selected) << c.id;
    EXPECT_EQ(device.DeviceId, c.selected ? c.id : "") << c.id;
    EXPECT_EQ(messages.size(), c.logged ? 1u : 0u) << c.id;
    if (c.logged) {
      EXPECT_EQ(messages.at(0), "INVALID DEVICE ID / NOT A CD OR DVD DRIVE");
    }
  }
  EXPECT_EQ(device.DriveLetter(), "F");
}

TEST_F(AspiLibrary, SelectionSetsTheProductQuirks) {
  struct Case {
    std::string identification;  // vendor, product, revision: 28 bytes
    bool underrun, linkSize, slowReady, immediateClose, longFormat;
  };
  const Case cases[] = {
      {"KIVO    PLAIN DRIVE     1.00", false, false, false, true, false},
      {"PLEXTOR CD-W512EB       1.00", true, false, false, true, false},
      {"YAMAHA  CRX175E         1.00", false, true, false, true, false},
      {"SONY    CD-RW  CRX800E  1.00", false, true, false, true, false},
      {"MATSHITAUJDA750 DVD/CDRW1.00", false, false, true, true, false},
      {"TDK     CDRW321040X     1.00", false, false, true, false, false},
      {"PIONEERXDVD-RW  DVR-104 1.00", false, false, false, true, true},
      {"PIONEER DVD-RW  DVR-104X1.00", false, false, false, true, false},
      // Control characters read as blanks.
      {std::string("TDK\0\0\0\0\0CD-W512EB\0\0\0\0\0\0\0", 24) + "1.00", true, false, true, true, false},
  };
  for (const auto& c : cases) {
    FakeAspiReset();
    ASSERT_EQ(c.identification.size(), 28u);
    FakeAspiAddDrive(0, 0, 0, 5, c.identification.data(), 0);
    device.SelectDevice("0:0:0");
    ASSERT_EQ(device.HostAdapter, 0) << c.identification;
    EXPECT_EQ(device.UnderrunQuirk, c.underrun) << c.identification;
    EXPECT_EQ(device.LinkSizeQuirk, c.linkSize) << c.identification;
    EXPECT_EQ(SlowReadyQuirk.load(), c.slowReady) << c.identification;
    EXPECT_EQ(ImmediateCloseFlag.load(), c.immediateClose) << c.identification;
    EXPECT_EQ(device.LongFormatQuirk, c.longFormat) << c.identification;
  }
}

TEST_F(AspiLibrary, WaitsForAsynchronousCompletion) {
  Select();
  FakeAspiSetCompletion(kFakeAspiAsynchronous);
  EXPECT_EQ(Send(kWrite10), SS_COMP);
  EXPECT_EQ(data[0], 0xA5);
  EXPECT_EQ(device.LastErrorText, "");

  const auto sense = Sense(0x03, 0x0C, 0x00);
  FakeAspiSetResult(SS_ERR, 0, 0x02, sense.data());
  EXPECT_EQ(Send(kWrite10), SS_ERR);
  EXPECT_EQ(device.LastErrorText, "MEDIUM ERROR (WRITE ERROR)");
  EXPECT_EQ(device.LastSense[12], 0x0C);
}

TEST_F(AspiLibrary, RequestThatNeverCompletesTimesOut) {
  Select();
  platform::SetTimeScale(0.001);  // the 10 s minimum becomes 10 ms
  FakeAspiSetCompletion(kFakeAspiNever);
  for (std::uint8_t flags : {std::uint8_t{SRB_EVENT_NOTIFY}, std::uint8_t{0}}) {
    EXPECT_EQ(Send(kWrite10, flags), SS_ERR);
    EXPECT_EQ(hostAdapterStatus, HASTAT_TIMEOUT);
    EXPECT_EQ(device.LastErrorText, "");
  }
  EXPECT_TRUE(messages.empty());
}

// A manager may complete a request after the engine gave up on it; by then the caller's block
// and buffer are gone or reused, so the late completion must land in memory of the engine's.
TEST_F(AspiLibrary, LateCompletionNeverWritesIntoTheCallersBuffer) {
  Select();
  platform::SetTimeScale(0.0001);  // the wait ends long before the manager's 20 ms
  FakeAspiSetCompletion(kFakeAspiAsynchronous);
  EXPECT_EQ(Send(kWrite10), SS_ERR);
  EXPECT_EQ(hostAdapterStatus, HASTAT_TIMEOUT);
  FakeAspiReset();  // lets the late completion happen
  EXPECT_EQ(data[0], 0);
}

TEST_F(AspiLibrary, FailureLineOncePerUserOperation) {
  Select();
  const auto busy = Sense(0x02, 0x04, 0x08);  // long write in progress
  const auto failed = Sense(0x03, 0x0C, 0x00);

  device.BeginUserOperation();
  FakeAspiSetResult(SS_ERR, 0, 0x02, failed.data());
  Send(kSynchronizeCache);  // a quiet command
  EXPECT_TRUE(messages.empty());

  device.BeginUserOperation();
  FakeAspiSetResult(SS_ERR, 0, 0x02, busy.data());
  Send(kWrite10);
  EXPECT_TRUE(messages.empty());

  device.BeginUserOperation();
  FakeAspiSetResult(SS_ERR, 0, 0x02, failed.data());
  Send(kWrite10);
  Send(kWrite10);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("<<< WRITE (10)", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find("MEDIUM ERROR (WRITE ERROR)"), std::string::npos);

  device.BeginUserOperation();
  Send(kWrite10);
  EXPECT_EQ(messages.size(), 2u);
}

// A library drive is claimed by RESERVE: granted, held by another initiator, or unknown to a
// drive without reservations (which is then used unclaimed). Neither the claim nor its release
// takes the operation's failure line or its error text.
TEST_F(AspiLibrary, ClaimIsTheDrivesAnswerToReserve) {
  Select();
  struct Case {
    const char* label;
    std::uint8_t status;
    std::uint8_t targetStatus;
    std::array<std::uint8_t, kSenseAreaLength> sense;
    bool claimed;
  };
  const std::vector<Case> cases = {
      {"granted", SS_COMP, 0, {}, true},
      {"reservation conflict", SS_ERR, 0x18, {}, false},
      {"no reservations", SS_ERR, 0x02, Sense(0x05, 0x20, 0x00), true},
  };
  const auto failed = Sense(0x03, 0x0C, 0x00);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    messages.clear();
    device.BeginUserOperation();
    FakeAspiSetResult(c.status, 0, c.targetStatus, c.sense.data());
    EXPECT_EQ(device.ClaimDrive(), c.claimed);
    EXPECT_EQ(device.LastErrorText == "THE DRIVE IS IN USE BY ANOTHER PROGRAM", !c.claimed) << device.LastErrorText;
    EXPECT_TRUE(messages.empty()) << messages.front();

    FakeAspiSetResult(SS_ERR, 0, 0x02, failed.data());
    Send(kWrite10);
    EXPECT_EQ(messages.size(), 1u) << "the operation's first failure is logged";
    device.ReleaseDrive();
    EXPECT_EQ(device.LastErrorText, "MEDIUM ERROR (WRITE ERROR)");
  }
}

TEST_F(AspiLibrary, ExecutionRulesAroundTheRequest) {
  SRB_ExecSCSICmd request;
  std::memset(&request, 0, sizeof request);
  EXPECT_EQ(device.ExecuteCommand(request, 0), kNoTransportOrDevice);
  EXPECT_EQ(request.SRB_Status, SS_PENDING);

  FakeAspiAddDrive(1, 2, 3, 5, kDrive, 0);
  device.SelectDevice("1:2:3");
  ASSERT_EQ(device.Lun, 3);
  messages.clear();

  // Target BUSY is remembered for the one command only.
  FakeAspiSetResult(SS_ERR, 0, 0x08, Sense(0, 0, 0).data());
  Send(kWrite10);
  EXPECT_TRUE(device.TargetBusy);
  EXPECT_EQ(device.LastErrorText.rfind("TARGET BUSY", 0), 0u);
  FakeAspiSetResult(SS_COMP, 0, 0, Sense(0, 0, 0).data());
  Send(kWrite10);
  EXPECT_FALSE(device.TargetBusy);
  EXPECT_EQ(device.LastSense[0], 0);

  // The LUN travels in the top bits of CDB byte 1.
  std::memset(&request, 0, sizeof request);
  request.SRB_CDBLen = 10;
  request.CDBByte[0] = kWrite10;
  request.CDBByte[1] = 0xFF;
  request.SRB_BufPointer = data + 1;
  request.SRB_BufLen = 4;
  messages.clear();
  device.ExecuteCommand(request, 0);
  EXPECT_EQ(FakeAspiLastCdbByte1(), (3 << 5) | 0x1F);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "aaaa" + std::to_string(reinterpret_cast<std::uintptr_t>(data + 1)));
}

}  // namespace
}  // namespace kivo
