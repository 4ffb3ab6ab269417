// erase from the command line against the virtual recorder: a full DVD+RW erase and an image
// recorded on the erased disc, and the erases the command refuses.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/drive/RecorderFixture.h"
#include "tests/platform/ScopedEnv.h"
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
  testing::CommandResult Control(const std::string& arguments) const {
    return RunCommand(testing::QuotedProgram(KIVO_VRCTL) + " " + Quoted(folder_.str()) + " " + arguments);
  }
  testing::CommandResult Cli(const std::vector<std::string>& arguments) const {
    const platform::testing::ScopedEnv own("KIVO_VIRTUAL_RECORDER", folder_.str().c_str());
    return RunCli(arguments);
  }
  std::string DiscImage() const { return folder_ / "disc.img"; }

 private:
  static std::filesystem::path Base() {
#ifndef _WIN32  // (Wine would find the Linux folder as well, without a drive letter)
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    if (std::filesystem::is_directory(shm, ec)) return shm;
#endif
    return std::filesystem::temp_directory_path();
  }
  platform::testing::TempDir folder_{Base()};
};

// The bytes a file takes on the disk, which the holes of a sparse file do not.
std::int64_t StoredBytes(const std::string& path) {
#ifdef _WIN32
  DWORD high = 0;
  const DWORD low = ::GetCompressedFileSizeW(std::filesystem::path(path).c_str(), &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return -1;
  return static_cast<std::int64_t>((std::uint64_t{high} << 32) | low);
#else
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? std::int64_t{st.st_blocks} * 512 : -1;
#endif
}

std::string ReadPrefix(const std::string& path, std::size_t bytes) {
  std::string data(bytes, '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(data.data(), static_cast<std::streamsize>(bytes));
  data.resize(static_cast<std::size_t>(in.gcount()));
  data.resize(bytes, '\0');  // beyond the end of the sparse file the disc reads as zeros
  return data;
}

TEST(EraseCli, FullDvdPlusRwEraseThenAnImage) {
#ifdef _WIN32
  GTEST_SKIP() << "the recorder saves its state after each of the 71001 writes: far over ten minutes under Wine";
#endif
  const OwnRecorder recorder;
  ASSERT_EQ(recorder.Control("insert dvd+rw").status, 0);
  ASSERT_EQ(recorder.Control("timescale 0").status, 0);

  const auto erased = recorder.Cli({"erase", "--full"});
  ASSERT_EQ(erased.status, 0) << erased.output;
  EXPECT_NE(erased.output.find(" STARTING ERASE PROCESS ON DVD+RW AT "), std::string::npos) << erased.output;
  // 4.6 GB of zeros were written; the recorder keeps them as a hole.
  const std::int64_t stored = StoredBytes(recorder.DiscImage());
  ASSERT_GE(stored, 0);
  EXPECT_LT(stored, 16 << 20);

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
