// burn-image against the virtual recorder: an image saved by mkiso, recorded and exported again
// is the same file; an image that cannot be opened fails the command.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/drive/RecorderFixture.h"
#include "tests/platform/TempDir.h"

#define KIVO_CLI_PATH KIVO_CLI
#include "tests/iso/Commands.h"
#include "tests/iso/ImageCheck.h"

namespace kivo {
namespace {

using testing::RunCli;
using testing::RunCommand;
using vdrive::MediumKind;

class BurnImageCli : public testing::RecorderTest {
 protected:
  platform::testing::TempDir files;
};

TEST_F(BurnImageCli, ASavedImageRecordedAndExportedIsTheSame) {
  files.Write("a.txt", "first file\n");
  files.Write("b.bin", std::string(100000, 'b'));
  const std::string image = files / "saved.iso";
  const auto saved = RunCli({"mkiso", "-o", image, files / "a.txt", files / "b.bin"});
  ASSERT_EQ(saved.status, 0) << saved.output;
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(image);
  struct Case {
    MediumKind kind;
    std::size_t minimumBytes;  // a CD track is never shorter than 300 sectors: closing pads it
  };
  for (const auto& c : {Case{MediumKind::DvdRam, 0}, Case{MediumKind::CdR, 300 * 2048}}) {
    SCOPED_TRACE(std::string(vdrive::Info(c.kind).name));
    Insert(c.kind);
    const auto burned = RunCli({"burn-image", image});
    ASSERT_EQ(burned.status, 0) << burned.output;
    const std::string exported = files / "exported.iso";
    const auto exportRun = RunCommand(testing::QuotedProgram(KIVO_VRCTL) + " " + testing::Quoted(testing::RecorderFolder().str()) +
                                      " export " + testing::Quoted(exported));
    ASSERT_EQ(exportRun.status, 0) << exportRun.output;
    auto expected = bytes;
    expected.resize(std::max(bytes.size(), c.minimumBytes), 0);
    EXPECT_EQ(testing::ReadWholeFile(exported), expected);
  }
}

TEST_F(BurnImageCli, AnImageThatCannotBeOpenedFailsTheCommand) {
  Insert(MediumKind::DvdRam);
  const std::string missing = files / "missing.iso";
  const auto run = RunCli({"burn-image", missing});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("CAN'T OPEN FILE \"" + missing + "\" OR FILE IS IN USES BY OTHER SOFTWARE"), std::string::npos)
      << run.output;
}

}  // namespace
}  // namespace kivo
