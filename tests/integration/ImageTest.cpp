// Image files meeting discs: an image saved by mkiso and recorded with burn-image comes back
// from the disc byte for byte; a pressed disc made by another program, with and without a
// Joliet tree, is read by the system's own ls and extract.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/integration/DiscFixture.h"
#include "tests/iso/ImageCheck.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;

const FileMap kTree = {
    {"readme.txt", Content("readme", 3000)},
    {"empty.dat", ""},
    {"dir/sub/data.bin", Content("data", 150000)},
};

class BurnImageTest : public DiscTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BurnImageTest, DiscEqualsTheImage) {
  KIVO_REQUIRE_CLI("burn-image", "");
  const fs::path source = Folder("source");
  WriteTree(source, kTree);
  const std::string image = tmp / "saved.iso";
  ASSERT_TRUE(CliSucceeds({"mkiso", "-o", image, source.string()}));
  Insert(GetParam());
  ASSERT_TRUE(CliSucceeds({"burn-image", image}));

  const std::vector<std::uint8_t> want = ReadWholeFile(image);
  const std::vector<std::uint8_t> got = ExportBytes();
  ASSERT_GE(got.size(), want.size()) << "the disc holds less than the image";
  EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin())) << "the disc differs from the image";
  EXPECT_TRUE(std::all_of(got.begin() + static_cast<std::ptrdiff_t>(want.size()), got.end(), [](std::uint8_t b) { return b == 0; }))
      << "the disc holds data beyond the image";
}

INSTANTIATE_TEST_SUITE_P(Media, BurnImageTest, ::testing::Values("cd-r", "dvd-r", "dvd+r", "dvd+rw", "dvd-ram"),
                         [](const auto& info) { return TestName(info.param); });

class PressedDiscTest : public DiscTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PressedDiscTest, ListsAndExtractsAnotherProgramsImage) {
  KIVO_REQUIRE_CLI("ls", "");
  KIVO_REQUIRE_CLI("extract", "--all");
  const bool joliet = GetParam();
  const fs::path source = Folder("source");
  WriteTree(source, kTree);
  const std::string image = tmp / "pressed.iso";
  const CommandResult made =
      RunCommand(std::string("xorriso -as mkisofs -quiet ") + (joliet ? "-J " : "") + "-o " + Quoted(image) + " " + Quoted(source.string()));
  ASSERT_EQ(made.status, 0) << made.output;
  Vrctl({"insert", "rom:" + image});

  // Without Joliet the names are the ISO 9660 tree's: upper case, without the version.
  FileMap expected;
  for (const auto& [path, content] : kTree) {
    std::string name = path;
    if (!joliet) std::transform(name.begin(), name.end(), name.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    expected[name] = content;
  }
  ExpectEngineReads(std::nullopt, expected, Folder("extracted"));
}

INSTANTIATE_TEST_SUITE_P(Trees, PressedDiscTest, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Joliet" : "IsoOnly"); });

}  // namespace
}  // namespace kivo::testing
