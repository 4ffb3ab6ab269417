// How sources are named in the compilation: long and short names, the length limit of a
// directory record, keep-path modes, and ISO names that never clash within a directory.

#include <gtest/gtest.h>

#include <filesystem>

#include <fmt/printf.h>

#include "engine/iso/SourcePaths.h"
#include "engine/iso/Strings.h"
#include "engine/platform/Text.h"
#include "tests/iso/TreeFixture.h"

namespace kivo::testing {
namespace {

using NamingTest = TreeTest;

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST_F(NamingTest, FileNames) {
  struct Case {
    std::string name, alias;
    std::string longName, shortName;  // expected; empty long name: not added
  };
  const std::string name108 = Repeat('a', 104) + ".txt";
  const std::string name109 = Repeat('b', 105) + ".txt";
  const std::string wide = Repeat('c', 51) + "\xF0\x9F\x98\x80" + Repeat('c', 52) + ".txt";  // 108 characters, 109 units
  for (const Case& c : std::vector<Case>{
           {"README", "", "README.", "README."},  // no extension: a dot is appended to both
           {"notes.txt", "", "notes.txt", "NOTES.TXT"},
           {"Long File Name.txt", "LONGFI~1.TXT", "Long File Name.txt", "LONGFI~1.TXT"},
           {"\xC5\xBE" "aba.txt", "_ABA~1.TXT", "\xC5\xBE" "aba.txt", "_ABA~1.TXT"},
           // A file's Joliet record holds at most 108 UTF-16 units of name (255 bytes).
           {name108, "", name108, platform::UpperAscii(name108)},
           {name109, "", "", ""},
           {Repeat('d', 106) + ".txt", "", "", ""},
           {wide, "WIDE~1.TXT", "", ""},
       }) {
    burner.ResetCompilation(100, 10);
    bool skipOffered = false;
    burner.OnAddFile = [&](TZelvoBurner*, const std::string&, std::string&, std::string&, TDateTime&,
                           std::int32_t, std::int64_t, bool& Skip) { skipOffered = Skip; };
    const int added = burner.AddFileEntry(Root(), FileRec(c.name, 1, c.alias), false, 0, "/src/" + c.name);
    EXPECT_EQ(added, c.longName.empty() ? 0 : 1) << c.name;
    EXPECT_EQ(skipOffered, c.longName.empty()) << c.name;
    if (c.longName.empty()) {
      EXPECT_TRUE(LongNames(Root()).empty());
      continue;
    }
    EXPECT_EQ(LongNames(Root()), std::vector<std::string>{c.longName});
    EXPECT_EQ(ShortNames(Root()), std::vector<std::string>{c.shortName});
  }
  EXPECT_TRUE(messages.empty());  // names left out by Skip are left out silently
}

TEST_F(NamingTest, HandlerRenamesAndTooLongNamesAreRefusedAloud) {
  const std::string name109 = Repeat('b', 105) + ".txt";
  std::string replacement;
  burner.OnAddFile = [&](TZelvoBurner*, const std::string&, std::string& LongName, std::string& ShortName,
                         TDateTime&, std::int32_t, std::int64_t, bool& Skip) {
    Skip = false;
    if (!replacement.empty()) {
      LongName = replacement;
      ShortName = "renamed.txt";
    }
  };
  // Clearing Skip without shortening the name cannot make it fit: refused with a message.
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec(name109, 1), false, 0, "/src/" + name109), 0);
  EXPECT_EQ(messages, (std::vector<Message>{{fmt::sprintf(isotext::kNameTooLong, "/src/" + name109), 4}}));

  replacement = "Renamed.txt";
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec(name109, 1), false, 0, "/src/" + name109), 1);
  EXPECT_EQ(LongNames(Root()), std::vector<std::string>{"Renamed.txt"});
  EXPECT_EQ(ShortNames(Root()), std::vector<std::string>{"RENAMED.TXT"});  // upper-cased

  // A handler renaming a second file onto the first one's name meets that entry: refused, so
  // the directory never holds one name twice.
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("other.txt", 1), false, 0, "/src/other.txt"), 0);
  EXPECT_EQ(burner.FileCount(), 1);
}

TEST_F(NamingTest, IsoNamesNeverClashWithinADirectory) {
  // Aliases are unique per source directory only; three sources merged into one compilation
  // directory bring the same alias three times, and a directory brings it a fourth time.
  for (const char* name : {"Long File Name 1.txt", "Long File Name 2.txt", "Long File Name 3.txt"}) {
    ASSERT_EQ(burner.AddFileEntry(Root(), FileRec(name, 1, "LONGFI~1.TXT"), false, 0, name), 1);
  }
  ASSERT_NE(burner.AddDirectoryEntry(Root(), DirRec("Long File Name.txt dir", "LONGFI~1.TXT")), nullptr);
  EXPECT_EQ(ShortNames(Root()),
            (std::vector<std::string>{"LONGFI~1.TXT", "LONGFI~2.TXT", "LONGFI~3.TXT", "LONGFI~4.TXT"}));
  EXPECT_EQ(burner.DirList()[1]->ShortName, "LONGFI~4.TXT");  // both records carry the same name

  // Names without an alias are numbered too, cut to eight characters with the tail.
  burner.AddFileEntry(Root(), FileRec("x.txt", 1, "PROGRAM_FILES"), false, 0, "x.txt");
  burner.AddFileEntry(Root(), FileRec("y.txt", 1, "PROGRAM_FILES"), false, 0, "y.txt");
  EXPECT_EQ(ShortNames(Root()).back(), "PROGRA~1");

  // A freed name can be taken again, and a replacing file may keep the name it had.
  burner.ReplaceFile = true;
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("Long File Name 2.txt", 5, "LONGFI~2.TXT"), false, 0, "b"), 1);
  EXPECT_EQ(ShortNames(Root())[1], "LONGFI~2.TXT");
}

TEST_F(NamingTest, DirectoriesByNameAndPath) {
  TDEntry* pf = burner.MakeDirectoryPath("\\Program Files\\Kivo");
  ASSERT_NE(pf, nullptr);
  EXPECT_EQ(pf->Path, "\\PROGRAM FILES\\KIVO");
  EXPECT_EQ(pf->Parent->ShortName, "PROGRAM_FILES");
  EXPECT_EQ(pf->Parent->LongName, "Program Files");

  TDEntry* docs = burner.NewDirectory(Root(), "\\docs\\", 16);
  ASSERT_NE(docs, nullptr);
  EXPECT_EQ(docs->LongName, "docs");
  for (const char* path : {"\\docs\\", "\\DOCS", "\\Docs"}) EXPECT_EQ(burner.FindDirectory(path), docs) << path;
  for (const char* path : {"", "\\"}) EXPECT_EQ(burner.FindDirectory(path), Root()) << path;
  for (const char* path : {"docs", "\\docs\\\\", "\\program files\\kivo\\x"}) {
    EXPECT_EQ(burner.FindDirectory(path), nullptr) << path;
  }
  // Upper-casing changes a-z only.
  TDEntry* accented = burner.MakeDirectoryPath("\\\xC5\xBE" "aba");
  EXPECT_EQ(accented->Path, "\\\xC5\xBE" "ABA");
  EXPECT_EQ(burner.FindDirectory("\\\xC5\xBD" "ABA"), nullptr);  // upper-case z-caron is another name

  // A directory added twice is merged, keeping the first one's names.
  EXPECT_EQ(burner.AddDirectoryEntry(Root(), DirRec("DOCS", "OTHER")), docs);
  EXPECT_EQ(docs->LongName, "docs");
  EXPECT_EQ(burner.DirectoryCount(), 4);
}

TEST(SourcePaths, KeptPaths) {
  struct Case {
    std::string file, kept, lastOnly;
  };
  for (const Case& c : std::vector<Case>{
           {"C:\\data\\x\\a.txt", "\\data\\x\\", "\\x\\"},
           {"C:\\a.txt", "\\", "\\"},
           {"\\\\srv\\share\\data\\a.txt", "\\data\\", "\\data\\"},
           {"\\\\srv\\share\\a.txt", "\\", "\\"},
           {"C:\\data/x/a.txt", "\\data\\x\\", "\\x\\"},  // Windows reads "/" as "\\" too
           {"C:/data//x\\\\a.txt", "\\data\\x\\", "\\x\\"},
           {"\\\\srv/share/data/a.txt", "\\data\\", "\\data\\"},
           {"/home/ana/docs/a.txt", "\\home\\ana\\docs\\", "\\docs\\"},
           {"/a.txt", "\\", "\\"},
           {"a.txt", "\\", "\\"},
           {"/x//./y/../z/a.txt", "\\x\\z\\", "\\z\\"},
           {"/odd\\name/a.txt", "\\odd%5Cname\\", "\\odd%5Cname\\"},  // never read as two levels
       }) {
    const std::string kept = KeptPath(SourceDirectoryPart(c.file));
    EXPECT_EQ(kept, c.kept) << c.file;
    EXPECT_EQ(LastFolderOnly(kept), c.lastOnly) << c.file;
  }
  EXPECT_TRUE(MatchesMask("Report.TXT", "*.txt"));
  EXPECT_TRUE(MatchesMask("README", "*.*"));
  EXPECT_TRUE(MatchesMask("a1b", "a?b"));
  EXPECT_FALSE(MatchesMask("a.txt.bak", "*.txt"));
}

TEST_F(NamingTest, AddFileKeepsPaths) {
  TempDir tmp;
  std::filesystem::create_directories(tmp / "docs");
  const std::string file = tmp.Write("docs/a.txt", "x");

  ASSERT_EQ(burner.AddFile("\\", file, true), 1);
  const std::string kept = platform::UpperAscii(KeptPath(tmp / "docs/"));
  ASSERT_NE(burner.FindDirectory(kept), nullptr) << kept;
  EXPECT_EQ(LongNames(burner.FindDirectory(kept)), std::vector<std::string>{"a.txt"});

  burner.KeepLastFolderOnly = true;
  ASSERT_EQ(burner.AddFile("\\", file, true), 1);
  EXPECT_EQ(LongNames(burner.FindDirectory("\\DOCS")), std::vector<std::string>{"a.txt"});

  // The Windows forms keep their rules: the directories are made even though no such file
  // exists here.
  burner.KeepLastFolderOnly = false;
  EXPECT_EQ(burner.AddFile("\\", "C:\\data\\x\\a.txt", true), -1);
  EXPECT_NE(burner.FindDirectory("\\DATA\\X"), nullptr);
  EXPECT_EQ(burner.AddFile("\\", "\\\\srv\\share\\net\\a.txt", true), -1);
  EXPECT_NE(burner.FindDirectory("\\NET"), nullptr);

  EXPECT_EQ(burner.AddFile("\\nowhere", file, false), 0);
  EXPECT_EQ(messages.back(), (Message{std::string(isotext::kInvalidDestinationPath), 4}));
}

}  // namespace
}  // namespace kivo::testing
