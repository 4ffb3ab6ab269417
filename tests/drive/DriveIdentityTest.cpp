// Capability and media kind readings from replies shaped byte by byte: where a drive puts page
// 2Ah, the speed defaults, the feature descriptors' write rule, the vendor page, the buffer
// reading, and the media kind of drives that answer only some of the questions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "engine/drive/Capabilities.h"
#include "tests/drive/ScriptedDrive.h"

namespace kivo {
namespace {

using testing::Reply;
using testing::ScriptedDrive;
using Bytes = std::vector<unsigned char>;

struct Page {
  unsigned char reads = 0, writes = 0, features = 0;
  std::uint16_t maxRead = 0, maxWrite = 0, currentWrite = 0;
};

// A MODE SENSE reply: headerLength bytes of header (and block descriptor), then page 2Ah.
Reply ModePage(std::size_t headerLength, const Page& p) {
  Bytes reply(headerLength + 32, 0);
  unsigned char* page = &reply[headerLength];
  page[0] = 0x2A;
  page[1] = 30;
  page[2] = p.reads;
  page[3] = p.writes;
  page[4] = p.features;
  put16(page + 8, p.maxRead);
  put16(page + 12, 1024);
  put16(page + 18, p.maxWrite);
  put16(page + 20, p.currentWrite);
  return Reply::Data(reply);
}

Reply Feature(std::uint16_t code, unsigned char firstData) {
  Bytes reply(16, 0);
  put16(&reply[8], code);
  reply[11] = 4;
  reply[12] = firstData;
  return Reply::Data(reply);
}

const Bytes kDefaultPage = {0x5A, 0x00, 0xAA};
const Bytes kCurrentPage = {0x5A, 0x00, 0x2A};
const Bytes kVendorPage = {0x5A, 0x00, 0x30};
const Bytes kFeature2A = {0x46, 0x02, 0x00, 0x2A};

struct Script {
  Bytes prefix;
  Reply reply;
};

struct Case {
  std::string name;
  std::vector<Script> script;
  std::uint32_t capabilities;
  std::uint16_t maxWrite, maxRead, currentWrite;
};

const Page kCdWriter{0x03, 0x03, 0x00, 4234, 2822, 2822};

const std::vector<Case> kCases = {
    {"page behind a 7-byte header",
     {{kDefaultPage, ModePage(7, kCdWriter)}, {kCurrentPage, ModePage(7, kCdWriter)}},
     kReadsCdR | kReadsCdRw | kWritesCdR | kWritesCdRw, 2822, 4234, 2822},
    {"current page without write speeds gets DVD 1x",
     {{kDefaultPage, ModePage(8, {0x01, 0x01, 0, 4234, 706, 706})},
      {kCurrentPage, ModePage(8, {0x01, 0x01, 0, 4234, 0, 0})}},
     kReadsCdR | kWritesCdR, 1385, 4234, 1385},
    {"a faster default page wins over the DVD 1x default",
     {{kDefaultPage, ModePage(8, kCdWriter)}, {kCurrentPage, ModePage(8, {0x03, 0x03, 0, 4234, 0, 0})}},
     kReadsCdR | kReadsCdRw | kWritesCdR | kWritesCdRw, 2822, 4234, 1385},
    {"a feature reported with more than the Write bit only reads",
     {{kDefaultPage, ModePage(8, {})}, {kCurrentPage, ModePage(8, {})}, {kFeature2A, Feature(0x002A, 0x03)}},
     kReadsDvdPlusR | kReadsDvdPlusRw, 1385, 0, 1385},
    {"a feature with the Write bit alone writes",
     {{kDefaultPage, ModePage(8, {})}, {kCurrentPage, ModePage(8, {})}, {kFeature2A, Feature(0x002A, 0x01)}},
     kReadsDvdPlusR | kReadsDvdPlusRw | kWritesDvdPlusR | kWritesDvdPlusRw, 1385, 0, 1385},
    {"a reply describing another feature is ignored",
     {{kDefaultPage, ModePage(8, {})}, {kCurrentPage, ModePage(8, {})}, {kFeature2A, Feature(0x002B, 0x01)}},
     0, 1385, 0, 1385},
    {"the vendor page reveals underrun protection",
     {{kDefaultPage, ModePage(8, {})},
      {kCurrentPage, ModePage(8, {})},
      {kVendorPage, Reply::Data(Bytes{0, 10, 0, 0, 0, 0, 0, 0, 0x30, 2})}},
     kUnderrunProtection, 1385, 0, 1385},
    {"a DVD-RAM writer with no default speeds counts as moving",
     {{kDefaultPage, ModePage(8, {0x20, 0x20, 0, 0, 0, 0})}, {kCurrentPage, Reply::Check(5, 0x24, 0)}},
     kReadsDvdRam | kWritesDvdRam, 1, 1, 0},
};

TEST(CapabilityReading, RepliesShapedByteByByte) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ScriptedDrive drive;
    for (const auto& s : c.script) drive.On(s.prefix, {s.reply});
    drive.device.ReadCapabilities();
    EXPECT_EQ(drive.device.Capabilities.load(), c.capabilities);
    EXPECT_EQ(drive.device.DeviceMaxWriteSpeed.load(), c.maxWrite);
    EXPECT_EQ(drive.device.DeviceMaxReadSpeed.load(), c.maxRead);
    EXPECT_EQ(drive.device.CurrentWriteSpeed(), c.currentWrite);
  }
}

// Without page 2Ah nothing is known, and the drive is not asked for features either.
TEST(CapabilityReading, NoCapabilitiesPage) {
  ScriptedDrive drive;
  drive.On({0x5A}, {Reply::Check(5, 0x24, 0)});
  drive.On(kFeature2A, {Feature(0x002A, 0x01)});
  EXPECT_FALSE(drive.device.ReadCapabilities());
  EXPECT_EQ(drive.device.Capabilities.load(), 0u);
  EXPECT_EQ(drive.device.MaxWriteSpeed(), 0);
  EXPECT_EQ(drive.device.MaxReadSpeed(), 0);
  EXPECT_EQ(drive.device.DeviceMaxWriteSpeed.load(), 0);
  for (const auto& sent : drive.Sent()) EXPECT_NE(sent.cdb[0], 0x46);
}

// The quirk belongs to the drive's identity, which is read after the capabilities.
TEST(CapabilityReading, UnderrunQuirkFromTheFirstSelection) {
  ScriptedDrive quirky("ACME    CD-W512EB       1.00");
  EXPECT_TRUE(quirky.device.Capabilities.load() & kUnderrunProtection);
}

TEST(CapabilityReading, BufferCapacity) {
  ScriptedDrive drive;
  Bytes reply(12, 0);
  put32(&reply[4], 0x00200000);
  put32(&reply[8], 0xFFFFFFFF);
  drive.On({0x5C}, {Reply::Data(reply), Reply::Check(2, 0x3A, 0)});
  std::uint32_t length = 0, free = 0;
  ASSERT_TRUE(drive.device.ReadBufferCapacity(length, free));
  EXPECT_EQ(length, 0x00200000u);
  EXPECT_EQ(free, 0x00200000u) << "an unreported free length reads as an empty buffer";
  EXPECT_EQ(drive.device.DeviceFreeBufferSize.load(), 0x00200000u);

  length = free = 7;
  EXPECT_FALSE(drive.device.ReadBufferCapacity(length, free));
  EXPECT_EQ(length, 7u);
  EXPECT_EQ(free, 7u);
  EXPECT_EQ(drive.device.DeviceFreeBufferSize.load(), 0u);
  EXPECT_EQ(drive.device.DeviceBufferSize.load(), 0x00200000u);
}

// The kind from the first reading the drive answers: the current profile, the ATIP, the disc
// information, TEST UNIT READY.
TEST(MediaKind, Fallbacks) {
  const Reply refused = Reply::Check(5, 0x20, 0);
  Bytes profile(8, 0);
  put16(&profile[6], 0x0022);
  Bytes pressedAtip(26, 0);  // disc type byte without its recordable bit
  Bytes erasableDisc(34, 0);
  erasableDisc[2] = 0x10 | 0x01;
  struct Case {
    std::string name;
    Reply configuration, atip, discInfo, testUnitReady;
    std::uint16_t kind;
  };
  const Case cases[] = {
      {"current profile", Reply::Data(profile), refused, refused, refused, media::kDdcdRw},
      {"ATIP of a pressed disc", refused, Reply::Data(pressedAtip), refused, refused, media::kCdRom},
      {"disc information", refused, refused, Reply::Data(erasableDisc), refused, media::kCdRw},
      {"only ready", refused, refused, refused, Reply::Data({}), media::kCdRom},
      {"nothing", refused, refused, refused, refused, media::kUnknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDrive drive;
    drive.On({0x46}, {c.configuration});
    drive.On({0x43}, {c.atip});
    drive.On({0x51}, {c.discInfo});
    drive.On({0x00}, {c.testUnitReady});
    EXPECT_EQ(drive.device.MediaKind(), c.kind);
  }
}

}  // namespace
}  // namespace kivo
