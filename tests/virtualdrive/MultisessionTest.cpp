// CD session arithmetic: where each new session starts (Orange Book gaps), how short tracks are
// padded, and what the disc reports for sessions, the TOC and the last session.
#include <gtest/gtest.h>

#include "MemoryDrive.h"

namespace kivo::vdrive::test {
namespace {

struct Session {
  std::uint16_t blocks;
  std::uint32_t expectedStart;
  std::uint32_t expectedLength;  // after closing (padded to 300 blocks)
};

// Writes one session at the next writable address of the invisible track and closes it.
void WriteSession(Host& host, const Session& s, bool append) {
  const Reply next = host.TrackInfo(0xFF);
  ASSERT_TRUE(next.ok());
  ASSERT_EQ(next.be32at(12), s.expectedStart);
  ASSERT_TRUE(host.SelectWriteParameters(EngineWriteParameters(0x09, append)).ok());
  ASSERT_TRUE(host.Write(s.expectedStart, s.blocks, 0x5A).ok());
  ASSERT_TRUE(host.Sync().ok());
  ASSERT_TRUE(host.Close(false, 2, 0).ok());
}

TEST(CdMultisession, SessionsStartAfterTheOrangeBookGaps) {
  MemoryDrive drive(MediumKind::CdR);
  Host& host = drive.host;
  const Session sessions[] = {
      {400, 0, 400},                        // first session at 0
      {100, 400 + 11400, 300},              // after lead-out 6750 + lead-in 4500 + pre-gap 150
      {500, 11800 + 300 + 6900, 500},       // later lead-outs are 2250
  };
  for (const auto& s : sessions) WriteSession(host, s, true);

  const Reply disc = host.DiscInfo();
  EXPECT_EQ(disc.data[2] & 0x03, 1) << "appendable";
  EXPECT_EQ((disc.data[2] >> 2) & 0x03, 0) << "the fourth session is still empty";
  EXPECT_EQ(disc.data[4], 4);
  EXPECT_EQ(disc.data[5], 4);
  EXPECT_EQ(disc.data[6], 4);

  const Reply next = host.TrackInfo(4);
  EXPECT_EQ(next.be32at(12), 19000u + 500 + 6900);
  EXPECT_EQ(next.be32at(16), 359849u - (19000 + 500 + 6900));

  // Session information: the first track of the last complete session.
  const Reply info = host.Toc(1);
  ASSERT_TRUE(info.ok());
  EXPECT_EQ(info.data[2], 1);
  EXPECT_EQ(info.data[3], 3);
  EXPECT_EQ(info.data[6], 3);
  EXPECT_EQ(info.be32at(8), 19000u);

  // The TOC in MSF: LBA 11800 is 02:39:25 (150 blocks of offset), lead-out after the third.
  const Reply toc = host.Toc(0, true);
  ASSERT_TRUE(toc.ok());
  ASSERT_EQ(toc.be16at(0), 2 + 4 * 8);
  const std::uint8_t* second = &toc.data[4 + 8];
  EXPECT_EQ(second[2], 2);
  EXPECT_EQ(second[5], 2);
  EXPECT_EQ(second[6], 39);
  EXPECT_EQ(second[7], 25);
  const std::uint8_t* leadOut = &toc.data[4 + 3 * 8];
  EXPECT_EQ(leadOut[2], 0xAA);
  const std::uint32_t leadOutLba = leadOut[5] * 4500u + leadOut[6] * 75u + leadOut[7] - 150;
  EXPECT_EQ(leadOutLba, 19500u);

  // Track 2 was padded to the 300-block minimum and reads back as zeros past its data.
  const Reply track2 = host.TrackInfo(2);
  EXPECT_EQ(track2.be32at(8), 11800u);
  EXPECT_EQ(track2.be32at(24), 300u);
  const Reply padding = host.Read(11800 + 100, 1);
  ASSERT_TRUE(padding.ok());
  EXPECT_EQ(padding.data[0], 0);
  // The gap between sessions holds nothing to read.
  EXPECT_EQ(host.Read(400, 1).sense(), (SenseCode{5, 0x21, 0}));
}

TEST(CdMultisession, AClosingSessionWithoutMultiSessionFinalizesTheDisc) {
  MemoryDrive drive(MediumKind::CdRw);
  Host& host = drive.host;
  WriteSession(host, {300, 0, 300}, false);

  const Reply disc = host.DiscInfo();
  EXPECT_EQ(disc.data[2] & 0x03, 2) << "complete";
  EXPECT_EQ((disc.data[2] >> 2) & 0x03, 3);
  EXPECT_EQ(disc.data[4], 1);
  EXPECT_EQ(disc.be32at(16), 0xFFFFFFFFu) << "no further lead-in";
  EXPECT_FALSE(host.TrackInfo(0xFF).ok());
  EXPECT_EQ(host.Write(300 + 11400, 32, 1).sense(), (SenseCode{5, 0x21, 2}));
}

TEST(CdMultisession, TracksInOneSessionAreSeparatedByAPregap) {
  MemoryDrive drive(MediumKind::CdR);
  Host& host = drive.host;
  ASSERT_TRUE(host.SelectWriteParameters(EngineWriteParameters(0x09)).ok());
  ASSERT_TRUE(host.Write(0, 300, 1).ok());
  ASSERT_TRUE(host.Close(false, 1, 0xFF).ok());  // FFh: the track being written
  const Reply second = host.TrackInfo(0xFF);
  EXPECT_EQ(second.data[2], 2);
  EXPECT_EQ(second.be32at(12), 300u + 150);
  EXPECT_EQ((host.DiscInfo().data[2] >> 2) & 0x03, 1) << "the session is incomplete";
  // Nothing of an incomplete session appears in the TOC.
  EXPECT_FALSE(host.Toc(0).ok());
}

}  // namespace
}  // namespace kivo::vdrive::test
