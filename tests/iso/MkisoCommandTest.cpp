// kivoardel-cli mkiso: where the sources land, how it fails, and images that are the same byte
// for byte when SOURCE_DATE_EPOCH fixes the moment.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/iso/Commands.h"
#include "tests/iso/ImageCheck.h"
#include "tests/platform/TempDir.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempDir;

class MkisoCommandTest : public ::testing::Test {
 protected:
  MkisoCommandTest() {
    fs::create_directories(tmp / "src/in/deeper");
    std::ofstream(tmp / "src/in/deeper/a.txt") << "a";
    std::ofstream(tmp / "src/in/b.txt") << "b";
    fs::create_directories(tmp / "src/empty/nothing");
  }

  // The Joliet paths of the image just made.
  std::vector<std::string> JolietPaths() const {
    std::vector<std::string> paths;
    for (const CheckedEntry& e : CheckImage(ReadWholeFile(image)).joliet) paths.push_back(e.path);
    return paths;
  }

  TempDir tmp;
  std::string image = tmp / "out.iso";
};

// A source the burner cannot take is named, and the command says so in its exit status: the
// image holds everything else.
TEST_F(MkisoCommandTest, SourcesLeftOutGiveTheirOwnExitStatus) {
  const std::string longName(120, 'n');
  std::ofstream(tmp / ("src/in/" + longName + ".txt")) << "long";
  const CommandResult made = RunCli({"mkiso", "-o", image, tmp / "src"});
  EXPECT_EQ(made.status, 2) << made.output;
  EXPECT_NE(made.output.find(longName), std::string::npos) << made.output;
  EXPECT_NE(made.output.find("kivoardel-cli mkiso: done, but 1 source was left out (named above)"), std::string::npos)
      << made.output;
  const std::vector<std::string> paths = JolietPaths();
  EXPECT_NE(std::find(paths.begin(), paths.end(), "in/b.txt"), paths.end());
}

TEST_F(MkisoCommandTest, KeepPathPlacesTheSources) {
  // The source path as the compilation keeps it: "/tmp/kivo-platform-X/src" without its first "/".
  const std::string kept = (fs::path(tmp.str()) / "src").relative_path().generic_string();
  const std::string last = "src";
  for (const auto& [mode, prefix] : std::vector<std::pair<std::string, std::string>>{
           {"none", ""}, {"full", kept + "/"}, {"last", last + "/"}}) {
    SCOPED_TRACE(mode);
    const CommandResult made = RunCli({"mkiso", "-o", image, "--keep-path", mode, tmp / "src"});
    ASSERT_EQ(made.status, 0) << made.output;
    const std::vector<std::string> paths = JolietPaths();
    // Directories without files are pruned; the sources' names are kept as they are.
    EXPECT_NE(std::find(paths.begin(), paths.end(), prefix + "in/deeper/a.txt"), paths.end()) << ::testing::PrintToString(paths);
    EXPECT_NE(std::find(paths.begin(), paths.end(), prefix + "in/b.txt"), paths.end());
    EXPECT_EQ(std::find(paths.begin(), paths.end(), prefix + "empty"), paths.end());
  }
  // A file given alone lands in the root.
  ASSERT_EQ(RunCli({"mkiso", "-o", image, tmp / "src/in/b.txt"}).status, 0);
  EXPECT_EQ(JolietPaths(), std::vector<std::string>{"b.txt"});
}

TEST_F(MkisoCommandTest, FailuresExitWithTheirText) {
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"mkiso", "-o", image, tmp / "missing"}, "no such file or directory: " + tmp / "missing"},
      {{"mkiso", "-o", image, "--boot", tmp / "missing.img", tmp / "src"}, "no boot image file"},
  };
#ifndef _WIN32  // a device that is always full
  cases.push_back({{"mkiso", "-o", "/dev/full", tmp / "src"}, "CANNOT WRITE IMAGE FILE /dev/full: No space left on device"});
#endif
  for (const auto& [arguments, text] : cases) {
    const CommandResult made = RunCli(arguments);
    EXPECT_EQ(made.status, 1) << made.output;
    EXPECT_NE(made.output.find(text), std::string::npos) << made.output;
  }
}

// A save that fails half-way leaves the older image of that name as it was, quick or streamed,
// and nothing else beside it.
TEST_F(MkisoCommandTest, AFailedSaveLeavesTheOldImage) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file size limit to stand in for a full disk";
#endif
  std::ofstream(tmp / "src/in/big.bin") << std::string(1 << 20, 'b');
  fs::create_directory(tmp / "out");
  const std::string old = tmp / "out/image.iso";
  const std::string oldText = "the old image";
  for (const std::string mode : {"--quick", "--streamed"}) {
    SCOPED_TRACE(mode);
    std::ofstream(old) << oldText;
    std::vector<std::string> arguments = {"mkiso", "-o", old, tmp / "src"};
    if (mode == "--streamed") arguments.push_back(mode);
    // A file size limit stands in for a full disk: writes beyond 400 KiB fail.
    const CommandResult made = RunCli(arguments, "sh -c 'trap \"\" XFSZ; ulimit -f 800; exec \"$0\" \"$@\"'");
    EXPECT_EQ(made.status, 1) << made.output;
    EXPECT_NE(made.output.find("File too large"), std::string::npos) << made.output;
    EXPECT_EQ(ReadWholeFile(old), std::vector<std::uint8_t>(oldText.begin(), oldText.end()));
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "out"), fs::directory_iterator()), 1);
  }
}

// An output that is a source, or lies among them, is refused before anything is written.
TEST_F(MkisoCommandTest, AnOutputAmongTheSourcesIsRefused) {
  const std::string b = tmp / "src/in/b.txt";
  std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {b, {b}},
      {b, {tmp / "src"}},
      {tmp / "src/in/new.iso", {tmp / "src"}},
  };
#ifndef _WIN32  // symbolic links need a privilege on Windows
  fs::create_symlink(tmp / "src/in", tmp / "link");
  cases.push_back({tmp / "link/b.txt", {tmp / "src/in"}});
  cases.push_back({tmp / "src/in/../in/b.txt", {tmp / "link"}});
#endif
  for (const auto& [output, sources] : cases) {
    SCOPED_TRACE(output);
    std::vector<std::string> arguments = {"mkiso", "-o", output};
    arguments.insert(arguments.end(), sources.begin(), sources.end());
    const CommandResult made = RunCli(arguments);
    EXPECT_EQ(made.status, 1) << made.output;
    EXPECT_NE(made.output.find("would lie among the sources"), std::string::npos) << made.output;
    EXPECT_EQ(ReadWholeFile(b), std::vector<std::uint8_t>{'b'});
    EXPECT_FALSE(fs::exists(tmp / "src/in/new.iso"));
  }
  // Beside the sources is fine.
  EXPECT_EQ(RunCli({"mkiso", "-o", tmp / "src.iso", tmp / "src"}).status, 0);
}

TEST_F(MkisoCommandTest, SourceDateEpochMakesImagesReproducible) {
  const std::string epoch = "SOURCE_DATE_EPOCH=1234567890";
  ASSERT_EQ(RunCli({"mkiso", "-o", image, tmp / "src"}, epoch).status, 0);
  const std::vector<std::uint8_t> first = ReadWholeFile(image);
  std::this_thread::sleep_for(std::chrono::seconds(1));  // a clock that showed through would now read differently
  ASSERT_EQ(RunCli({"mkiso", "-o", image, tmp / "src"}, epoch).status, 0);
  EXPECT_TRUE(ReadWholeFile(image) == first);
  // The primary descriptor's dates are that moment, in local time.
  const std::string created(first.begin() + 16 * 2048 + 813, first.begin() + 16 * 2048 + 827);
  const std::time_t t = 1234567890;
  char expected[16];
  std::strftime(expected, sizeof expected, "%Y%m%d%H%M%S", std::localtime(&t));
  EXPECT_EQ(created, expected);
}

}  // namespace
}  // namespace kivo::testing
