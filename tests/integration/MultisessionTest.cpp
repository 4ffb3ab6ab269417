// A disc that grows: three sessions, each importing the one before and adding files, the last
// one replacing a file of the first. After every session, every session on the disc must still
// read back, in the external readers and in the system's own ls and extract, with all files of
// the sessions before it.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "tests/integration/DiscFixture.h"

namespace kivo::testing {
namespace {

namespace fs = std::filesystem;

// What each session adds. The second adds to a directory of the first; the third brings a new
// version of a file of the first and is burned with --replace.
const FileMap kSessionTrees[] = {
    {
        {"notes.txt", Content("notes", 1000)},
        {"empty.dat", ""},
        {"docs/nested/readme.txt", Content("readme", 5000)},
        {"docs/Đorđe Šćepanović — pisma, Ђорђе Шћепановић.txt", Content("long", 3000)},
        {"data/big.bin", Content("big", 200 * 1024 + 7)},
    },
    {
        {"docs/nested/second.txt", Content("second", 2049)},
        {"s2/added.bin", Content("added", 70000)},
    },
    {
        {"notes.txt", Content("notes, third version", 1500)},
        {"s3/third.txt", Content("third", 10)},
        {"data/more.bin", Content("more", 65536)},
    },
};

class MultisessionTest : public DiscTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MultisessionTest, EachSessionImportsTheOneBefore) {
  KIVO_REQUIRE_CLI("burn", "--import-session");
  KIVO_REQUIRE_CLI("ls", "");
  KIVO_REQUIRE_CLI("extract", "--all");
  Insert(GetParam());

  std::vector<FileMap> held;  // what each session holds, oldest first
  for (std::size_t k = 0; k < std::size(kSessionTrees); ++k) {
    SCOPED_TRACE(fmt::format("after session {}", k + 1));
    const fs::path source = Folder(fmt::format("source-{}", k + 1));
    WriteTree(source, kSessionTrees[k]);
    std::vector<std::string> burn{"burn", "--import-session", "-1"};
    if (k == 2) burn.push_back("--replace");
    burn.push_back(source.string());
    ASSERT_TRUE(BurnSession(burn).has_value());

    FileMap files = held.empty() ? FileMap{} : held.back();
    for (const auto& [path, content] : kSessionTrees[k]) files[path] = content;
    held.push_back(files);

    for (std::size_t j = 0; j <= k; ++j) {
      const bool newestAtZero = NewestReadsAtZero() && sessions[j] == 0;
      ExpectSessionReads(disc, sessions[j], newestAtZero ? held.back() : held[j], Folder(fmt::format("read-{}-{}", k + 1, j + 1)));
    }
    // The drive shows one session on overwritable media: the newest volume.
    if (NewestReadsAtZero()) {
      ExpectEngineReads(std::nullopt, held.back(), Folder(fmt::format("extract-{}", k + 1)));
    } else {
      for (std::size_t j = 0; j <= k; ++j)
        ExpectEngineReads(static_cast<int>(j + 1), held[j], Folder(fmt::format("extract-{}-{}", k + 1, j + 1)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Media, MultisessionTest, ::testing::Values("cd-r", "cd-rw", "dvd-r", "dvd+r", "dvd+rw"),
                         [](const auto& info) { return TestName(info.param); });

}  // namespace
}  // namespace kivo::testing
