// ExtractFile against a disc in the virtual recorder: whole files in 31-sector reads with the
// entry's date, and failures that leave no file behind.

#include <fmt/format.h>
#include <sys/stat.h>

#include <set>

#include "engine/platform/Time.h"
#include "tests/iso/ImportDiscFixture.h"

namespace kivo::testing {
namespace {

class ExtractDiscTest : public ImportDiscTest {
 protected:
  void SetUp() override {
    ImportDiscTest::SetUp();
    // 63489 bytes: a 31-sector read and a one-sector read.
    src = MakeSources({{"empty.txt", ""}, {"one.bin", Content(2048)}, {"split.bin", Content(63489)},
                       {"large.bin", Content(200000, 'q')}});
    InsertMkisoImage(src);
    ASSERT_TRUE(burner.ImportSession(-1, nullptr));
  }
  TFEntry* Entry(const std::string& name) { return burner.FindFileEntry(burner.RootDirectory(), name); }
  static std::int64_t ModificationTime(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
  }

  std::string src;
};

TEST_F(ExtractDiscTest, CopiesTheDataAndTheDate) {
  for (const char* name : {"empty.txt", "one.bin", "split.bin", "large.bin"}) {
    SCOPED_TRACE(name);
    TFEntry* e = Entry(name);
    ASSERT_NE(e, nullptr);
    const std::string dest = tmp / (std::string("out-") + name);
    tmp.Write("out-" + std::string(name), "old content, longer than some of the files");  // overwritten
    messages.clear();
    EXPECT_EQ(burner.ExtractFile(e, dest), 1);
    EXPECT_EQ(messages, (std::vector<Message>{{fmt::format(" EXTRACTING FILE {} TO {}", name, dest), 1}}));
    EXPECT_EQ(ReadText(dest), ReadText(src + "/" + name));
    // The recording date is the source's modification time, to the second.
    EXPECT_EQ(ModificationTime(dest), ModificationTime(src + "/" + name));
  }
}

TEST_F(ExtractDiscTest, FailedReadRemovesThePartialFile) {
  TFEntry* e = Entry("large.bin");
  ASSERT_NE(e, nullptr);
  // The second 31-sector read fails: a first chunk is written before the failure.
  const std::uint32_t bad = static_cast<std::uint32_t>(e->IsoAddress) + 40;
  Faults([bad](vdrive::Faults& f) { f.mediumErrors.push_back({.lba = bad, .count = 1}); });
  const std::string dest = tmp / "large.out";
  messages.clear();
  EXPECT_EQ(burner.ExtractFile(e, dest), 0);
  EXPECT_FALSE(std::filesystem::exists(dest));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].type, 0);
  EXPECT_TRUE(messages[1].text.starts_with(fmt::format(" ERROR EXTRACTING FILE large.bin, CANNOT READ SECTOR {} (", bad)))
      << messages[1].text;
  EXPECT_TRUE(messages[1].text.ends_with("); PARTIAL FILE REMOVED")) << messages[1].text;
  // A file already there stays as it was, and nothing else is left beside it.
  tmp.Write("large.out", "old");
  Faults([bad](vdrive::Faults& f) { f.mediumErrors.push_back({.lba = bad, .count = 1}); });
  const auto names = [this] {
    std::set<std::string> found;
    for (const auto& f : std::filesystem::directory_iterator(tmp.str())) found.insert(f.path().filename().string());
    return found;
  };
  const std::set<std::string> before = names();
  EXPECT_EQ(burner.ExtractFile(e, dest), 0);
  EXPECT_EQ(ReadText(dest), "old");
  EXPECT_EQ(names(), before);
}

TEST_F(ExtractDiscTest, DestinationThatCannotBeCreated) {
  const std::string dest = tmp / "no folder/out.bin";
  messages.clear();
  EXPECT_EQ(burner.ExtractFile(Entry("one.bin"), dest), 0);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], (Message{" ERROR EXTRACTING FILE one.bin, CANNOT CREATE " + dest + ": No such file or directory", 0}));
}

// kivoardel-cli extract asks nothing and follows no link it finds in the destination: a file
// already there is kept and named unless --overwrite is given, and a link is replaced, never
// written through; a link in a folder's place is refused with what was to go below it.
class ExtractCommandTest : public ImportDiscTest {
 protected:
  void SetUp() override {
    ImportDiscTest::SetUp();
    InsertMkisoImage(MakeSources({{"top.txt", "disc top"}, {"sub/inner.txt", "disc inner"}}));
    std::filesystem::create_directories(dest);
    std::filesystem::create_directories(elsewhere);
    tmp.Write("victim", "victim");
  }
  std::string dest = tmp / "dest";
  std::string elsewhere = tmp / "elsewhere";
};

TEST_F(ExtractCommandTest, WhatIsThereIsKeptOrReplacedButNeverWrittenThrough) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links in the destination need a privilege on Windows";
#endif
  struct Case {
    const char* name;
    bool overwrite;
    bool topIsLink;       // dest/top.txt leads to the victim file; else it is a file of its own
    const char* topAfter;  // what dest/top.txt reads afterwards
    int leftOut;           // the folder "sub" and what was to go in it count too
  } const cases[] = {
      {"kept", false, false, "mine", 3},
      {"link kept", false, true, "victim", 3},
      {"overwritten", true, false, "disc top", 2},
      {"link replaced", true, true, "disc top", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dest);
    std::filesystem::create_directory(dest);
    if (c.topIsLink) {
      std::filesystem::create_symlink(tmp / "victim", dest + "/top.txt");
    } else {
      tmp.Write("dest/top.txt", "mine");
    }
    std::filesystem::create_directory_symlink(elsewhere, dest + "/sub");
    std::vector<std::string> arguments = {"extract", "--all", dest};
    if (c.overwrite) arguments.push_back("--overwrite");
    const CommandResult extracted = RunCli(arguments);
    EXPECT_EQ(extracted.status, 2) << extracted.output;
    EXPECT_NE(extracted.output.find(fmt::format("done, but {} entries were left out", c.leftOut)), std::string::npos)
        << extracted.output;
    EXPECT_NE(extracted.output.find("cannot create " + dest + "/sub: Not a directory"), std::string::npos)
        << extracted.output;
    EXPECT_EQ(ReadText(dest + "/top.txt"), c.topAfter);
    EXPECT_EQ(std::filesystem::is_symlink(dest + "/top.txt"), c.topIsLink && !c.overwrite);
    if (!c.overwrite) {
      EXPECT_NE(extracted.output.find("kept the existing " + dest + "/top.txt (--overwrite replaces it)"),
                std::string::npos) << extracted.output;
    }
    EXPECT_EQ(ReadText(tmp / "victim"), "victim");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
  }
}

TEST_F(ExtractCommandTest, OneFileIsKeptUnlessOverwriteIsGiven) {
  const std::string target = tmp.Write("dest/top.txt", "mine");
  const CommandResult kept = RunCli({"extract", "top.txt", target});
  EXPECT_EQ(kept.status, 2) << kept.output;
  EXPECT_EQ(ReadText(target), "mine");
  const CommandResult replaced = RunCli({"extract", "--overwrite", "top.txt", dest});
  EXPECT_EQ(replaced.status, 0) << replaced.output;
  EXPECT_EQ(ReadText(target), "disc top");
}

}  // namespace
}  // namespace kivo::testing
