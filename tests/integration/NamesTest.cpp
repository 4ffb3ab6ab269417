// Every name the writer accepts comes back unchanged: burnt in the first session, and still
// there, with its content, after later sessions have imported it and been burnt in turn.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "tests/integration/DiscFixture.h"

namespace kivo::testing {
namespace {

// A Joliet record holds an identifier of 110 UTF-16 units at most; a file's takes ";1" of it.
FileMap NamesAtTheLimits() {
  FileMap files;
  for (const std::size_t units : {106, 107, 108}) {
    files[std::string(units - 4, 'f') + ".txt"] = Content(fmt::format("file {}", units), 100 + units);
  }
  for (const std::size_t units : {108, 109, 110}) {
    files[std::string(units, 'd') + "/in.txt"] = Content(fmt::format("folder {}", units), 200 + units);
  }
  // A ";" belongs to the name; only the version after the last one is the writer's.
  files["ab;c.txt"] = Content("ab;c", 10);
  files["ab;d.txt"] = Content("ab;d", 20);
  files["semi;colon/x;1.txt"] = Content("x;1", 30);
  files["Đorđe Šćepanović.txt"] = Content("serbian", 40);
  return files;
}

class NamesTest : public DiscTest {};

TEST_F(NamesTest, NamesComeBackThroughLaterSessions) {
  KIVO_REQUIRE_CLI("burn", "--import-session");
  Insert("dvd+r");
  FileMap held = NamesAtTheLimits();
  WriteTree(Folder("source-1"), held);
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(fmt::format("after session {}", k));
    std::vector<std::string> burn{"burn", "--import-session", "-1"};
    if (k > 1) {
      const FileMap added{{fmt::format("added-{}.txt", k), Content(fmt::format("added {}", k), 50)}};
      WriteTree(Folder(fmt::format("source-{}", k)), added);
      held.insert(added.begin(), added.end());
    }
    burn.push_back((tmp / fmt::format("source-{}", k)));
    const auto start = BurnSession(burn);
    ASSERT_TRUE(start.has_value());
    ExpectEngineReads(std::nullopt, held, Folder(fmt::format("extract-{}", k)));
    ExpectSessionReads(disc, *start, held, Folder(fmt::format("read-{}", k)));
  }
}

}  // namespace
}  // namespace kivo::testing
