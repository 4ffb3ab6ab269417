// The erase on a scripted drive: which commands each medium gets, what happens when the drive
// refuses them, and the waits that have to end even when the drive never becomes ready.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "engine/record/FormatLists.h"
#include "engine/record/Recording.h"
#include "tests/record/EraseFixtures.h"

namespace kivo::erase_commands_test {
namespace {

using testing::Reply;
using testing::ScriptedBurner;
namespace profile = testing::profile;

constexpr unsigned char kOpRezero = 0x01, kOpFormat = 0x04, kOpWrite10 = 0x2A, kOpSync = 0x35,
                        kOpReadDiscInfo = 0x51, kOpClose = 0x5B, kOpBlank = 0xA1;

std::uint32_t Be32(const std::vector<unsigned char>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

std::string FormatListName(const std::vector<unsigned char>& data) {
  const auto is = [&data](const formatlist::List& list) { return std::equal(list.begin(), list.end(), data.begin(), data.end()); };
  if (is(formatlist::kDvdPlusRwBasic)) return "D";
  if (is(formatlist::kDvdRamFull)) return "E";
  return "?";
}

// The commands that erase, one word each; runs of 32-sector writes at LBA 0, 32, 64, ... are
// folded into "WRITE 0..<last LBA> x<count>".
std::string EraseSteps(const std::vector<testing::SentCommand>& sent) {
  std::vector<std::string> steps;
  std::uint32_t runCount = 0, runLast = 0;
  const auto endRun = [&] {
    if (runCount > 0) steps.push_back(fmt::format("WRITE 0..{} x{}", runLast, runCount));
    runCount = 0;
  };
  for (const auto& command : sent) {
    const auto& cdb = command.cdb;
    if (cdb[0] == kOpWrite10) {
      const std::uint32_t lba = Be32(cdb, 2);
      const unsigned blocks = (cdb[7] << 8) | cdb[8];
      if (blocks == 32 && lba == 32 * runCount) {
        runLast = lba;
        ++runCount;
        continue;
      }
      endRun();
      steps.push_back(fmt::format("WRITE {} {}", lba, blocks));
      continue;
    }
    switch (cdb[0]) {
      case kOpBlank: endRun(); steps.push_back(fmt::format("BLANK/{} {:02X}", cdb.size(), cdb[1])); break;
      case kOpFormat: endRun(); steps.push_back(fmt::format("FORMAT {:02X} {}", cdb[1], FormatListName(command.dataOut))); break;
      case kOpRezero: endRun(); steps.push_back("REZERO"); break;
      case kOpSync: endRun(); steps.push_back(cdb[1] & 0x02 ? "SYNC IMMED" : "SYNC"); break;
      case kOpClose: endRun(); steps.push_back(fmt::format("CLOSE {} {} {}", cdb[1] & 1, cdb[2], cdb[5])); break;
      default: break;
    }
  }
  endRun();
  std::string text;
  for (const auto& step : steps) text += (text.empty() ? "" : " | ") + step;
  return text;
}

// The neutral state at the end of every erase rezeroes twice.
constexpr char kNeutral[] = " | REZERO | REZERO";

struct MediumCase {
  const char* name;
  std::uint16_t profile;
  bool quick;
  std::string steps;
};

TEST(EraseCommands, EachMediumGetsItsEraseAndEndsInTheNeutralState) {
  const std::string n = kNeutral;
  for (const auto& c : std::vector<MediumCase>{
           {"CD-RW quick", profile::kCdRw, true, "BLANK/12 11" + n},
           {"CD-RW full", profile::kCdRw, false, "BLANK/12 10" + n},
           {"DVD-RW sequential quick", profile::kDvdRwSequential, true, "BLANK/12 11" + n},
           {"DVD-RW restricted full", profile::kDvdRwRestricted, false, "BLANK/12 10" + n},
           // Never formatted: 11 zero writes before the thread, 65 in it.
           {"DVD-RAM quick", profile::kDvdRam, true, "WRITE 0..320 x11 | SYNC | WRITE 0..2048 x65 | SYNC" + n},
           {"DVD-RAM full", profile::kDvdRam, false, "FORMAT 11 E" + n},
           {"DVD+RW quick", profile::kDvdPlusRw, true, "FORMAT 11 D | WRITE 0..2048 x65 | SYNC | CLOSE 0 3 0" + n},
       }) {
    SCOPED_TRACE(c.name);
    ScriptedBurner drive(c.profile);
    ASSERT_TRUE(drive.burner.StartErase(c.quick));
    ASSERT_EQ(drive.events.eraseDone.Wait(), false);
    EXPECT_EQ(EraseSteps(drive.Sent()), c.steps);
    EXPECT_FALSE(drive.burner.Erasing);
    EXPECT_EQ(drive.burner.EraseProgress, 100);
    EXPECT_EQ(drive.burner.ErasePercent(), 0);
  }
}

TEST(EraseCommands, DvdPlusRwFormatIsTriedAgainAfterARezero) {
  ScriptedBurner drive(profile::kDvdPlusRw);
  drive.On({kOpFormat}, {Reply::Check(0x05, 0x24, 0x00), Reply::Data({})});
  ASSERT_TRUE(drive.burner.StartErase(true));
  ASSERT_EQ(drive.events.eraseDone.Wait(), false);
  EXPECT_EQ(EraseSteps(drive.Sent()),
            std::string("FORMAT 11 D | REZERO | FORMAT 11 D | WRITE 0..2048 x65 | SYNC | CLOSE 0 3 0") + kNeutral);
}

TEST(EraseCommands, RefusedEraseIsReportedAtOnceWithAnError) {
  struct Refusal {
    const char* name;
    std::uint16_t profile;
    unsigned char opcode;
    std::string steps;
  };
  for (const auto& c : {Refusal{"CD-RW blank", profile::kCdRw, kOpBlank, "BLANK/12 11"},
                        Refusal{"DVD+RW format twice", profile::kDvdPlusRw, kOpFormat, "FORMAT 11 D | REZERO | FORMAT 11 D"}}) {
    SCOPED_TRACE(c.name);
    ScriptedBurner drive(c.profile);
    drive.On({c.opcode}, {Reply::Check(0x05, 0x30, 0x00)});
    EXPECT_FALSE(drive.burner.StartErase(true));
    // Raised by StartErase itself, before it returns.
    EXPECT_EQ(drive.events.eraseDone.Count(), 1);
    EXPECT_EQ(drive.events.eraseDone.Wait(), true);
    EXPECT_FALSE(drive.burner.Erasing);
    EXPECT_FALSE(EraseRunning());
    EXPECT_EQ(EraseSteps(drive.Sent()), c.steps);
  }
}

TEST(EraseCommands, AFailedZeroWriteOnDvdPlusRwSkipsTheRestAndTheClose) {
  ScriptedBurner drive(profile::kDvdPlusRw);
  drive.On({kOpWrite10}, {Reply::Data({}), Reply::Data({}), Reply::Data({}), Reply::Check(0x03, 0x0C, 0x00)});
  ASSERT_TRUE(drive.burner.StartErase(false));
  EXPECT_EQ(drive.events.eraseDone.Wait(), false);
  EXPECT_EQ(EraseSteps(drive.Sent()), std::string("FORMAT 11 D | WRITE 0..96 x4") + kNeutral);
}

TEST(EraseCommands, DvdPlusRwFormatThatNeverEndsIsGivenUpAndReported) {
  ScriptedBurner drive(profile::kDvdPlusRw);
  drive.On({kOpReadDiscInfo}, {Reply::NotReady()});
  ASSERT_TRUE(drive.burner.StartErase(true));
  ASSERT_EQ(drive.events.eraseDone.Wait(), true);
  EXPECT_TRUE(drive.events.log.Contains("DVD+RW FORMAT DID NOT FINISH WITHIN 60 MINUTES")) << drive.events.log.All();
  EXPECT_EQ(EraseSteps(drive.Sent()), std::string("FORMAT 11 D") + kNeutral);
  // One poll every 2 s for 60 minutes.
  const auto polls = std::count_if(drive.Sent().begin(), drive.Sent().end(),
                                   [](const auto& command) { return command.cdb[0] == kOpReadDiscInfo; });
  EXPECT_GE(polls, 1800);
  EXPECT_FALSE(drive.burner.Erasing);
}

TEST(EraseCommands, ProgressStopsShortOfHundredUntilTheEnd) {
  ScriptedBurner drive(profile::kDvdPlusRw);
  // The format outlasts the quick erase's estimate (600 rounds = 300 polls) by 700 polls: long
  // enough at 99 for this thread to see it even on a loaded machine.
  std::vector<Reply> formatting(1000, Reply::NotReady());
  formatting.push_back(Reply::Data({}));
  drive.On({kOpReadDiscInfo}, formatting);
  platform::SetTimeScale(0.0005);
  ASSERT_TRUE(drive.burner.StartErase(true));
  std::vector<int> seen;
  while (drive.events.eraseDone.Count() == 0) {
    if (drive.burner.Erasing) seen.push_back(drive.burner.EraseProgress);
  }
  ASSERT_EQ(drive.events.eraseDone.Wait(), false);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_LE(seen.back(), 100);
  EXPECT_NE(std::find(seen.begin(), seen.end(), 99), seen.end());
  EXPECT_EQ(drive.burner.EraseProgress, 100);
}

TEST(EraseCommands, NothingIsSentWhileAnEraseOrARecordingRuns) {
  for (const bool writer : {false, true}) {
    SCOPED_TRACE(writer ? "recording" : "erase");
    ScriptedBurner drive(profile::kCdRw);
    if (writer)
      WriterRunning = true;
    else
      drive.burner.Erasing = true;
    EXPECT_FALSE(drive.burner.StartErase(true));
    WriterRunning = false;
    EXPECT_TRUE(drive.Sent().empty());
    EXPECT_EQ(drive.events.eraseDone.Count(), 0);
    EXPECT_TRUE(drive.events.log.Contains("CAN'T ERASE WHILE AN ERASE OR A RECORDING IS RUNNING"));
  }
}

}  // namespace
}  // namespace kivo::erase_commands_test
