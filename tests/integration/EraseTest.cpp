// Rewritable media erased quickly and fully after a recording, then recorded again: the erased
// disc shows no volume any more, and the new recording reads back whole.
#include <gtest/gtest.h>

#include "tests/integration/DiscFixture.h"

namespace kivo::testing::erase_test {
namespace {

namespace fs = std::filesystem;

struct Medium {
  const char* kind;
  bool blankAfterErase;  // BLANK leaves the medium blank; formatted media stay formatted
};

void PrintTo(const Medium& m, std::ostream* os) { *os << m.kind; }

const Medium kMedia[] = {
    {"cd-rw", true},
    {"dvd-rw", true},
    {"dvd+rw", false},
    {"dvd-ram", false},
};

class EraseTest : public DiscTest, public ::testing::WithParamInterface<std::tuple<Medium, bool>> {};

TEST_P(EraseTest, ErasedDiscTakesANewRecording) {
  KIVO_REQUIRE_CLI("burn", "");
  KIVO_REQUIRE_CLI("erase", "--quick");
  const auto& [medium, quick] = GetParam();
  Insert(medium.kind);
  const fs::path before = Folder("before");
  WriteTree(before, {{"old/gone.txt", Content("gone", 40000)}, {"old.txt", Content("old", 10)}});
  ASSERT_TRUE(CliSucceeds({"burn", before.string()}));
  ASSERT_FALSE(ExportVolume().empty()) << "nothing to erase: the first recording left no volume";

  ASSERT_TRUE(CliSucceeds({"erase", quick ? "--quick" : "--full"}));
  EXPECT_EQ(ExportVolume(), "") << "the erased disc still holds a volume at sector 16";
  if (medium.blankAfterErase) {
    EXPECT_TRUE(DiscIsBlank()) << Vrctl({"status"});
  }

  const fs::path after = Folder("after");
  const FileMap files = WriteTree(after, {{"new/fresh.txt", Content("fresh", 5000)}, {"new.dat", Content("new", 300000)}});
  ASSERT_TRUE(CliSucceeds({"burn", after.string()}));
  const std::string volume = ExportVolume();
  ASSERT_FALSE(volume.empty()) << "the new recording left no volume";
  ExpectSessionReads(volume, 0, files, Folder("read"));
}

// A drive that takes the erase and drops it: the disc still holds its volume, so the erase is a
// failure, whatever the drive said.
TEST_F(DiscTest, AnEraseTheDriveDroppedIsAFailure) {
  KIVO_REQUIRE_CLI("erase", "--quick");
  struct Case {
    const char* kind;
    const char* opcode;  // the command the firmware drops: BLANK, or FORMAT UNIT
    const char* mode;
  };
  for (const Case& c : {Case{"cd-rw", "A1", "--quick"}, Case{"dvd-rw", "A1", "--full"}, Case{"dvd-ram", "04", "--full"}}) {
    SCOPED_TRACE(c.kind);
    Insert(c.kind);
    const fs::path source = Folder(std::string("keep-") + c.kind);
    WriteTree(source, {{"kept.txt", Content("kept", 30000)}});
    ASSERT_TRUE(CliSucceeds({"burn", source.string()}));
    ASSERT_FALSE(ExportVolume().empty());
    const std::vector<std::uint8_t> before = ExportBytes();
    Vrctl({"fault", "ignore", c.opcode});
    const CommandResult erase = Cli({"erase", c.mode});
    Vrctl({"fault", "clear"});
    EXPECT_EQ(erase.status, 1) << erase.output;
    EXPECT_NE(erase.output.find("THE DRIVE ENDED THE ERASE BUT THE DISC STILL HOLDS DATA"), std::string::npos) << erase.output;
    EXPECT_TRUE(ExportBytes() == before) << "the disc changed";
  }
}

INSTANTIATE_TEST_SUITE_P(Media, EraseTest, ::testing::Combine(::testing::ValuesIn(kMedia), ::testing::Bool()),
                         [](const auto& info) {
                           return TestName(std::get<0>(info.param).kind) + (std::get<1>(info.param) ? "_quick" : "_full");
                         });

}  // namespace
}  // namespace kivo::testing::erase_test
