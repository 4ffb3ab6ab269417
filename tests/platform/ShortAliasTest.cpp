#include <gtest/gtest.h>

#include "engine/platform/Files.h"

namespace kivo::platform {
namespace {

TEST(MakeShortAlias, FollowsTheShortNameRules) {
  struct Case {
    std::string name;
    std::vector<std::string> taken;
    std::string alias;
  };
  const std::vector<std::string> firstNine = {"PROGRA~1", "PROGRA~2", "PROGRA~3",
                                              "PROGRA~4", "PROGRA~5", "PROGRA~6",
                                              "PROGRA~7", "PROGRA~8", "PROGRA~9"};
  const Case cases[] = {
      {"README.TXT", {}, ""},                      // already a short name
      {"ABCDEFGH.TXT", {}, ""},
      {"A", {}, ""},
      {"readme.txt", {}, "README.TXT"},            // fits apart from case: no tail
      {"readme.txt", {"README.TXT"}, "README~1.TXT"},
      {"Program Files", {}, "PROGRA~1"},
      {"Program Files", {"PROGRA~1"}, "PROGRA~2"},
      {"Program Files", firstNine, "PROGR~10"},    // a longer tail shortens the base
      {"ABCDEFGHI", {}, "ABCDEF~1"},
      {"document.html", {}, "DOCUME~1.HTM"},       // extension cut to three
      {"archive.tar.gz", {}, "ARCHIV~1.GZ"},       // only the last dot survives
      {".bashrc", {}, "BASHRC~1"},                 // leading dots go
      {"a b.txt", {}, "AB~1.TXT"},                 // blanks go
      {"a+b;c.txt", {}, "A_B_C~1.TXT"},            // long-name-only characters
      {"\xC5\xA1kola.doc", {}, "_KOLA~1.DOC"},     // no code page: non-ASCII becomes "_"
      {"NAME.", {}, "NAME~1"},                     // a trailing dot
      {"...", {}, "_~1"},                          // nothing left of the name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MakeShortAlias(c.name, c.taken), c.alias);
  }
}

}  // namespace
}  // namespace kivo::platform
