// One tree burned onto every kind of medium the recorder takes, read back by the external
// readers, then a second session without import on the same disc: it must start where the
// medium puts a new session, and the disc must have been left open for it.
#include <gtest/gtest.h>

#include "tests/integration/DiscFixture.h"
#include "tests/iso/ImageCheck.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;

// A bit of what a user burns: an empty file, nested directories, a long name in two scripts, a
// file of a few hundred KiB that does not end on a sector boundary.
FileMap FirstTree() {
  return {
      {"notes.txt", Content("notes", 1000)},
      {"empty.dat", ""},
      {"docs/nested/deep/readme.txt", Content("readme", 5000)},
      {"docs/Đorđe Šćepanović — pisma iz Beograda, Ђорђе Шћепановић, Ελληνικά και 日本語.txt", Content("long", 4097)},
      {"data/big.bin", Content("big", 300 * 1024 + 123)},
  };
}

FileMap SecondTree() {
  return {
      {"second/added.txt", Content("added", 2048)},
      {"second/more.bin", Content("more", 70000)},
  };
}

struct Medium {
  const char* kind;  // kivo-vrctl insert kind
  bool sevenZip;     // also read by 7z (once is enough)
};

void PrintTo(const Medium& m, std::ostream* os) { *os << m.kind; }

const Medium kMedia[] = {
    {"cd-r", true},
    {"cd-rw", false},
    {"dvd-r", false},
    {"dvd-rw", false},
    {"dvd-rw-ro", false},
    {"dvd+r", false},
    {"dvd+r-dl", false},
    {"dvd+rw", false},
    {"dvd+rw-formatted", true},
    {"dvd-ram", false},
};

class BurnTest : public DiscTest, public ::testing::WithParamInterface<Medium> {};

TEST_P(BurnTest, TreeReadsBackThenASecondSessionFollows) {
  KIVO_REQUIRE_CLI("burn", "");
  Insert(GetParam().kind);

  const fs::path first = Folder("first");
  const FileMap firstFiles = WriteTree(first, FirstTree());
  const auto firstStart = BurnSession({"burn", "--volume", "FIRST", first.string()});
  ASSERT_TRUE(firstStart.has_value());
  {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(disc);
    const std::size_t volume = std::min<std::size_t>(VolumeEnd(bytes, 0) * std::size_t{2048}, bytes.size());
    const ImageCheck check = CheckImage(std::span(bytes.data(), volume));
    EXPECT_EQ(check.problems, std::vector<std::string>{});
    EXPECT_TRUE(check.hasJoliet);
  }
  ExpectSessionReads(disc, *firstStart, firstFiles, Folder("read-first"));
  if (GetParam().sevenZip) ExpectSevenZipReads(disc, firstFiles, Folder("read-7z"));

  const fs::path second = Folder("second");
  const FileMap secondFiles = WriteTree(second, SecondTree());
  const auto secondStart = BurnSession({"burn", "--volume", "SECOND", second.string()});
  ASSERT_TRUE(secondStart.has_value());
  ExpectSessionReads(disc, *secondStart, secondFiles, Folder("read-second"));
  // The first session stays as it was, except where sector 16 is rewritten for the newest.
  const bool firstIsCopy = NewestReadsAtZero() && *firstStart == 0;
  ExpectSessionReads(disc, *firstStart, firstIsCopy ? secondFiles : firstFiles, Folder("read-first-again"));
  if (NewestReadsAtZero() && !firstIsCopy) ExpectSessionReads(disc, 0, secondFiles, Folder("read-copy"));
}

INSTANTIATE_TEST_SUITE_P(Media, BurnTest, ::testing::ValuesIn(kMedia),
                         [](const auto& info) { return TestName(info.param.kind); });

// A test write goes through the whole recording, and the disc stays as it was.
class TestWriteTest : public DiscTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(TestWriteTest, LeavesTheDiscBlank) {
  KIVO_REQUIRE_CLI("burn", "--test-write");
  Insert(GetParam());
  const fs::path source = Folder("source");
  WriteTree(source, FirstTree());
  EXPECT_TRUE(CliSucceeds({"burn", "--test-write", source.string()}));
  EXPECT_TRUE(DiscIsBlank()) << Vrctl({"status"});
  EXPECT_EQ(NextWritable(), 0u);
}

// The media whose drives can simulate a recording.
INSTANTIATE_TEST_SUITE_P(Media, TestWriteTest, ::testing::Values("cd-r", "cd-rw", "dvd-r"),
                         [](const auto& info) { return TestName(info.param); });

}  // namespace
}  // namespace kivo::testing
