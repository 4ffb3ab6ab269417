// One recording conversation per medium kind, as the engine holds it with a drive: readings
// before, preparation, write, synchronise, close, read back, readings after.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "MemoryDrive.h"

namespace kivo::vdrive::test {
namespace {

constexpr std::uint16_t kBlocks = 64;

struct CloseStep {
  bool immediate;
  std::uint8_t function;
  std::uint8_t track;
};

struct MediumCase {
  const char* name;
  MediumKind kind;
  bool sendPage;                      // DVD-RAM needs no write parameters page
  std::optional<std::uint8_t> formatType;
  bool reserve;                       // RESERVE TRACK for the session first (DVD-R)
  std::uint32_t writeAt;
  std::vector<CloseStep> closes;
  // Readings before.
  std::uint8_t statusBefore;
  bool tocBefore;
  // Readings after.
  std::uint8_t statusAfter;
  std::uint8_t lastSessionStateAfter;
  std::uint8_t sessionsAfter;
  std::uint32_t leadOutAfter;
  std::uint32_t lastBlockAfter;  // READ CAPACITY
  std::optional<std::uint32_t> nextWritableAfter;
};

const MediumCase kCases[] = {
    {"CdR", MediumKind::CdR, true, {}, false, 0, {{false, 2, 0}}, 0, false, 1, 0, 2, 300, 299, 300 + 11400},
    {"CdRw", MediumKind::CdRw, true, {}, false, 0, {{false, 2, 0}}, 0, false, 1, 0, 2, 300, 299, 300 + 11400},
    {"DvdR", MediumKind::DvdR, true, {}, true, 0, {{true, 1, 1}, {true, 1, 2}, {true, 2, 3}}, 0, false, 1, 0, 2,
     kBlocks, kBlocks - 1, kBlocks + 16384},
    {"DvdRwSequential", MediumKind::DvdRwSequential, true, {}, false, 0, {{true, 1, 1}, {true, 2, 0}}, 0, false, 1,
     0, 2, kBlocks, kBlocks - 1, kBlocks + 16384},
    {"DvdRwRestricted", MediumKind::DvdRwRestricted, true, {}, false, 0, {{true, 2, 0}}, 2, true, 2, 3, 1, 2295104,
     2295103, {}},
    {"DvdPlusR", MediumKind::DvdPlusR, true, {}, false, 0, {{false, 1, 1}, {false, 2, 0xFF}}, 0, false, 1, 0, 2,
     kBlocks, kBlocks - 1, kBlocks + 2048},
    {"DvdPlusRDl", MediumKind::DvdPlusRDl, true, {}, false, 0, {{false, 1, 1}, {false, 6, 0}}, 0, false, 2, 3, 1,
     kBlocks, kBlocks - 1, {}},
    {"DvdPlusRw", MediumKind::DvdPlusRw, true, 0x26, false, 0, {{false, 3, 0xFF}}, 0, false, 2, 3, 1, 2295104,
     2295103, {}},
    {"DvdRam", MediumKind::DvdRam, false, {}, false, 1024, {}, 2, true, 2, 3, 1, 2236704, 2236703, {}},
};

class Conversation : public ::testing::TestWithParam<MediumCase> {};

TEST_P(Conversation, WriteSynchroniseCloseReadBack) {
  const MediumCase& c = GetParam();
  const MediumInfo& info = Info(c.kind);
  MemoryDrive drive(c.kind);
  Host& host = drive.host;

  // Before.
  const Reply config = host.Configuration(2, 0);
  ASSERT_TRUE(config.ok());
  EXPECT_EQ(config.be16at(6), info.profile);
  Reply disc = host.DiscInfo();
  ASSERT_TRUE(disc.ok());
  EXPECT_EQ(disc.data[2] & 0x03, c.statusBefore);
  EXPECT_EQ((disc.data[2] >> 4) & 1, info.erasable ? 1 : 0);
  EXPECT_EQ(host.Toc(0).ok(), c.tocBefore);
  if (info.model == WriteModel::Sequential) {
    const Reply track = host.TrackInfo(0xFF);
    ASSERT_TRUE(track.ok());
    EXPECT_EQ(track.data[7] & 1, 1) << "next writable address valid";
    EXPECT_EQ(track.be32at(12), 0u);
    EXPECT_EQ(track.be32at(16), info.capacity);
    EXPECT_EQ(host.Capacity().be32at(0), 0u);
  }

  // Preparation and the session.
  if (c.formatType) {
    EXPECT_EQ(host.Write(0, 16, 0).sense(), (SenseCode{5, 0x30, 0x10})) << "unformatted";
    ASSERT_TRUE(host.Format(0x82, info.capacity, *c.formatType, 0).ok());
  }
  if (c.sendPage) {
    ASSERT_TRUE(host.SelectWriteParameters(EngineWriteParameters(info.profile)).ok());
  }
  if (c.reserve) {
    ASSERT_TRUE(host.Reserve(kBlocks).ok());
  }
  for (std::uint16_t i = 0; i < kBlocks; i += 32) ASSERT_TRUE(host.Write(c.writeAt + i, 32, static_cast<std::uint8_t>(i + 1)).ok());
  ASSERT_TRUE(host.Sync().ok());
  for (const auto& step : c.closes) ASSERT_TRUE(host.Close(step.immediate, step.function, step.track).ok());
  ASSERT_TRUE(host.TestUnitReady().ok());

  const Reply back = host.Read(c.writeAt, kBlocks);
  ASSERT_TRUE(back.ok());
  for (std::uint16_t i = 0; i < kBlocks; ++i) EXPECT_EQ(back.data[std::size_t{i} * 2048 + 7], (i / 32) * 32 + 1);

  // After.
  disc = host.DiscInfo();
  EXPECT_EQ(disc.data[2] & 0x03, c.statusAfter);
  EXPECT_EQ((disc.data[2] >> 2) & 0x03, c.lastSessionStateAfter);
  EXPECT_EQ(disc.data[4], c.sessionsAfter);
  const Reply toc = host.Toc(0);
  ASSERT_TRUE(toc.ok());
  EXPECT_EQ(toc.data[2], 1);  // first track
  EXPECT_EQ(toc.be32at(8), info.model == WriteModel::Overwrite ? 0 : c.writeAt);
  EXPECT_EQ(toc.data[toc.data.size() - 6], 0xAA);
  EXPECT_EQ(toc.be32at(toc.data.size() - 4), c.leadOutAfter);
  const Reply capacity = host.Capacity();
  EXPECT_EQ(capacity.be32at(0), c.lastBlockAfter);
  EXPECT_EQ(capacity.be32at(4), 2048u);
  const Reply next = host.TrackInfo(0xFF);
  EXPECT_EQ(next.ok(), c.nextWritableAfter.has_value());
  if (c.nextWritableAfter) {
    EXPECT_EQ(next.be32at(12), *c.nextWritableAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryMedium, Conversation, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Test write: the drive takes the data at the addresses a real write would use, records
// nothing, and leaves the disc as it was.
TEST(TestWrite, SimulatesWithoutRecording) {
  MemoryDrive drive(MediumKind::CdR);
  Host& host = drive.host;
  auto page = EngineWriteParameters(0x09);
  page[2] |= 0x10;
  ASSERT_TRUE(host.SelectWriteParameters(page).ok());
  ASSERT_TRUE(host.Write(0, 27, 1).ok());
  ASSERT_TRUE(host.Write(27, 27, 1).ok());
  EXPECT_EQ(host.Write(27, 27, 1).sense(), (SenseCode{5, 0x21, 2})) << "addresses still advance";
  EXPECT_EQ(host.TrackInfo(0xFF).be32at(12), 0u);
  ASSERT_TRUE(host.Sync().ok());
  ASSERT_TRUE(host.Close(false, 2, 0).ok());
  EXPECT_EQ(host.DiscInfo().data[2] & 0x03, 0) << "still blank";
  EXPECT_FALSE(host.Read(0, 1).ok());
}

// The engine's DVD-RW preparation: a quick format turns a sequential disc into restricted
// overwrite growing from the formatted area; closing ends the growth; quick grow resumes it
// behind the data already there.
TEST(DvdRw, QuickFormatGrowCloseAndGrowAgain) {
  MemoryDrive drive(MediumKind::DvdRwSequential);
  Host& host = drive.host;
  ASSERT_TRUE(host.Format(0xA2, 1000, 0x15, 16).ok());
  EXPECT_EQ(host.Configuration(2, 0).be16at(6), 0x13);
  Reply track = host.TrackInfo(1);
  EXPECT_EQ(track.be32at(12), 1008u) << "the quick-formatted area in whole ECC blocks";
  ASSERT_TRUE(host.SelectWriteParameters(EngineWriteParameters(0x13)).ok());
  ASSERT_TRUE(host.Write(0, 32, 0xAB).ok());  // the leading copy of the descriptors
  ASSERT_TRUE(host.Write(1008, 32, 1).ok());
  ASSERT_TRUE(host.Write(1040, 32, 2).ok());
  EXPECT_EQ(host.Write(2000, 32, 3).sense(), (SenseCode{5, 0x21, 2})) << "past the growing end";
  ASSERT_TRUE(host.Sync(true).ok());
  ASSERT_TRUE(host.Close(true, 2, 0).ok());
  EXPECT_EQ(host.DiscInfo().data[2] & 0x03, 2);
  EXPECT_EQ(host.FormatCapacities().be32at(4), 1072u) << "formatted up to the data";

  ASSERT_TRUE(host.Format(0x82, 0, 0x13, 16).ok());
  track = host.TrackInfo(1);
  EXPECT_EQ(track.be32at(12), 1072u);
  EXPECT_EQ(host.Read(1040, 1).data[0], 2) << "growing keeps the data";
  EXPECT_EQ(host.Read(0, 1).data[0], 0xAB);
}

// CD media carry an ATIP whose disc type tells CD-RW from CD-R; DVD media have none.
TEST(Atip, DiscTypeAndLastLeadOut) {
  for (auto kind : {MediumKind::CdR, MediumKind::CdRw, MediumKind::DvdR}) {
    MemoryDrive drive(kind);
    const Reply atip = drive.host.Atip();
    if (kind == MediumKind::DvdR) {
      EXPECT_EQ(atip.sense(), (SenseCode{5, 0x24, 0}));
      continue;
    }
    ASSERT_TRUE(atip.ok());
    EXPECT_EQ(atip.data.size(), 26u);
    EXPECT_EQ(atip.data[6] & 0x80, 0x80);
    EXPECT_EQ((atip.data[6] & 0x40) != 0, kind == MediumKind::CdRw);
    // 79:59:74 is the start of the last possible lead-out: 359849 user blocks.
    EXPECT_EQ(atip.data[12] * 4500 + atip.data[13] * 75 + atip.data[14] - 150, 359849);
  }
}

}  // namespace
}  // namespace kivo::vdrive::test
