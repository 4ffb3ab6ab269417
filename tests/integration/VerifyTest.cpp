// verify compares a session with local files as a recursive compare does: each file missing,
// extra, differing or unreadable is named, and only a disc that holds exactly the sources gives
// exit status 0. Discs of other programs are checked the same way.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/integration/DiscFixture.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;

const FileMap kTree = {
    {"a.bin", Content("a", 300000)},
    {"docs/README", Content("readme", 900)},
    {"docs/c.txt", Content("c", 5000)},
};

class VerifyTest : public DiscTest {
 protected:
  CommandResult Verify() { return Cli({"verify", source.string()}); }
  fs::path source = Folder("source");
};

TEST_F(VerifyTest, NamesEveryFileThatIsMissingExtraOrDifferent) {
  KIVO_REQUIRE_CLI("verify", "");
  WriteTree(source, kTree);
  Insert("dvd+r");
  ASSERT_TRUE(CliSucceeds({"burn", source.string()}));
  {
    const CommandResult same = Verify();
    EXPECT_EQ(same.status, 0) << same.output;
    EXPECT_NE(same.output.find("all 3 files verified"), std::string::npos) << same.output;
  }

  std::ofstream(source / "docs/c.txt", std::ios::binary) << Content("changed", 5000);  // same size
  fs::remove(source / "a.bin");
  std::ofstream(source / "new.txt") << "new";
  const CommandResult changed = Verify();
  EXPECT_EQ(changed.status, 1) << changed.output;
  for (const char* line : {"differs: docs/c.txt\n", "not among the sources: a.bin\n", "missing from the disc: new.txt\n",
                           "1 files verified; 1 differ, 1 missing from the disc, 1 not among the sources, 0 unreadable\n"}) {
    EXPECT_NE(changed.output.find(line), std::string::npos) << line << changed.output;
  }
}

// A disc made by another program, read-only in the drive; a block of one file that cannot be read
// names that file.
TEST_F(VerifyTest, ChecksADiscOfAnotherProgramAndNamesAnUnreadableFile) {
  KIVO_REQUIRE_CLI("verify", "");
  WriteTree(source, kTree);
  const fs::path image = Folder("image") / "other.iso";
  const CommandResult made = RunCommand("xorriso -as mkisofs -J -o " + Quoted(image.string()) + " " + Quoted(source.string()));
  ASSERT_EQ(made.status, 0) << made.output;
  Vrctl({"insert", "rom:" + image.string()});
  const CommandResult same = Verify();
  EXPECT_EQ(same.status, 0) << same.output;

  // a.bin's first block, from isoinfo's listing: "... [    BLOCK 00]  a.bin".
  const CommandResult listing = RunCommand("isoinfo -J -l -i " + Quoted(image.string()));
  const auto at = listing.output.find("a.bin");
  ASSERT_NE(at, std::string::npos) << listing.output;
  const unsigned long block = std::stoul(listing.output.substr(listing.output.rfind('[', at) + 1));
  Vrctl({"fault", "medium-error", std::to_string(block + 3)});
  const CommandResult unreadable = Verify();
  EXPECT_EQ(unreadable.status, 1) << unreadable.output;
  EXPECT_NE(unreadable.output.find("cannot be read from the disc: a.bin\n"), std::string::npos) << unreadable.output;
  EXPECT_NE(unreadable.output.find("2 files verified;"), std::string::npos) << unreadable.output;
}

}  // namespace
}  // namespace kivo::testing
