// Where a new session starts and how much of the disc is used, free and there at all, read from
// the virtual recorder with the disc in the states a recording leaves it in.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "tests/drive/RecorderFixture.h"
#include "virtualdrive/Medium.h"

namespace kivo {
namespace {

using testing::RecorderTest;
using testing::WithVolumeDescriptor;
using testing::WriteCdSession;
using Bytes = std::vector<std::uint8_t>;
using vdrive::kCdFirstSessionGap;
using vdrive::kCdLaterSessionGap;
using vdrive::MediumKind;

constexpr std::uint32_t kCdCapacity = 359849;
constexpr std::uint32_t kDvdCapacity = 2295104;
constexpr std::uint32_t kSessionSectors = 320;
const Bytes kSession(kSessionSectors * kLogicalBlockSize, 0);

// The helpers are public: the table below prepares each disc through them.
class DiscSpace : public RecorderTest {
 public:
  using RecorderTest::device;

  void SetUp() override {
    RecorderTest::SetUp();
    // The readiness waits poll a drive that is always ready here. Not 0: command time-outs are
    // scaled as well, and the library must still get its time to answer.
    platform::SetTimeScale(0.01);
  }

  void FormatDvdPlusRw() {
    std::vector<std::uint8_t> list = {0x00, 0x82, 0x00, 0x08, 0, 0, 0, 0, 0x98, 0, 0, 0};
    put32(&list[4], kDvdCapacity);
    ASSERT_TRUE(device.FormatUnit(0x11, list)) << device.LastErrorText;
    ASSERT_TRUE(device.WaitReady(10000, 10));
  }

  // A primary volume descriptor at lba saying the volume ends at spaceSize.
  void WriteVolumeDescriptor(std::uint32_t lba, std::uint32_t spaceSize) {
    const Bytes volume = WithVolumeDescriptor(Bytes(17 * kLogicalBlockSize, 0), spaceSize);
    ASSERT_TRUE(device.WriteSectors(lba, 1, std::span(volume).subspan(16 * kLogicalBlockSize)))
        << device.LastErrorText;
  }
};

struct DiscCase {
  const char* name;
  MediumKind medium;
  std::function<void(DiscSpace&)> prepare;
  bool startKnown;
  std::uint32_t sessionStart, used, free, total;
};

const DiscCase kDiscs[] = {
    {"blank CD-R", MediumKind::CdR, {}, true, 0, 0, kCdCapacity, kCdCapacity},
    // The next session starts behind the last one's lead-out, the next lead-in and a pre-gap.
    {"CD-R with one open session", MediumKind::CdR, [](DiscSpace& t) { WriteCdSession(t.device, kSession, true); },
     true, kSessionSectors + kCdFirstSessionGap, kSessionSectors + kCdFirstSessionGap,
     kCdCapacity - kSessionSectors - kCdFirstSessionGap, kCdCapacity},
    {"CD-RW with two sessions", MediumKind::CdRw,
     [](DiscSpace& t) {
       WriteCdSession(t.device, kSession, true);
       WriteCdSession(t.device, kSession, true);
     },
     true, 2 * kSessionSectors + kCdFirstSessionGap + kCdLaterSessionGap,
     2 * kSessionSectors + kCdFirstSessionGap + kCdLaterSessionGap,
     kCdCapacity - 2 * kSessionSectors - kCdFirstSessionGap - kCdLaterSessionGap, kCdCapacity},
    // No next writable address: the used space is what READ CAPACITY reports.
    {"closed CD-R", MediumKind::CdR, [](DiscSpace& t) { WriteCdSession(t.device, kSession, false); }, false, 0,
     kSessionSectors, 0, kCdCapacity},
    {"blank DVD+R", MediumKind::DvdPlusR, {}, true, 0, 0, kDvdCapacity, kDvdCapacity},
    {"DVD+RW holding a volume", MediumKind::DvdPlusRw,
     [](DiscSpace& t) {
       t.FormatDvdPlusRw();
       t.WriteVolumeDescriptor(16, 50000);
     },
     true, 50000, 50000, kDvdCapacity - 50000, kDvdCapacity},
    // The whole formatted area is free to overwrite: nothing counts as used.
    {"DVD-RW in restricted overwrite", MediumKind::DvdRwRestricted, {}, true, 0, 0, kDvdCapacity, kDvdCapacity},
};

TEST_F(DiscSpace, SessionStartAndSpaceByMedium) {
  for (const auto& c : kDiscs) {
    SCOPED_TRACE(c.name);
    Insert(c.medium);
    ASSERT_TRUE(device.WaitReady(10000, 10) || device.TestUnitReady(5000));
    if (c.prepare) c.prepare(*this);
    if (HasFatalFailure()) return;

    for (const bool finalizeDisc : {false, true}) {
      device.FinalizeDisc = finalizeDisc;
      std::uint32_t start = 0xDEAD;
      CurrentMediaKind.store(device.MediaKind());
      EXPECT_EQ(device.NextSessionStart(start), c.startKnown);
      EXPECT_EQ(start, c.sessionStart);
      EXPECT_EQ(device.UsedSectors(), c.used);
      EXPECT_EQ(device.FreeSectors(), c.free);
      EXPECT_EQ(device.DiscCapacity(), c.total);
      EXPECT_EQ(device.FinalizeDisc, finalizeDisc);
      // The disc record names the same capacity as the summary: both sit in one window.
      TDisc disc;
      device.GetDiscInfo(disc);
      EXPECT_EQ(disc.Capacity, c.total);
    }
  }
}

// The newest volume decides, not the first one found: scanning goes from sector 32 down.
TEST_F(DiscSpace, SessionStartFollowsTheNewestVolume) {
  Insert(MediumKind::DvdPlusRw);
  FormatDvdPlusRw();
  WriteVolumeDescriptor(16, 30000);
  WriteVolumeDescriptor(20, 50000);
  EXPECT_EQ(device.FindVolumeEnd(), 50000);
  std::uint32_t start = 0;
  CurrentMediaKind.store(device.MediaKind());
  EXPECT_TRUE(device.NextSessionStart(start));
  EXPECT_EQ(start, 50000u);
}

// Grown to its end, a restricted-overwrite disc reports its end as the next writable address;
// the session goes after the newest volume instead, at an ECC block's start.
TEST_F(DiscSpace, FullyGrownRestrictedOverwriteStartsAfterTheNewestVolume) {
  Insert(MediumKind::DvdRwRestricted);
  const std::vector<std::uint8_t> growByNothing = {0x00, 0x82, 0x00, 0x08, 0, 0, 0, 0, 0x4C, 0x00, 0x00, 0x10};
  ASSERT_TRUE(device.FormatUnit(0x11, growByNothing)) << device.LastErrorText;
  ASSERT_TRUE(device.WaitReady(10000, 10));
  const Bytes volume = WithVolumeDescriptor(Bytes(32 * kLogicalBlockSize, 0), 50001);
  ASSERT_TRUE(device.WriteSectors(16, 16, std::span(volume).subspan(16 * kLogicalBlockSize))) << device.LastErrorText;

  std::uint32_t start = 0;
  CurrentMediaKind.store(device.MediaKind());
  EXPECT_TRUE(device.NextSessionStart(start));
  EXPECT_EQ(start, 50016u);
}

}  // namespace
}  // namespace kivo
