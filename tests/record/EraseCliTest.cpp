// erase from the command line against the virtual recorder: a full DVD+RW erase and an image
// recorded on the erased disc, and the erases the command refuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/drive/RecorderFixture.h"
#include "tests/platform/TempDir.h"

#define KIVO_CLI_PATH KIVO_CLI
#include "tests/iso/Commands.h"

namespace kivo::erase_cli_test {
namespace {

using testing::Quoted;
using testing::RunCli;
using testing::RunCommand;
using vdrive::MediumKind;

constexpr std::size_t kSector = 2048;

// A recorder folder of its own, in memory where the system offers it: the full erase sends
// 71001 writes, and the recorder keeps its state file up to date after each of them.
class OwnRecorder {
 public:
  OwnRecorder() {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    std::string pattern = ((std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path()) /
                           "kivo-erase-XXXXXX")
                              .string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~OwnRecorder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  testing::CommandResult Control(const std::string& arguments) const {
    return RunCommand(Quoted(KIVO_VRCTL) + " " + Quoted(path_) + " " + arguments);
  }
  testing::CommandResult Cli(const std::vector<std::string>& arguments) const {
    return RunCli(arguments, "KIVO_VIRTUAL_RECORDER=" + Quoted(path_));
  }
  std::string DiscImage() const { return path_ + "/disc.img"; }

 private:
  std::string path_;
};

std::string ReadPrefix(const std::string& path, std::size_t bytes) {
  std::string data(bytes, '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(data.data(), static_cast<std::streamsize>(bytes));
  data.resize(static_cast<std::size_t>(in.gcount()));
  data.resize(bytes, '\0');  // beyond the end of the sparse file the disc reads as zeros
  return data;
}

TEST(EraseCli, FullDvdPlusRwEraseThenAnImage) {
  const OwnRecorder recorder;
  ASSERT_EQ(recorder.Control("insert dvd+rw").status, 0);
  ASSERT_EQ(recorder.Control("timescale 0").status, 0);

  const auto erased = recorder.Cli({"erase", "--full"});
  ASSERT_EQ(erased.status, 0) << erased.output;
  EXPECT_NE(erased.output.find(" STARTING ERASE PROCESS ON DVD+RW AT "), std::string::npos) << erased.output;
  // 4.6 GB of zeros were written; the recorder keeps them as a hole.
  struct stat st {};
  ASSERT_EQ(::stat(recorder.DiscImage().c_str(), &st), 0);
  EXPECT_LT(std::int64_t{st.st_blocks} * 512, 16 << 20);

  platform::testing::TempDir files;
  std::string image(300 * kSector, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(1 + i % 253);
  const auto burned = recorder.Cli({"burn-image", files.Write("image.iso", image)});
  ASSERT_EQ(burned.status, 0) << burned.output;
  EXPECT_EQ(ReadPrefix(recorder.DiscImage(), image.size() + 32 * kSector), image + std::string(32 * kSector, '\0'));
}

class EraseCliRefusals : public testing::RecorderTest {};

TEST_F(EraseCliRefusals, WithoutOneModeOrOnADiscThatCannotBeErased) {
  Insert(MediumKind::CdR);
  EXPECT_NE(RunCli({"erase"}).status, 0);
  EXPECT_NE(RunCli({"erase", "--quick", "--full"}).status, 0);
  const auto refused = RunCli({"erase", "--quick"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("the drive refused the erase"), std::string::npos) << refused.output;
}

}  // namespace
}  // namespace kivo::erase_cli_test
