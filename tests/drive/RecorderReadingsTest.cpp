// Identity, capabilities, media kinds and disc states read from the virtual recorder through the
// ASPI library, as the engine reads a real drive.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/Capabilities.h"
#include "tests/drive/RecorderFixture.h"

namespace kivo {
namespace {

using testing::RecorderTest;
using testing::WithVolumeDescriptor;
using testing::WriteCdSession;
using vdrive::MediumKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kEveryCapability =
    kReadsCdR | kReadsCdRw | kReadsMode2Form2 | kReadsDvdRom | kReadsDvdR | kReadsDvdRw | kReadsDvdRam |
    kReadsDvdPlusR | kReadsDvdPlusRDl | kReadsDvdPlusRw | kWritesCdR | kWritesCdRw | kTestWrite | kWritesDvdR |
    kWritesDvdRw | kWritesDvdRam | kWritesDvdPlusR | kWritesDvdPlusRDl | kWritesDvdPlusRw | kUnderrunProtection;
// What page 2Ah alone tells of this drive.
constexpr std::uint32_t kPageCapabilities = kReadsCdR | kReadsCdRw | kReadsMode2Form2 | kReadsDvdRom | kReadsDvdR |
                                            kReadsDvdRw | kReadsDvdRam | kWritesCdR | kWritesCdRw | kTestWrite |
                                            kWritesDvdR | kWritesDvdRw | kWritesDvdRam | kUnderrunProtection;

struct Medium {
  MediumKind kind;
  std::uint16_t mediaKind;
  int discStatus;
  std::uint32_t sessions;
  bool erasable;
  std::string mediaName;
  bool capacityKnown;  // an unformatted DVD+RW reports an empty track
};

using MediaKinds = RecorderTest;

TEST_F(MediaKinds, EachBlankMedium) {
  const Medium media[] = {
      {MediumKind::CdR, 2, 0, 0, false, "CD-R", true},
      {MediumKind::CdRw, 3, 0, 0, true, "CD-RW", true},
      {MediumKind::DvdR, 5, 0, 0, false, "DVD-R", true},
      {MediumKind::DvdRam, 6, 2, 1, true, "DVD-RAM", true},
      {MediumKind::DvdRwRestricted, 8, 2, 1, true, "DVD-RW Restriktivni prepis", true},
      {MediumKind::DvdRwSequential, 9, 0, 0, true, "DVD-RW Sekvencijalni upis", true},
      {MediumKind::DvdPlusRw, 10, 0, 0, true, "DVD+RW", false},
      {MediumKind::DvdPlusR, 11, 0, 0, false, "DVD+R", true},
      {MediumKind::DvdPlusRDl, 12, 0, 0, false, "???????", true},
  };
  for (const auto& m : media) {
    SCOPED_TRACE(std::string(MediaNames[m.mediaKind]) + " / " + m.mediaName);
    Insert(m.kind);
    EXPECT_EQ(device.MediaKind(), m.mediaKind);
    EXPECT_EQ(device.DiscStatus(), m.discStatus);
    EXPECT_EQ(device.SessionCount(), m.sessions);
    EXPECT_EQ(device.DiscErasable(), m.erasable);
    TDisc disc;
    device.GetDiscInfo(disc);
    EXPECT_EQ(disc.Ready, 1);
    EXPECT_EQ(disc.MediaName, m.mediaName);
    EXPECT_EQ(disc.Erasable, m.erasable ? 1 : 0);
    EXPECT_EQ(disc.DiscState, m.discStatus);
    EXPECT_EQ(disc.Capacity, m.capacityKnown ? vdrive::Info(m.kind).capacity : 0);
  }
}

TEST_F(MediaKinds, PressedDiscsFromImages) {
  platform::testing::TempDir images;
  {
    std::ofstream cd(images / "cd.iso", std::ios::binary);
    const Bytes data = WithVolumeDescriptor(Bytes(40 * 2048, 0), 40);
    cd.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }
  {
    // Larger than any CD; the drive reads the sparse file's holes as zeros.
    std::ofstream dvd(images / "dvd.iso", std::ios::binary);
    dvd.seekp(500'000LL * 2048 - 1);
    dvd.put('\0');
  }
  struct Image {
    std::string file;
    std::uint16_t mediaKind;
    std::uint32_t volumeSize;
  };
  for (const Image& image : {Image{"cd.iso", 1, 40}, Image{"dvd.iso", 4, 0}}) {
    SCOPED_TRACE(image.file);
    std::string error;
    ASSERT_TRUE(recorder->InsertImage(images / image.file, error)) << error;
    EXPECT_EQ(device.MediaKind(), image.mediaKind);
    EXPECT_EQ(device.DiscStatus(), 2);
    EXPECT_EQ(device.SessionCount(), 1u);
    EXPECT_FALSE(device.DiscErasable());
    EXPECT_EQ(device.IsoVolumeSize(), image.volumeSize);
    TDisc disc;
    device.GetDiscInfo(disc);
    EXPECT_EQ(disc.MediaName, MediaNames[image.mediaKind]);
    EXPECT_EQ(disc.FirstSession, 1);
    EXPECT_EQ(disc.LastSession, 1);
  }
}

TEST_F(MediaKinds, NoMedium) {
  std::string error;
  ASSERT_TRUE(recorder->Eject(error)) << error;
  CurrentMediaKind.store(media::kDvdR);
  platform::SetTimeScale(0.05);  // GetDiscInfo waits one step for the drive
  EXPECT_EQ(device.MediaKind(), 0);
  EXPECT_EQ(device.DiscStatus(), -1);
  EXPECT_EQ(device.SessionCount(), 0u);
  EXPECT_FALSE(device.DiscErasable());
  EXPECT_EQ(CurrentMediaKind.load(), 0);
  TDisc disc;
  disc.Capacity = 99;
  device.GetDiscInfo(disc);
  EXPECT_EQ(disc.Ready, 0);
  EXPECT_EQ(disc.Capacity, 99u);
}

// Without GET CONFIGURATION the kind comes from the ATIP (CD media) or the disc information.
TEST_F(MediaKinds, DriveWithoutGetConfiguration) {
  Faults([](vdrive::Faults& f) { f.noGetConfiguration = true; });
  const std::pair<MediumKind, std::uint16_t> media[] = {
      {MediumKind::CdRw, 3}, {MediumKind::CdR, 2}, {MediumKind::DvdR, 2}, {MediumKind::DvdPlusRw, 3}};
  for (const auto& [kind, expected] : media) {
    Insert(kind);
    EXPECT_EQ(device.MediaKind(), expected) << static_cast<int>(kind);
  }
  Select();
  EXPECT_EQ(device.Capabilities.load(), kPageCapabilities);
}

using DiscStates = RecorderTest;

TEST_F(DiscStates, CdSessions) {
  Insert(MediumKind::CdR);
  Select();
  EXPECT_EQ(device.SessionCount(), 0u);
  EXPECT_EQ(device.DiscStatus(), 0);

  WriteCdSession(device, WithVolumeDescriptor(Bytes(32 * 2048, 0x5A), 32), true);
  WriteCdSession(device, Bytes(16 * 2048, 0xA5), true);
  EXPECT_EQ(device.SessionCount(), 2u) << "two sessions, the empty third not counted";
  EXPECT_EQ(device.DiscStatus(), 1);
  TDisc disc;
  device.GetDiscInfo(disc);
  EXPECT_EQ(disc.FirstSession, 1);
  EXPECT_EQ(disc.LastSession, 2);
  EXPECT_EQ(disc.SessionState, 0);
  EXPECT_EQ(disc.Capacity, vdrive::Info(MediumKind::CdR).capacity) << "the invisible track's end";

  Insert(MediumKind::CdR);
  WriteCdSession(device, WithVolumeDescriptor(Bytes(32 * 2048, 0), 32), false);
  EXPECT_EQ(device.DiscStatus(), 2);
  EXPECT_EQ(device.SessionCount(), 1u);
  EXPECT_EQ(device.IsoVolumeSize(), 32u);
}

using Capabilities = RecorderTest;

TEST_F(Capabilities, ReadAtSelection) {
  Insert(MediumKind::CdR);
  Select();
  EXPECT_EQ(device.Capabilities.load(), kEveryCapability);
  EXPECT_EQ(device.DeviceMaxReadSpeed.load(), 8467);
  EXPECT_EQ(device.DeviceMaxWriteSpeed.load(), 8467);
  EXPECT_EQ(device.MaxWriteSpeed(), 8467);
  std::uint32_t length = 0, free = 0;
  ASSERT_TRUE(device.ReadBufferCapacity(length, free));
  EXPECT_EQ(length, 4u * 1024 * 1024);
  EXPECT_EQ(free, length);
  EXPECT_EQ(host16(&device.CapabilitiesPage[capspage::kBufferSizeKb]), 4096);
}

// A drive that puts a block descriptor before its pages: the page is found behind it.
TEST_F(Capabilities, PageBehindABlockDescriptor) {
  Insert(MediumKind::DvdPlusR);
  Select();
  const auto plainPage = device.CapabilitiesPage;
  const std::uint32_t plain = device.Capabilities.load();
  Faults([](vdrive::Faults& f) { f.blockDescriptor = true; });
  ASSERT_TRUE(device.ReadCapabilities());
  EXPECT_EQ(device.Capabilities.load(), plain);
  EXPECT_EQ(device.CapabilitiesPage, plainPage);
  EXPECT_EQ(device.MaxWriteSpeed(), 22160);
}

TEST_F(Capabilities, DriveWithoutThePage) {
  Insert(MediumKind::CdRw);
  Faults([](vdrive::Faults& f) { f.noCapabilitiesPage = true; });
  Select();
  EXPECT_EQ(device.Capabilities.load(), 0u) << "the feature queries are skipped as well";
  EXPECT_EQ(device.DeviceMaxWriteSpeed.load(), 0);
  EXPECT_EQ(device.DeviceMaxReadSpeed.load(), 0);
  EXPECT_EQ(device.MaxWriteSpeed(), 0);
  EXPECT_EQ(device.CurrentWriteSpeed(), 0);
}

// The write speed setter reaches the drive at once; the read speed waits for it.
TEST_F(Capabilities, SpeedProperties) {
  Insert(MediumKind::CdR);
  Select();
  device.SetReadSpeed(1764);
  EXPECT_NE(recorder->State().readSpeed, 1764);
  device.SetWriteSpeed(2822);
  EXPECT_EQ(recorder->State().readSpeed, 1764);
  EXPECT_EQ(recorder->State().writeSpeed, 2822);
  EXPECT_EQ(device.CurrentWriteSpeed(), 2822);
  device.SetWriteSpeed(0);
  EXPECT_EQ(recorder->State().writeSpeed, 0xFFFF);
  EXPECT_EQ(device.WriteSpeed(), 0);
}

using DriveControl = RecorderTest;

TEST_F(DriveControl, TrayAndRemovalLock) {
  Insert(MediumKind::CdR);
  Select();
  ASSERT_TRUE(device.PreventAllowRemoval(false));
  EXPECT_FALSE(device.LoadEject(true));
  EXPECT_EQ(device.LastErrorText, "ILLEGAL REQUEST (MEDIUM REMOVAL PREVENTED)");
  EXPECT_FALSE(recorder->State().trayOpen);
  ASSERT_TRUE(device.PreventAllowRemoval(true));
  ASSERT_TRUE(device.LoadEject(true));
  EXPECT_TRUE(recorder->State().trayOpen);
  EXPECT_FALSE(device.TestUnitReady(5000));
  ASSERT_TRUE(device.LoadEject(false));
  EXPECT_TRUE(device.TestUnitReady(5000));
}

// Long operations started with IMMED keep the drive busy; WaitReady sees them through, on the
// disc information path and on the DVD-RAM path.
TEST_F(DriveControl, WaitReadyThroughLongOperations) {
  platform::SetTimeScale(0.05);
  std::string error;
  ASSERT_TRUE(recorder->SetTimeScale(0.01, error)) << error;

  Insert(MediumKind::CdRw);
  Select();
  SRB_ExecSCSICmd blank{};
  blank.SRB_Flags = kNoData;
  blank.SRB_CDBLen = 12;
  blank.CDBByte[0] = 0xA1;
  blank.CDBByte[1] = 0x11;  // IMMED, minimal blank
  device.ExecuteCommand(blank, 10000);
  ASSERT_EQ(blank.SRB_Status, SS_COMP) << device.LastErrorText;
  EXPECT_FALSE(device.TestUnitReady(5000));
  EXPECT_TRUE(device.WaitReady(600000, 1000));
  EXPECT_TRUE(device.TestUnitReady(5000));

  Insert(MediumKind::DvdRam);
  CurrentMediaKind.store(device.MediaKind());
  Bytes format(12, 0);
  format[1] = 0xA2;  // FOV, DCRT (quick), IMMED
  format[3] = 8;
  put32(&format[4], 2236704);
  put32(&format[8], 2048);  // format type 0, block length 2048
  ASSERT_TRUE(device.FormatUnit(0x11, format)) << device.LastErrorText;
  EXPECT_FALSE(device.TestUnitReady(5000));
  EXPECT_TRUE(device.WaitReady(600000, 1000));
  EXPECT_TRUE(device.TestUnitReady(5000));
}

}  // namespace
}  // namespace kivo
