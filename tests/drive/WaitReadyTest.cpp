// Waiting out a long operation: which commands WaitReady sends in which order for drives that
// become ready at different points, and when it gives up. Sleeps are instant (time scale 0), so
// the budget is spent only by the steps' arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/drive/ScriptedDrive.h"

namespace kivo::wait_ready_test {
namespace {

using testing::Reply;
using testing::ScriptedDrive;
using Bytes = std::vector<unsigned char>;

constexpr unsigned char kTur = 0x00, kSense = 0x03, kDiscInfo = 0x51;

Reply SenseData(unsigned char first, unsigned char asc) {
  Bytes data(18, 0);
  data[0] = first;
  data[7] = 10;
  data[12] = asc;
  return Reply::Data(data);
}

struct Case {
  std::string name;
  bool slowDrive;
  std::uint16_t mediaKind;
  long total, step;
  std::vector<Reply> discInfo, testUnitReady, requestSense;
  bool ready;
  Bytes commands;
};

const Reply kGood = Reply::Data({});
const Reply kNotReady = Reply::NotReady();

const std::vector<Case> kCases = {
    {"a drive that never becomes ready gets one step", false, 0, 3000, 5000,
     {kNotReady}, {kGood}, {}, false, {kDiscInfo}},
    {"ready after two polls of the disc information", false, 0, 60000, 1000,
     {kNotReady, kNotReady, kGood}, {kGood}, {}, true, {kDiscInfo, kDiscInfo, kDiscInfo, kTur}},
    {"disc information readable before the unit is ready", false, 0, 60000, 1000,
     {kGood}, {kNotReady, kNotReady, kGood}, {SenseData(0x70, 0)}, true,
     {kDiscInfo, kTur, kTur, kTur, kSense}},
    {"budget spent polling the disc information", false, 0, 3000, 1000,
     {kNotReady}, {kGood}, {}, false, {kDiscInfo, kDiscInfo, kDiscInfo, kDiscInfo}},
    {"DVD-RAM waits for sense data without a standing condition", false, 6, 60000, 1000,
     {}, {kGood}, {SenseData(0xF0, 0), SenseData(0x70, 0x04), SenseData(0x70, 0)}, true,
     {kTur, kTur, kSense, kSense, kSense}},
    {"DVD-RAM gives up while the sense data starts with F0h", false, 6, 5000, 1000,
     {}, {kGood}, {SenseData(0xF0, 0)}, false, {kTur, kTur, kSense, kSense, kSense, kSense, kSense}},
    {"a condition other than not ready is asked again", false, 0, 60000, 1000,
     {kGood}, {kNotReady, kGood}, {SenseData(0x70, 0x28), SenseData(0x70, 0)}, true,
     {kDiscInfo, kTur, kTur, kSense, kSense}},
    {"a REQUEST SENSE that fails is no answer that the drive is ready", false, 6, 3000, 1000,
     {}, {kGood}, {kNotReady}, false, {kTur, kTur, kSense, kSense, kSense}},
    {"a slow drive is first asked with TEST UNIT READY", true, 0, 60000, 1000,
     {kGood}, {kNotReady, kGood}, {}, true, {kTur, kTur, kDiscInfo, kTur}},
    {"a slow drive's pauses spend the budget first", true, 0, 2000, 1000,
     {kNotReady}, {kNotReady}, {}, false, {kTur, kDiscInfo}},
};

TEST(WaitReady, CommandSequences) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ScriptedDrive drive;
    drive.device.LongFormatQuirk = c.slowDrive;
    CurrentMediaKind.store(c.mediaKind);
    drive.On({kDiscInfo}, c.discInfo);
    drive.On({kTur}, c.testUnitReady);
    drive.On({kSense}, c.requestSense);
    EXPECT_EQ(drive.device.WaitReady(c.total, c.step), c.ready);
    EXPECT_EQ(drive.Opcodes(), c.commands);
  }
  CurrentMediaKind.store(0);
}

// The disc record stays the caller's when no disc becomes ready.
TEST(WaitReady, DiscRecordOfADriveThatIsNotReady) {
  ScriptedDrive drive;
  drive.On({}, {kNotReady});
  TDisc disc;
  disc.Capacity = 1234;
  disc.MediaName = "kept";
  drive.device.GetDiscInfo(disc);
  EXPECT_EQ(disc.Ready, 0);
  EXPECT_EQ(disc.Capacity, 1234u);
  EXPECT_EQ(disc.MediaName, "kept");
  EXPECT_EQ(drive.Opcodes(), (Bytes{kTur, kDiscInfo, kTur}));
}

// START STOP UNIT lets go of the drive node so the system sees the medium change; the node is
// opened again by the next command and then kept.
TEST(DriveControl, TrayCommandsReleaseTheDriveOnce) {
  ScriptedDrive drive;
  SetCloseAfterCommand(false);
  ASSERT_TRUE(drive.device.TestUnitReady(5000));
  EXPECT_EQ(drive.OpenHandles(), 1u);
  ASSERT_TRUE(drive.device.LoadEject(true));
  EXPECT_EQ(drive.OpenHandles(), 0u);
  EXPECT_FALSE(CloseAfterCommand());
  ASSERT_TRUE(drive.device.TestUnitReady(5000));
  ASSERT_TRUE(drive.device.TestUnitReady(5000));
  EXPECT_EQ(drive.OpenHandles(), 1u);

  ASSERT_TRUE(drive.device.PreventAllowRemoval(false));
  EXPECT_EQ(drive.OpenHandles(), 1u) << "preventing removal keeps the node";
  ASSERT_TRUE(drive.device.PreventAllowRemoval(true));
  EXPECT_EQ(drive.OpenHandles(), 0u) << "allowing removal lets it go";
  EXPECT_FALSE(CloseAfterCommand());
}

}  // namespace
}  // namespace kivo::wait_ready_test
