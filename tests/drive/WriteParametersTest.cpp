// The write parameters page (05h) as it reaches the drive: the bytes set by media kind, the
// bytes kept as the drive sent them, and where the page is found in the drive's reply.
#include <gtest/gtest.h>

#include <vector>

#include "engine/drive/Capabilities.h"
#include "tests/drive/ScriptedDrive.h"

namespace kivo {
namespace {

using testing::Reply;
using testing::ScriptedDrive;
using Bytes = std::vector<unsigned char>;

constexpr unsigned char kModeSense = 0x5A, kModeSelect = 0x55;
const Bytes kSenseWriteParameters = {kModeSense, 0, 0x05};

// A MODE SENSE reply with the page at offset: a header the list must not take over, bytes 1-15
// the drive's own (all to be replaced), and bytes 16 on numbered so that their place shows.
Bytes ModeSenseReply(std::size_t offset) {
  Bytes reply(offset + kWriteParametersPageSize, 0);
  for (std::size_t i = 0; i < offset; ++i) reply[i] = 0xEE;
  reply[offset] = 0x05;
  for (std::size_t i = 1; i < 16; ++i) reply[offset + i] = 0xFF;
  for (std::size_t i = 16; i < kWriteParametersPageSize; ++i) reply[offset + i] = static_cast<unsigned char>(i);
  return reply;
}

struct Sent {
  bool found = false;
  Bytes cdb, list;
};

Sent ModeSelectSent(const ScriptedDrive& drive) {
  for (const auto& command : drive.Sent()) {
    if (command.cdb.at(0) == kModeSelect) return {true, command.cdb, command.dataOut};
  }
  return {};
}

struct Drive {
  bool underrunCapability = true;  // the capability set
  bool underrunPage = true;        // the capabilities page, byte 4 bit 7
  bool testWrite = true;
  bool linkSizeQuirk = false;
};

void Configure(TSCSIDevice& device, const Drive& d) {
  device.Capabilities.store((d.underrunCapability ? std::uint32_t{kUnderrunProtection} : 0u) | (d.testWrite ? std::uint32_t{kTestWrite} : 0u));
  device.CapabilitiesPage[capspage::kFeatures] = d.underrunPage ? 0x80 : 0x00;
  device.LinkSizeQuirk = d.linkSizeQuirk;
}

struct KindCase {
  const char* name;
  std::uint16_t kind;
  bool testWrite, underrun, finalize, finalizeDisc;
  Drive drive;
  unsigned char byte2, byte3, linkSize, packetSize;
};

const KindCase kKindCases[] = {
    {"DVD-R", 5, true, true, false, false, {}, 0x70, 0xE5, 16, 16},
    {"DVD-R, underrun in the page only", 5, false, true, false, false, {false, true}, 0x60, 0xE5, 16, 16},
    {"DVD-RW restricted: no test write, underrun only from the page", 8, true, true, false, false, {true, false},
     0x20, 0xC5, 16, 0},
    {"DVD-RW sequential", 9, false, true, false, false, {}, 0x60, 0xC5, 16, 0},
    {"DVD-RW sequential test write", 9, true, true, false, false, {}, 0x70, 0xC5, 16, 0},
    {"DVD+RW", 10, true, true, false, false, {}, 0x72, 0x04, 16, 0},
    {"DVD+R on a drive without test write", 11, true, true, false, false, {true, true, false}, 0x62, 0xC4, 0, 16},
    {"DVD+R DL: underrun only from the capability set", 12, false, true, false, false, {false, true}, 0x22, 0x04,
     0, 0},
    {"DVD+R DL finalized", 12, false, true, true, false, {}, 0x62, 0xC4, 0, 0},
    {"DVD-R without underrun asked", 5, false, false, false, false, {}, 0x20, 0xE5, 16, 16},
    // CD: the multi-session field follows the test write and FinalizeDisc, never Finalize.
    {"CD-R multi-session", 2, false, true, true, false, {}, 0x41, 0xC4, 0, 0},
    {"CD-R test write", 2, true, true, false, false, {}, 0x51, 0x04, 0, 0},
    {"CD-R test write on a drive without it", 2, true, false, false, false, {true, true, false}, 0x01, 0x04, 0, 0},
    {"CD-RW finalized", 3, false, false, false, true, {}, 0x01, 0x04, 0, 0},
    {"CD-R on a drive with the link-size quirk", 2, false, false, false, false, {true, true, true, true}, 0x21,
     0xC4, 0, 0},
    {"unknown kind is written as a CD", 0, false, true, false, false, {}, 0x41, 0xC4, 0, 0},
};

TEST(SetWriteParameters, SendsThePageOfEachKind) {
  for (const auto& c : kKindCases) {
    SCOPED_TRACE(c.name);
    ScriptedDrive drive;
    drive.On(kSenseWriteParameters, {Reply::Data(ModeSenseReply(8))});
    Configure(drive.device, c.drive);
    drive.device.FinalizeDisc = c.finalizeDisc;

    EXPECT_TRUE(drive.device.SetWriteParameters(c.testWrite, c.underrun, c.finalize, c.kind));
    ASSERT_EQ(drive.Opcodes(), (Bytes{kModeSense, kModeSelect}));
    EXPECT_EQ(drive.Sent()[0].cdb, (Bytes{0x5A, 0, 0x05, 0, 0, 0, 0, 0x02, 0x00, 0}));

    Bytes expected(60, 0);
    const Bytes page = {0x05, 50, c.byte2, c.byte3, 8, c.linkSize, 0, 0, 0, 0, 0, 0, 0, c.packetSize, 0, 150};
    std::copy(page.begin(), page.end(), expected.begin() + 8);
    for (std::size_t i = 16; i < 52; ++i) expected[8 + i] = static_cast<unsigned char>(i);
    const Sent sent = ModeSelectSent(drive);
    EXPECT_EQ(sent.cdb, (Bytes{0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}));
    EXPECT_EQ(sent.list, expected);
    // The component keeps the whole page, the two bytes the list has no room for included.
    EXPECT_TRUE(std::equal(expected.begin() + 8, expected.end(), drive.device.WriteParametersPage.begin()));
    EXPECT_EQ(drive.device.WriteParametersPage[52], 52);
    EXPECT_EQ(drive.device.FinalizeDisc, c.finalizeDisc);
  }
}

TEST(SetWriteParameters, FindsThePageWhereverTheDrivePutIt) {
  struct Case {
    const char* name;
    Bytes reply;
    std::size_t pageBytesSent;  // (61 - offset), as far as the list holds them
  };
  Bytes noPageCode = ModeSenseReply(8);
  noPageCode[8] = 0x00;  // none of 16, 8 and 7 holds 05h: the page is taken from byte 8
  const Case cases[] = {
      {"behind a block descriptor", ModeSenseReply(16), 45},
      {"behind a 7-byte header", ModeSenseReply(7), 52},
      {"no page code where expected", noPageCode, 52},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDrive drive;
    drive.On(kSenseWriteParameters, {Reply::Data(c.reply)});
    Configure(drive.device, {});
    ASSERT_TRUE(drive.device.SetWriteParameters(false, false, false, 11));
    const Bytes list = ModeSelectSent(drive).list;
    ASSERT_EQ(list.size(), 60u);
    EXPECT_EQ(Bytes(list.begin(), list.begin() + 8), Bytes(8, 0));  // the drive's header is not sent back
    EXPECT_EQ(list[9], 50);
    EXPECT_EQ(list[10], 0x22);
    EXPECT_EQ(list[8 + 16], 16);  // the drive's bytes keep their place in the page
    EXPECT_EQ(list[8 + c.pageBytesSent - 1], c.pageBytesSent - 1);
    EXPECT_EQ(Bytes(list.begin() + 8 + static_cast<long>(c.pageBytesSent), list.end()),
              Bytes(52 - c.pageBytesSent, 0));
  }
}

TEST(SetWriteParameters, DvdRamAndRefusedModeSense) {
  ScriptedDrive drive;
  EXPECT_TRUE(drive.device.SetWriteParameters(true, true, true, 6));
  EXPECT_TRUE(drive.Sent().empty());

  drive.On(kSenseWriteParameters, {Reply::Check(0x05, 0x24, 0x00)});
  EXPECT_FALSE(drive.device.SetWriteParameters(false, false, false, 2));
  EXPECT_EQ(drive.Opcodes(), Bytes{kModeSense});

  drive.On(kSenseWriteParameters, {Reply::Data(ModeSenseReply(8))});
  drive.On({kModeSelect}, {Reply::Check(0x05, 0x26, 0x00)});
  EXPECT_FALSE(drive.device.SetWriteParameters(false, false, false, 2));
}

// A new session is set up as for a finalised disc; the page sent before closing then carries
// the user's choice.
TEST(SetWriteParameters, NewSessionPageForcesFinalizingAndRestoresTheChoice) {
  for (const bool finalizeDisc : {false, true}) {
    SCOPED_TRACE(finalizeDisc);
    ScriptedDrive drive;
    drive.On(kSenseWriteParameters, {Reply::Data(ModeSenseReply(8))});
    Configure(drive.device, {});
    drive.device.FinalizeDisc = finalizeDisc;
    drive.device.UnderrunProtection = true;

    ASSERT_TRUE(drive.device.SetNewSessionWriteParameters(false, 2));
    EXPECT_EQ(ModeSelectSent(drive).list[11], 0x04);  // multi-session 00b
    EXPECT_EQ(ModeSelectSent(drive).list[10], 0x41);  // underrun protection as the component asks
    EXPECT_EQ(drive.device.FinalizeDisc, finalizeDisc);

    drive.ClearSent();
    ASSERT_TRUE(drive.device.SetWriteParameters(false, true, finalizeDisc, 2));
    EXPECT_EQ(ModeSelectSent(drive).list[11], finalizeDisc ? 0x04 : 0xC4);
  }
}

TEST(ReturnToNeutralState, EndsWithTheDriveLoadedUnlockedAndAtFullReadSpeed) {
  ScriptedDrive drive;
  drive.On(kSenseWriteParameters, {Reply::Data(ModeSenseReply(8))});
  drive.On({kModeSense, 0, 0x2A}, {Reply::Check(0x05, 0x24, 0x00)});
  drive.On({kModeSense, 0, 0xAA}, {Reply::Check(0x05, 0x24, 0x00)});
  drive.device.ReturnToNeutralState();
  const auto& sent = drive.Sent();
  ASSERT_GE(sent.size(), 8u);
  EXPECT_EQ(ModeSelectSent(drive).list[10], 0x01);  // plain track at once, nothing else asked
  const std::vector<Bytes> tail = {
      {0xBB, 0, 0xFF, 0xFF, 0x00, 0x02, 0, 0, 0, 0, 0, 0},  // no maximum read speed read: FFFFh
      {0x01, 0, 0, 0, 0, 0}, {0x1E, 0, 0, 0, 0, 0}, {0x1B, 0, 0, 0, 0x03, 0},
      {0x01, 0, 0, 0, 0, 0}, {0x00, 0, 0, 0, 0, 0}};
  for (std::size_t i = 0; i < tail.size(); ++i) {
    EXPECT_EQ(sent[sent.size() - tail.size() + i].cdb, tail[i]) << i;
  }
}

}  // namespace
}  // namespace kivo
