// The command block every wrapper sends: CDB bytes, transfer direction and length, as they
// reach the drive node.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/drive/ScriptedDrive.h"

namespace kivo::command_blocks_test {
namespace {

using testing::ScriptedDrive;
using Bytes = std::vector<unsigned char>;

struct Case {
  std::string name;
  std::function<void(TSCSIDevice&)> call;
  Bytes cdb;
  platform::ScsiDirection direction;
  unsigned length;
};

std::vector<unsigned char> buffer(4096);
const Bytes list60(60, 0x11);
const Bytes cueSheet(300, 0x22);
const Bytes formatList(12, 0x33);
const Bytes twoSectors(4096, 0x44);

constexpr platform::ScsiDirection kNone = platform::ScsiDirection::None, kIn = platform::ScsiDirection::In,
                                  kOut = platform::ScsiDirection::Out;

const Case kCases[] = {
    {"TestUnitReady", [](auto& d) { d.TestUnitReady(5000); }, {0x00, 0, 0, 0, 0, 0}, kNone, 0},
    {"RezeroUnit", [](auto& d) { d.RezeroUnit(); }, {0x01, 0, 0, 0, 0, 0}, kNone, 0},
    {"RequestSense", [](auto& d) { d.RequestSense(buffer, 40); }, {0x03, 0, 0, 0, 40, 0}, kIn, 40},
    {"FormatUnit", [](auto& d) { d.FormatUnit(0x11, formatList); }, {0x04, 0x11, 0, 0, 0, 0}, kOut, 12},
    {"LoadEject eject", [](auto& d) { d.LoadEject(true); }, {0x1B, 0, 0, 0, 0x02, 0}, kNone, 0},
    {"LoadEject load", [](auto& d) { d.LoadEject(false); }, {0x1B, 0, 0, 0, 0x03, 0}, kNone, 0},
    {"PreventAllowRemoval allow", [](auto& d) { d.PreventAllowRemoval(true); }, {0x1E, 0, 0, 0, 0, 0}, kNone, 0},
    {"PreventAllowRemoval prevent", [](auto& d) { d.PreventAllowRemoval(false); }, {0x1E, 0, 0, 0, 1, 0}, kNone, 0},
    {"ReadSectors", [](auto& d) { d.ReadSectors(0x12345678, 2, buffer); },
     {0x28, 0, 0x12, 0x34, 0x56, 0x78, 0, 0, 2, 0}, kIn, 4096},
    {"WriteSectors", [](auto& d) { d.WriteSectors(0x00ABCDEF, 0x0102, twoSectors); },
     {0x2A, 0, 0x00, 0xAB, 0xCD, 0xEF, 0, 0x01, 0x02, 0}, kOut, 4096},
    {"SynchronizeCache immediate", [](auto& d) { d.SynchronizeCache(30000, true); },
     {0x35, 0x02, 0, 0, 0, 0, 0, 0, 0, 0}, kNone, 0},
    {"SynchronizeCache", [](auto& d) { d.SynchronizeCache(30000, false); },
     {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kNone, 0},
    {"ModeSelect", [](auto& d) { d.ModeSelect(list60); }, {0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, kOut, 60},
    {"CloseTrackSession session", [](auto& d) { d.CloseTrackSession(false, false, false); },
     {0x5B, 0, 0x02, 0, 0, 0x00, 0, 0, 0, 0}, kNone, 0},
    {"CloseTrackSession track immediate", [](auto& d) { d.CloseTrackSession(true, true, false); },
     {0x5B, 0x01, 0x01, 0, 0, 0xFF, 0, 0, 0, 0}, kNone, 0},
    {"CloseTrackSession finalize", [](auto& d) { d.CloseTrackSession(false, false, true); },
     {0x5B, 0, 0x05, 0, 0, 0x00, 0, 0, 0, 0}, kNone, 0},
    {"CloseTrackSession finalize track", [](auto& d) { d.CloseTrackSession(true, false, true); },
     {0x5B, 0, 0x05, 0, 0, 0xFF, 0, 0, 0, 0}, kNone, 0},
    {"CloseTrackSessionRaw", [](auto& d) { d.CloseTrackSessionRaw(true, 0x03, 0x0A, 0x0B, 0x0C); },
     {0x5B, 0x01, 0x03, 0x0A, 0x0B, 0x0C, 0, 0, 0, 0}, kNone, 0},
    {"SendCueSheet", [](auto& d) { d.SendCueSheet(cueSheet); }, {0x5D, 0, 0, 0, 0, 0, 0, 0x01, 0x2C, 0}, kOut, 300},
    {"SetSpeed maximum", [](auto& d) { d.SetSpeed(0, 0); },
     {0xBB, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, kNone, 0},
    {"SetSpeed", [](auto& d) { d.SetSpeed(1385, 5540); },
     {0xBB, 0, 0x05, 0x69, 0x15, 0xA4, 0, 0, 0, 0, 0, 0}, kNone, 0},
    {"WriteSpeed setter", [](auto& d) { d.SetReadSpeed(2822); d.SetWriteSpeed(4234); },
     {0xBB, 0, 0x0B, 0x06, 0x10, 0x8A, 0, 0, 0, 0, 0, 0}, kNone, 0},
    {"ModeSense default values", [](auto& d) { d.ModeSense(0x2A, buffer, true, 255, 255); },
     {0x5A, 0, 0xAA, 0, 0, 0, 0, 0x00, 0xFF, 0}, kIn, 255},
    {"ModeSense current values", [](auto& d) { d.ModeSense(0x05, buffer, false, 0x0123, 0); },
     {0x5A, 0, 0x05, 0, 0, 0, 0, 0x01, 0x23, 0}, kIn, 0x123},
    {"GetConfiguration", [](auto& d) { d.GetConfiguration(2, 0x002A, 114, buffer); },
     {0x46, 0x02, 0, 0x2A, 0, 0, 0, 0, 114, 0}, kIn, 114},
    {"ReadBufferCapacity", [](auto& d) { std::uint32_t l, f; d.ReadBufferCapacity(l, f); },
     {0x5C, 0, 0, 0, 0, 0, 0, 0, 0x20, 0}, kIn, 32},
    {"ReadDiscInfo", [](auto& d) { d.ReadDiscInfo(); }, {0x51, 0, 0, 0, 0, 0, 0, 0, 0x38, 0}, kIn, 56},
    {"ReadTrackInfo invisible track", [](auto& d) { d.ReadTrackInfo(0xFF); },
     {0x52, 0x01, 0, 0, 0, 0xFF, 0, 0, 0x28, 0}, kIn, 40},
    {"ReadToc ATIP", [](auto& d) { d.ReadToc(4, buffer, true, 0, 26, 0); },
     {0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 26, 0}, kIn, 26},
    {"ReadToc sessions", [](auto& d) { d.ReadToc(1, buffer, false, 2, 4, 0x40); },
     {0x43, 0x00, 0x01, 0, 0, 0, 2, 0, 4, 0x40}, kIn, 4},
    {"ReadCapacity", [](auto& d) { std::uint32_t a, b; d.ReadCapacity(a, b); },
     {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kIn, 8},
    {"ReadFormatCapacities", [](auto& d) { std::uint32_t a, b; d.ReadFormatCapacities(a, b); },
     {0x23, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0}, kIn, 248},
};

TEST(CommandBlocks, EveryWrapperSendsItsBlock) {
  ScriptedDrive drive;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    drive.ClearSent();
    c.call(drive.device);
    ASSERT_EQ(drive.Sent().size(), 1u);
    const auto& sent = drive.Sent().front();
    EXPECT_EQ(sent.cdb, c.cdb);
    EXPECT_EQ(sent.direction, c.direction);
    EXPECT_EQ(sent.length, c.length);
  }
}

// Values the command's fields cannot carry are refused rather than sent cut short.
TEST(CommandBlocks, WhatDoesNotFitIsRefusedWithoutACommand) {
  ScriptedDrive drive;
  const Bytes longList(256, 0);
  const Bytes longSheet(0x10000, 0);
  drive.device.TrackInfo.fill(0xEE);
  EXPECT_FALSE(drive.device.ReadTrackInfo(256));
  EXPECT_EQ(drive.device.TrackInfo, decltype(drive.device.TrackInfo){});
  EXPECT_EQ(drive.device.LastErrorText, "TRACK NUMBER OUT OF RANGE");
  EXPECT_FALSE(drive.device.ModeSelect(longList));
  EXPECT_FALSE(drive.device.SendCueSheet(longSheet));
  std::vector<std::uint8_t> small(10);
  EXPECT_FALSE(drive.device.ReadToc(0, small, false, 0, 11, 0));
  EXPECT_FALSE(drive.device.GetConfiguration(2, 0, 114, small));
  EXPECT_TRUE(drive.Sent().empty());
}

// A write that was never sent is no write, even though its block reads "pending".
TEST(CommandBlocks, WriteWithoutADriveFails) {
  TSCSIDevice device;
  EXPECT_FALSE(device.WriteSectors(0, 1, twoSectors));
}

}  // namespace
}  // namespace kivo::command_blocks_test
