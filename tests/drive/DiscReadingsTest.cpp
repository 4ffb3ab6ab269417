// Disc readings whose interpretation depends on the reply's bytes: which format capacity
// descriptor gives the sector count, and the track information words in host order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/drive/BigEndian.h"
#include "tests/drive/ScriptedDrive.h"

namespace kivo {
namespace {

using testing::Reply;
using testing::ScriptedDrive;
using Bytes = std::vector<unsigned char>;

// A capacity list: the current descriptor, then formattable ones, each (blocks, bytes 4-7).
Bytes CapacityList(std::vector<std::pair<std::uint32_t, Bytes>> descriptors) {
  Bytes list(4, 0);
  list[3] = static_cast<unsigned char>(8 * descriptors.size());
  for (const auto& [blocks, tail] : descriptors) {
    const std::size_t at = list.size();
    list.resize(at + 8);
    put32(&list[at], blocks);
    std::copy(tail.begin(), tail.end(), list.begin() + static_cast<std::ptrdiff_t>(at + 4));
  }
  return list;
}

TEST(DiscReadings, FormatCapacityChoice) {
  const Bytes blocks2048 = {0x00, 0x00, 0x08, 0x00};
  const Bytes formatted2048 = {0x02, 0x00, 0x08, 0x00};
  const Bytes fullFormat26 = {0x98, 0x00, 0x00, 0x00};
  const Bytes otherType = {0x40, 0x00, 0x00, 0x10};
  struct Case {
    std::string name;
    Bytes reply;
    std::uint32_t count;
  };
  const Case cases[] = {
      {"current descriptor of type 0", CapacityList({{100, blocks2048}, {200, blocks2048}}), 100},
      {"first formattable in 2048-byte blocks", CapacityList({{100, formatted2048}, {200, blocks2048}}), 200},
      {"first formattable of format type 26h", CapacityList({{100, formatted2048}, {300, fullFormat26}}), 300},
      {"second formattable", CapacityList({{100, formatted2048}, {200, otherType}, {400, blocks2048}}), 400},
      {"none matches: the current count", CapacityList({{100, formatted2048}, {200, otherType}}), 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDrive drive;
    drive.On({0x23}, {Reply::Data(c.reply)});
    std::uint32_t count = 0, blockLength = 0;
    ASSERT_TRUE(drive.device.ReadFormatCapacities(count, blockLength));
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(blockLength, 2048u);
  }
}

TEST(DiscReadings, TrackInformationInHostOrder) {
  ScriptedDrive drive;
  Bytes reply(40, 0xEE);
  put16(&reply[0], 38);
  for (int field = 0; field < 6; ++field) put32(&reply[8 + 4 * field], 0x01020304u * (field + 1));
  drive.On({0x52}, {Reply::Data(reply), Reply::Check(5, 0x24, 0)});
  ASSERT_TRUE(drive.device.ReadTrackInfo(1));
  const auto& info = drive.device.TrackInfo;
  EXPECT_EQ(host16(&info[0]), 38);
  for (int field : {trackinfo::kStart, trackinfo::kNextWritable, trackinfo::kFreeBlocks,
                    trackinfo::kFixedPacketSize, trackinfo::kSize, trackinfo::kLastRecorded}) {
    EXPECT_EQ(host32(&info[field]), 0x01020304u * ((field - 8) / 4 + 1)) << field;
  }
  EXPECT_EQ(info[32], 0xEE) << "bytes past the words stay as the drive sent them";

  EXPECT_FALSE(drive.device.ReadTrackInfo(2));
  EXPECT_EQ(info, decltype(drive.device.TrackInfo){}) << "a failed reading leaves zeros";
}

}  // namespace
}  // namespace kivo
