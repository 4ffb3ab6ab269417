// Long operations keep the drive not ready with a progress indication for their (scaled)
// duration; the write buffer fills with writes and drains at the write speed.
#include <gtest/gtest.h>

#include "MemoryDrive.h"
#include "virtualdrive/Timing.h"

namespace kivo::vdrive::test {
namespace {

constexpr SenseCode kLongWrite{2, 4, 8};
constexpr SenseCode kFormatting{2, 4, 4};

struct LongCase {
  const char* name;
  MediumKind kind;
  std::function<Reply(Host&)> start;  // with IMMED
  SenseCode busy;
  long realMs;  // its duration at time scale 1
};

const LongCase kLongCases[] = {
    {"MinimalBlank", MediumKind::CdRw, [](Host& h) { return h.Blank(1, true); }, kLongWrite, duration::kBlankMinimal},
    {"FullBlank", MediumKind::DvdRwSequential, [](Host& h) { return h.Blank(0, true); }, kLongWrite,
     duration::kBlankFull},
    {"DvdPlusRwFormat", MediumKind::DvdPlusRw, [](Host& h) { return h.Format(0x82, 2295104, 0x26, 0); }, kFormatting,
     duration::kFormatDvdPlusRw},
    {"DvdRamFullFormat", MediumKind::DvdRam, [](Host& h) { return h.Format(0x82, 2236704, 0x00, 2048); },
     kFormatting, duration::kFormatDvdRamFull},
    {"DvdRwQuickFormat", MediumKind::DvdRwSequential, [](Host& h) { return h.Format(0xA2, 1000, 0x15, 16); },
     kFormatting, duration::kFormatDvdRwQuick},
};

class LongOperation : public ::testing::TestWithParam<LongCase> {};

TEST_P(LongOperation, NotReadyWithProgressUntilDone) {
  const LongCase& c = GetParam();
  constexpr double kScale = 0.01;
  MemoryDrive drive(c.kind, kScale);
  Host& host = drive.host;
  const long scaled = static_cast<long>(c.realMs * kScale);

  const Reply started = c.start(host);
  ASSERT_TRUE(started.ok());
  EXPECT_EQ(started.result.delayMs, 0) << "IMMED returns at once";

  drive.nowMs += scaled / 2;
  const Reply tur = host.TestUnitReady();
  EXPECT_EQ(tur.sense(), c.busy);
  EXPECT_EQ(tur.result.sense[15], 0x80) << "progress indication valid";
  EXPECT_NEAR(be16(&tur.result.sense[16]), 32768, 700);
  EXPECT_EQ(host.DiscInfo().sense(), c.busy) << "the engine polls disc information";
  // Identity and pollable sense stay available.
  EXPECT_TRUE(host.Inquiry().ok());
  EXPECT_TRUE(host.Configuration(2, 0).ok());
  const Reply polled = host.RequestSense();
  ASSERT_TRUE(polled.ok());
  EXPECT_EQ(polled.data[12], 0x04);
  EXPECT_EQ(polled.data[13], c.busy.ascq);

  drive.nowMs += scaled / 2 + 1;
  EXPECT_TRUE(host.TestUnitReady().ok());
  EXPECT_EQ(host.RequestSense().data[12], 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, LongOperation, ::testing::ValuesIn(kLongCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LongOperation, WithoutImmediateTheHostWaitsTheWholeDuration) {
  MemoryDrive drive(MediumKind::CdRw, 0.5);
  const Reply blank = drive.host.Blank(0, false);
  ASSERT_TRUE(blank.ok());
  EXPECT_EQ(blank.result.delayMs, duration::kBlankFull / 2);
}

TEST(LongOperation, TimeScaleZeroMakesEverythingInstant) {
  MemoryDrive drive(MediumKind::CdRw, 0);
  ASSERT_TRUE(drive.host.Blank(0, true).ok());
  EXPECT_TRUE(drive.host.TestUnitReady().ok());
}

TEST(WriteBuffer, FillsWithWritesAndDrainsAtTheWriteSpeed) {
  MemoryDrive drive(MediumKind::DvdPlusR, 1.0);
  Host& host = drive.host;
  ASSERT_TRUE(host.Send({0xBB, 0, 0xFF, 0xFF, 0x15, 0xA4, 0, 0, 0, 0, 0, 0}).ok());  // 5540 KB/s: 4x
  const std::uint32_t size = host.BufferCapacity().be32at(4);
  EXPECT_EQ(host.BufferCapacity().be32at(8), size) << "empty before writing";

  // 32 blocks at once: 64 KiB more in the buffer.
  ASSERT_TRUE(host.Write(0, 32, 1).ok());
  EXPECT_EQ(host.BufferCapacity().be32at(8), size - 65536);
  drive.nowMs += 10;  // 10 ms at 5540 bytes/ms drain 55400 bytes
  EXPECT_EQ(host.BufferCapacity().be32at(8), size - 65536 + 55400);

  // Writing faster than the drive burns fills the buffer; then each write waits for room.
  long waited = 0;
  for (std::uint32_t lba = 32; lba < 32 * 100; lba += 32) waited += host.Write(lba, 32, 1).result.delayMs;
  EXPECT_EQ(host.BufferCapacity().be32at(8), 0u) << "full";
  EXPECT_GT(waited, 0);
  // Synchronising with IMMED keeps the drive in a long write until the buffer is empty.
  ASSERT_TRUE(host.Sync(true).ok());
  EXPECT_EQ(host.TestUnitReady().sense(), kLongWrite);
  drive.nowMs += 1000 + waited;
  EXPECT_TRUE(host.TestUnitReady().ok());
  EXPECT_EQ(host.BufferCapacity().be32at(8), size);
}

}  // namespace
}  // namespace kivo::vdrive::test
