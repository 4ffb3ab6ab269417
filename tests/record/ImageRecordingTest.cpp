// Recording an image file on a scripted drive: the file goes to the disc from sector 0 in the
// medium's blocks, the last one as long as what is left (made whole for sequential DVD), without
// a post-gap; a file that cannot be opened starts nothing.
#include <gtest/gtest.h>

#include <fmt/printf.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/Recording.h"
#include "engine/record/Strings.h"
#include "engine/record/TCacheThread.h"
#include "tests/platform/TempDir.h"
#include "tests/record/EraseFixtures.h"

namespace kivo::image_recording_test {
namespace {

using testing::SentWrite;

constexpr std::size_t kSector = 2048;

// Bytes without zeros, so that zero padding in the wrong place shows.
std::vector<std::uint8_t> ImageBytes(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(1 + i % 251);
  return bytes;
}

// The bytes the drive received with its writes, in order.
std::vector<std::uint8_t> WrittenBytes(const std::vector<testing::SentCommand>& sent) {
  constexpr unsigned char kWrite10 = 0x2A;
  std::vector<std::uint8_t> bytes;
  for (const auto& command : sent)
    if (command.cdb[0] == kWrite10) bytes.insert(bytes.end(), command.dataOut.begin(), command.dataOut.end());
  return bytes;
}

TEST(ImageRecording, WritesTheFileFromSectorZeroInTheMediumsBlocks) {
  struct Case {
    const char* name;
    std::uint16_t profile;
    std::size_t bytes;
    bool postGap;
    std::vector<SentWrite> writes;
  };
  std::vector<SentWrite> dvd1000;
  for (std::uint32_t lba = 0; lba < 992; lba += 32) dvd1000.push_back({lba, 32});
  // Sequential DVD takes whole ECC blocks: the last 8 sectors go out with 8 zero sectors.
  dvd1000.push_back({992, 16});
  for (const auto& c : std::vector<Case>{
           {"1000 sectors on DVD+R", testing::profile::kDvdPlusR, 1000 * kSector, false, dvd1000},
           // The post-gap belongs to compilations: 100 sectors stay 100.
           {"100 sectors on DVD+R, post-gap", testing::profile::kDvdPlusR, 100 * kSector, true,
            {{0, 32}, {32, 32}, {64, 32}, {96, 16}}},
           {"100 sectors on CD-R", testing::profile::kCdR, 100 * kSector, false, {{0, 27}, {27, 27}, {54, 27}, {81, 19}}},
           // The last sector holds one byte of the file and zeros; a DVD-RAM takes it alone.
           {"2049 bytes on DVD-RAM", testing::profile::kDvdRam, 2049, false, {{0, 2}}},
           {"2049 bytes on sequential DVD-RW", testing::profile::kDvdRwSequential, 2049, false, {{0, 16}}},
       }) {
    SCOPED_TRACE(c.name);
    platform::testing::TempDir files;
    testing::ScriptedBurner drive(c.profile);
    drive.burner.WritePostGap = c.postGap;
    const auto image = ImageBytes(c.bytes);
    const std::string path = files.Write("image.iso", std::string(image.begin(), image.end()));
    ASSERT_TRUE(drive.burner.RecordImageFile(path));
    ASSERT_EQ(drive.events.writeDone.Wait(), std::string()) << drive.events.log.All();
    EXPECT_EQ(testing::WritesOf(drive.Sent()), c.writes);

    const std::size_t sectors = (c.bytes + kSector - 1) / kSector;
    EXPECT_EQ(drive.burner.ImageSectors, static_cast<std::int64_t>(sectors));
    EXPECT_EQ(drive.burner.BytesWritten, static_cast<std::int64_t>(sectors * kSector));
    // Whatever was written beyond the file is zeros.
    auto expected = image;
    expected.resize((c.writes.back().lba + c.writes.back().sectors) * kSector, 0);
    EXPECT_EQ(WrittenBytes(drive.Sent()), expected);
  }
}

// The cache is sized for the disc the recording was prepared for; a DVD put in instead of a CD
// would take CD blocks padded to its ECC blocks, the data shifted. Nothing is written.
TEST(ImageRecording, ADiscOfAnotherKindPutInMeanwhileStopsTheWriter) {
  platform::testing::TempDir files;
  testing::ScriptedBurner drive(testing::profile::kCdR);
  // The starter sees the CD-R, every reading after it a DVD+R.
  drive.Forget();
  drive.On({0x46}, {testing::ProfileReply(testing::profile::kCdR), testing::ProfileReply(testing::profile::kDvdPlusR)});
  const auto image = ImageBytes(100 * kSector);
  ASSERT_TRUE(drive.burner.RecordImageFile(files.Write("image.iso", std::string(image.begin(), image.end()))));
  EXPECT_EQ(drive.events.writeDone.Wait(), std::string(recordtext::kMediumChanged));
  EXPECT_TRUE(testing::WritesOf(drive.Sent()).empty());
}

TEST(ImageRecording, AFileThatCannotBeOpenedStartsNothing) {
  platform::testing::TempDir files;
  testing::ScriptedBurner drive(testing::profile::kDvdPlusR);
  const std::string missing = files / "missing.iso";
  EXPECT_FALSE(drive.burner.RecordImageFile(missing));
  EXPECT_EQ(drive.events.writeDone.Count(), 1);
  EXPECT_EQ(drive.events.writeDone.Wait(), fmt::sprintf(recordtext::kCannotOpenFile, missing));
  EXPECT_TRUE(testing::WritesOf(drive.Sent()).empty());
  EXPECT_EQ(ActiveCache.load(), nullptr);
  EXPECT_FALSE(WriterRunning);
}

// Every starter refuses while a writer runs, without a command and without OnWriteDone.
TEST(ImageRecording, NothingStartsWhileARecordingRuns) {
  platform::testing::TempDir files;
  const std::string path = files.Write("image.iso", std::string(2048, 'x'));
  const std::string saved = files / "saved.iso";
  const std::pair<const char*, std::function<bool(TZelvoBurner&)>> starters[] = {
      {"image", [&](TZelvoBurner& b) { return b.RecordImageFile(path); }},
      {"compilation", [](TZelvoBurner& b) { return b.RecordCompilation(); }},
      {"streamed save", [&](TZelvoBurner& b) { return b.SaveISO(saved, false) != 0; }},
      {"quick save", [&](TZelvoBurner& b) { return b.SaveISO(saved, true) != 0; }},
  };
  for (const auto& [name, start] : starters) {
    SCOPED_TRACE(name);
    testing::ScriptedBurner drive(testing::profile::kDvdPlusR);
    drive.burner.ResetCompilation(1000, 100);
    WriterRunning = true;
    EXPECT_FALSE(start(drive.burner));
    WriterRunning = false;
    EXPECT_TRUE(drive.Sent().empty());
    EXPECT_EQ(drive.events.writeDone.Count(), 0);
    EXPECT_TRUE(drive.events.log.Contains("CAN'T RECORD WHILE AN ERASE OR A RECORDING IS RUNNING"));
    EXPECT_EQ(ActiveCache.load(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(saved));
  }
}

}  // namespace
}  // namespace kivo::image_recording_test
