// ExtractFile against a disc in the virtual recorder: whole files in 31-sector reads with the
// entry's date, and failures that leave no file behind.

#include <fmt/format.h>
#include <sys/stat.h>

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
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
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
}

TEST_F(ExtractDiscTest, DestinationThatCannotBeCreated) {
  const std::string dest = tmp / "no folder/out.bin";
  messages.clear();
  EXPECT_EQ(burner.ExtractFile(Entry("one.bin"), dest), 0);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], (Message{" ERROR EXTRACTING FILE one.bin, CANNOT CREATE " + dest + ": No such file or directory", 0}));
}

}  // namespace
}  // namespace kivo::testing
