// Erasing on the virtual recorder, then recording an image on the erased disc: every rewritable
// medium, quick and full, with what the drive refuses and a drive without a disc. The full
// DVD+RW erase (4.6 GB of zeros) runs from the command line on a recorder of its own
// (EraseCliTest).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/record/EraseThread.h"
#include "tests/record/EraseFixtures.h"

namespace kivo::erase_recorder_test {
namespace {

using vdrive::MediumKind;

constexpr std::uint32_t kSector = 2048;

std::vector<std::uint8_t> Pattern(std::uint32_t sectors, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(std::size_t{sectors} * kSector);
  std::uint32_t x = seed;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
  }
  return bytes;
}

class EraseOnRecorder : public testing::RecorderBurnerTest {
 protected:
  bool Erase(bool quick) {
    events.Reset();
    if (!burner->StartErase(quick)) return false;
    const auto withError = events.eraseDone.Wait();
    return withError.has_value() && !*withError && WaitForEraseThread(60'000);
  }
  void RecordImage(const std::vector<std::uint8_t>& image) {
    const std::string file = files_.Write("image.iso", std::string(image.begin(), image.end()));
    events.Reset();
    burner->WritePostGap = false;
    burner->RecordImageFile(file);
    const auto error = events.writeDone.Wait();
    ASSERT_TRUE(error.has_value());
    ASSERT_EQ(*error, "") << events.log.All();
  }
  std::vector<std::uint8_t> ReadBack(std::uint32_t sectors) {
    std::vector<std::uint8_t> bytes(std::size_t{sectors} * kSector);
    for (std::uint32_t lba = 0; lba < sectors; lba += 32) {
      const auto n = static_cast<std::uint16_t>(std::min<std::uint32_t>(32, sectors - lba));
      EXPECT_TRUE(burner->ReadSectors(lba, n, std::span(bytes).subspan(std::size_t{lba} * kSector, n * kSector)))
          << "LBA " << lba << ": " << burner->LastErrorText;
    }
    return bytes;
  }
  platform::testing::TempDir files_;
};

TEST_F(EraseOnRecorder, ErasedDiscsTakeAnImageAgain) {
  struct Case {
    MediumKind kind;
    bool quick;
    bool overwritable;  // erased by zeros and formatting rather than by blanking
  };
  constexpr std::uint32_t kImageSectors = 400;
  for (const auto& c : {Case{MediumKind::CdRw, true, false}, Case{MediumKind::CdRw, false, false},
                        Case{MediumKind::DvdRwSequential, true, false}, Case{MediumKind::DvdRwRestricted, false, false},
                        Case{MediumKind::DvdPlusRw, true, true},
                        Case{MediumKind::DvdRam, true, true}, Case{MediumKind::DvdRam, false, true}}) {
    SCOPED_TRACE(std::string(vdrive::Info(c.kind).name) + (c.quick ? " quick" : " full"));
    Insert(c.kind);
    // A fresh DVD+RW is not formatted: only an erase makes it writable.
    ASSERT_TRUE(Erase(c.quick)) << events.log.All();
    RecordImage(Pattern(kImageSectors, 1));
    ASSERT_EQ(ReadBack(kImageSectors), Pattern(kImageSectors, 1));

    ASSERT_TRUE(Erase(c.quick)) << events.log.All();
    if (c.overwritable) {
      EXPECT_EQ(ReadBack(kImageSectors), std::vector<std::uint8_t>(kImageSectors * kSector, 0));
    } else {
      EXPECT_EQ(burner->DiscStatus(), 0);  // empty
    }

    RecordImage(Pattern(kImageSectors, 2));
    EXPECT_EQ(ReadBack(kImageSectors), Pattern(kImageSectors, 2));
  }
}

TEST_F(EraseOnRecorder, AnnouncesTheEraseAndReportsARefusal) {
  Insert(MediumKind::CdR);
  EXPECT_FALSE(burner->StartErase(true));
  EXPECT_EQ(events.eraseDone.Count(), 1);
  EXPECT_EQ(events.eraseDone.Wait(), true);
  EXPECT_FALSE(burner->Erasing);
  EXPECT_TRUE(events.log.Contains(" STARTING ERASE PROCESS ON CD-R AT 48X(8,467 KB/s)")) << events.log.All();
}

TEST_F(EraseOnRecorder, NoDiscMeansNoEraseAndNoEvent) {
  Insert(MediumKind::CdRw);
  std::string error;
  ASSERT_TRUE(recorder->Eject(error)) << error;
  ASSERT_TRUE(recorder->CloseTray(error)) << error;
  EXPECT_FALSE(burner->StartErase(true));
  EXPECT_EQ(events.eraseDone.Count(), 0);
  EXPECT_FALSE(burner->Erasing);
}

}  // namespace
}  // namespace kivo::erase_recorder_test
