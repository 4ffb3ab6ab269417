// Files of 4 GiB and more: mkiso with --large-files writes them in several extents that the
// external readers take back whole, and a disc of another program holding such a file lists
// and extracts whole through the system's own reader. The files are sparse; the images are not.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "tests/integration/DiscFixture.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;

// Past 4 GiB by a little more than a megabyte and not a whole number of sectors.
constexpr std::uint64_t kLargeSize = (std::uint64_t{1} << 32) + (1 << 20) + 777;

class LargeFileTest : public DiscTest {
 protected:
  // A sparse file of kLargeSize bytes with marks where an extent ends or a 32-bit length wraps,
  // so that a part put in the wrong place or left out shows.
  fs::path MakeLargeFile(const fs::path& folder) {
    const fs::path path = folder / "large.bin";
    {
      std::ofstream out(path, std::ios::binary);
      for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{0xFFFFF7FF}, std::uint64_t{0xFFFFF800},
                                     std::uint64_t{0xFFFFFFFF}, std::uint64_t{1} << 32, kLargeSize - 3}) {
        out.seekp(static_cast<std::streamoff>(at));
        out.write("K!", at == kLargeSize - 3 ? 3 : 2);
      }
    }
    fs::resize_file(path, kLargeSize);
    return path;
  }

  // Whether what the command writes to its standard output equals the file.
  static bool StreamEquals(const std::string& command, const fs::path& file) {
    const CommandResult compared = RunCommand(command + " 2>/dev/null | cmp - " + Quoted(file.string()));
    EXPECT_EQ(compared.status, 0) << command << "\n" << compared.output;
    return compared.status == 0;
  }
};

TEST_F(LargeFileTest, OurLargeFilesReadBackWholeInOtherReaders) {
  const fs::path source = Folder("source");
  const fs::path large = MakeLargeFile(source);
  WriteTree(source, {{"small.txt", "small"}});

  // Without the option the file is left out, and the message says how to take it in.
  const std::string without = tmp / "without.iso";
  const CommandResult refused = Cli({"mkiso", "-o", without, source.string()});
  EXPECT_EQ(refused.status, 2) << refused.output;
  EXPECT_NE(refused.output.find("--large-files"), std::string::npos) << refused.output;

  const std::string image = tmp / "large.iso";
  ASSERT_TRUE(CliSucceeds({"mkiso", "--large-files", "-o", image, source.string()}));
  const CommandResult listed = RunCommand("xorriso -indev " + Quoted(image) + " -find / -type f -exec lsdl --");
  EXPECT_NE(listed.output.find(std::to_string(kLargeSize) + " "), std::string::npos) << listed.output;
  StreamEquals("bsdtar -xOf " + Quoted(image) + " large.bin", large);
  StreamEquals("7z x -so " + Quoted(image) + " large.bin", large);
}

TEST_F(LargeFileTest, ALargeFileOfAnotherProgramListsAndExtractsWhole) {
  const fs::path source = Folder("source");
  const fs::path large = MakeLargeFile(source);
  const std::string image = tmp / "other.iso";
  const CommandResult made = RunCommand("xorriso -as mkisofs -iso-level 3 -J -o " + Quoted(image) + " " +
                                        Quoted(source.string()));
  ASSERT_EQ(made.status, 0) << made.output;
  Vrctl({"insert", "rom:" + image});

  const CommandResult listing = Cli({"ls"});
  EXPECT_EQ(listing.status, 0) << listing.output;
  EXPECT_EQ(ListedFiles(listing.output), (SizeMap{{"large.bin", kLargeSize}})) << listing.output;
  const fs::path out = Folder("out");
  ASSERT_TRUE(CliSucceeds({"extract", "--all", out.string()}));
  EXPECT_EQ(RunCommand("cmp " + Quoted((out / "large.bin").string()) + " " + Quoted(large.string())).status, 0);
}

}  // namespace
}  // namespace kivo::testing
