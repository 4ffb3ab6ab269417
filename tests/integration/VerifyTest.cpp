// verify compares a session with local files as a recursive compare does: each file missing,
// extra, differing or unreadable is named, and only a disc that holds exactly the sources gives
// exit status 0. Discs of other programs are checked the same way.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/integration/DiscFixture.h"

namespace kivo::testing::verify_test {
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
  // The first block of a file of the newest volume, from isoinfo's listing of the exported disc:
  // "... [    BLOCK 00]  NAME;1".
  unsigned long FirstBlockOf(const std::string& name) {
    std::string image;
    ExportBytes(&image);
    const CommandResult listing = RunCommand("isoinfo -J -l -i " + Quoted(image));
    const auto at = listing.output.find(name);
    if (at == std::string::npos) {
      ADD_FAILURE() << name << " is not listed\n" << listing.output;
      return 0;
    }
    return std::stoul(listing.output.substr(listing.output.rfind('[', at) + 1));
  }
  // The tree below source, made into an image by another program; empty when that failed.
  fs::path OtherProgramsImage() {
    WriteTree(source, kTree);
    const fs::path image = Folder("image") / "other.iso";
    const CommandResult made = RunCommand("xorriso -as mkisofs -J -o " + Quoted(image.string()) + " " + Quoted(source.string()));
    EXPECT_EQ(made.status, 0) << made.output;
    return made.status == 0 ? image : fs::path();
  }
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
  const fs::path image = OtherProgramsImage();
  ASSERT_FALSE(image.empty());
  Vrctl({"insert", "rom:" + image.string()});
  const CommandResult same = Verify();
  EXPECT_EQ(same.status, 0) << same.output;

  const unsigned long block = FirstBlockOf("a.bin");
  Vrctl({"fault", "medium-error", std::to_string(block + 3)});
  const CommandResult unreadable = Verify();
  EXPECT_EQ(unreadable.status, 1) << unreadable.output;
  EXPECT_NE(unreadable.output.find("cannot be read from the disc: a.bin\n"), std::string::npos) << unreadable.output;
  EXPECT_NE(unreadable.output.find("2 files verified;"), std::string::npos) << unreadable.output;
}

// burn --verify reads the new session back on every medium kind: a disc that stored other bytes
// than it was sent for one file's blocks, answering the writes as good, is caught and that file
// alone is named; a directory block that no longer reads is named as such.
class BurnVerifyTest : public VerifyTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BurnVerifyTest, NamesTheFileADiscStoredWronglyAndAnUnreadableDirectory) {
  KIVO_REQUIRE_CLI("burn", "--verify");
  const std::string kind = GetParam();
  WriteTree(source, kTree);
  Insert(kind);
  const CommandResult good = Cli({"burn", "--verify", source.string()});
  EXPECT_EQ(good.status, 0) << good.output;
  EXPECT_NE(good.output.find("all 3 files verified"), std::string::npos) << good.output;
  // The same tree on a fresh disc of the kind lands in the same blocks.
  const unsigned long fileBlock = FirstBlockOf("c.txt");
  const unsigned long rootBlock = FirstBlockOf("]  . ");

  Insert(kind);
  Vrctl({"fault", "corrupt", std::to_string(fileBlock), "1"});
  const CommandResult bad = Cli({"burn", "--verify", source.string()});
  EXPECT_EQ(bad.status, 1) << bad.output;
  EXPECT_NE(bad.output.find("differs: docs/c.txt\n2 files verified; 1 differ,"), std::string::npos) << bad.output;
  Vrctl({"fault", "clear"});

  Insert(kind);
  Vrctl({"fault", "medium-error", std::to_string(rootBlock), "-1", "--reads-only"});
  const CommandResult unreadable = Cli({"burn", "--verify", source.string()});
  EXPECT_EQ(unreadable.status, 1) << unreadable.output;
  const std::string named = "cannot be read from the disc: the session's directory area, sectors " +
                            std::to_string(rootBlock) + " to " + std::to_string(rootBlock) + "\n3 files verified;";
  EXPECT_NE(unreadable.output.find(named), std::string::npos) << unreadable.output;
  Vrctl({"fault", "clear"});
}

INSTANTIATE_TEST_SUITE_P(Media, BurnVerifyTest,
                         ::testing::Values("cd-r", "cd-rw", "dvd-r", "dvd-rw", "dvd+r", "dvd+r-dl", "dvd+rw", "dvd-ram"),
                         [](const auto& info) { return TestName(info.param); });

// burn-image --verify: the disc against the image recorded on it, and where a disc that stored
// other bytes differs from it.
TEST_F(VerifyTest, BurnImageVerifyNamesTheFirstSectorsThatDiffer) {
  KIVO_REQUIRE_CLI("burn-image", "--verify");
  const fs::path image = OtherProgramsImage();
  ASSERT_FALSE(image.empty());
  const auto sectors = fs::file_size(image) / 2048;

  Insert("dvd+r");
  const CommandResult good = Cli({"burn-image", "--verify", image.string()});
  EXPECT_EQ(good.status, 0) << good.output;
  EXPECT_NE(good.output.find("the disc holds the image: all " + std::to_string(sectors) + " sectors verified"),
            std::string::npos)
      << good.output;

  Insert("dvd+r");
  Vrctl({"fault", "corrupt", "40", "3"});
  const CommandResult bad = Cli({"burn-image", "--verify", image.string()});
  EXPECT_EQ(bad.status, 1) << bad.output;
  EXPECT_NE(bad.output.find("differs from the image: sectors 40 to 42\n"), std::string::npos) << bad.output;
  Vrctl({"fault", "clear"});
}

}  // namespace
}  // namespace kivo::testing::verify_test
