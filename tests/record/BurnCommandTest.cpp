// kivoardel-cli burn and mkiso --streamed against the virtual recorder through its ASPI
// library, as a user runs them: what reaches the disc reads back as the image mkiso saves, and
// Ctrl-C ends a burn cleanly.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "tests/drive/RecorderFixture.h"
#include "tests/platform/TempDir.h"

#define KIVO_CLI_PATH KIVO_CLI
#include "tests/iso/Commands.h"
#include "tests/iso/ImageCheck.h"

namespace kivo {
namespace {

using platform::testing::TempDir;
using testing::RecorderTest;
using testing::RunCli;

// Fixed dates, so that two runs lay out the same bytes.
constexpr const char* kFixedDates = "SOURCE_DATE_EPOCH=1700000000";

class BurnCommandTest : public RecorderTest {
 protected:
  void SetUp() override {
    RecorderTest::SetUp();
    source.Write("a.txt", "alpha\n");
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(1 + i % 251);
    source.Write("b.bin", big);
  }
  std::vector<std::uint8_t> Export() {
    const std::string path = work / "disc.iso";
    std::string error;
    std::uint32_t blocks = 0;
    EXPECT_TRUE(recorder->Export(path, blocks, error)) << error;
    return testing::ReadWholeFile(path);
  }

  TempDir source, work;
};

TEST_F(BurnCommandTest, RecordsWhatMkisoSaves) {
  Insert(vdrive::MediumKind::CdR);
  const auto burn = RunCli({"burn", "--volume", "TEST", source.str()}, kFixedDates);
  ASSERT_EQ(burn.status, 0) << burn.output;
  const auto disc = Export();
  const std::string quick = work / "quick.iso", streamed = work / "streamed.iso";
  ASSERT_EQ(RunCli({"mkiso", "--volume", "TEST", "-o", quick, source.str()}, kFixedDates).status, 0);
  const auto save = RunCli({"mkiso", "--streamed", "--volume", "TEST", "-o", streamed, source.str()}, kFixedDates);
  ASSERT_EQ(save.status, 0) << save.output;
  const auto image = testing::ReadWholeFile(quick);

  ASSERT_LE(image.size(), disc.size());
  const testing::ImageCheck check = testing::CheckImage(std::span(disc).first(image.size()));
  EXPECT_TRUE(check.problems.empty()) << check.problems.front();
  EXPECT_EQ(check.iso.size(), 2u);
  const auto streamedImage = testing::ReadWholeFile(streamed);
  // Both the disc and the streamed save carry the post-gap after the image.
  for (const auto* written : {&disc, &streamedImage}) {
    ASSERT_EQ(written->size(), 300u * 2048);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), written->begin()));
  }
}

TEST_F(BurnCommandTest, CtrlCTermAndHangUpEndTheBurnCleanly) {
#ifdef _WIN32
  GTEST_SKIP() << "the signals are sent by timeout(1), a Linux tool";
#endif
  for (const char* signal : {"INT", "TERM", "HUP"}) {
    SCOPED_TRACE(signal);
    Insert(vdrive::MediumKind::DvdPlusR);
    // Every write is refused as busy, so the burn is still retrying when the signal comes: the
    // pauses between retries keep their real length here.
    Faults([](vdrive::Faults& f) { f.commands = {{0x2A, vdrive::CommandFault::Kind::Busy, {}, -1}}; });
    const auto burn =
        RunCli({"burn", source.str()}, std::string("KIVO_WAIT_SCALE=1 timeout -s ") + signal + " --preserve-status 3");
    EXPECT_EQ(burn.status, 1) << burn.output;
    EXPECT_NE(burn.output.find("kivoardel-cli burn: OPERATION ABORTED BY USER"), std::string::npos) << burn.output;
    EXPECT_EQ(recorder->State().disc->closedSessions, 0u);
  }
}

}  // namespace
}  // namespace kivo
