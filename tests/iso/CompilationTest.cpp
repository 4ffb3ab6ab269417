// The compilation tree through the burner: accounting, capacities, removal and pruning.

#include <gtest/gtest.h>

#include <fmt/printf.h>

#include <random>
#include <set>

#include "engine/iso/SourcePaths.h"
#include "engine/iso/Strings.h"
#include "engine/platform/Text.h"
#include "tests/iso/TreeFixture.h"

namespace kivo::testing {
namespace {

using CompilationTest = TreeTest;

TEST_F(CompilationTest, DefaultsResetAndSetters) {
  EXPECT_EQ(burner.MaxFiles(), 65535);
  EXPECT_EQ(burner.MaxDirectories(), 8191);
  EXPECT_EQ(burner.CacheSize(), 4194304);
  EXPECT_TRUE(burner.JolietFileSystem && burner.FinalizeTrack && burner.WritePostGap && burner.UnderrunProtection);
  EXPECT_FALSE(burner.ReplaceFile || burner.TestWrite || burner.FinalizeDisc || burner.PerformOPC);

  for (const auto& [value, stored] : std::vector<std::pair<int, int>>{
           {0, 2097152}, {2097151, 2097152}, {2097152, 2097152}, {2099199, 2097152}, {2099200, 2099200}}) {
    burner.SetCacheSize(value);
    EXPECT_EQ(burner.CacheSize(), stored) << value;
  }
  burner.SetVersion("9.99");
  EXPECT_EQ(burner.Version(), "1.23");

  burner.AddFileEntry(Root(), FileRec("a.txt", 1), false, 0, "a.txt");
  burner.MakeDirectoryPath("\\x\\y");
  burner.HeaderStream.Write("abc", 3);
  EXPECT_TRUE(burner.ResetCompilation(600000, 20000));
  EXPECT_EQ(std::make_tuple(burner.DirectoryCount(), burner.FileCount(), burner.CompilationBytes),
            std::make_tuple(0, 0, std::int64_t{0}));
  EXPECT_EQ(burner.HeaderStream.Size(), 0);
  EXPECT_EQ(burner.FindDirectory("\\"), Root());
  EXPECT_EQ(burner.FindDirectory(""), Root());
  EXPECT_EQ(Root()->Parent, Root());
  EXPECT_EQ(std::make_tuple(Root()->ShortName, Root()->LongName, Root()->Path),
            std::make_tuple("CD_ROOT", "CD Root Directory", "\\"));
  EXPECT_EQ(burner.FindDirectory("\\X"), nullptr);
  // A capacity that leaves no room for the root still has the root.
  burner.ResetCompilation(0, 0);
  EXPECT_EQ(burner.DirList().size(), 1u);
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("a.txt", 1), false, 0, "a.txt"), 0);
}

// Source names that the compilation names alike, whichever comes first: the second is named as
// left out, never dropped without a word.
TEST_F(CompilationTest, SourceNamesThatBecomeOneNameAreReported) {
  const std::vector<std::pair<std::string, std::string>> pairs{
      {"a\xff.txt", "a%FF.txt"}, {"tab\tname.txt", "tab%09name.txt"}, {"README", "README."}};
  for (const auto& [one, other] : pairs) {
    for (const bool swapped : {false, true}) {
      SCOPED_TRACE(other + (swapped ? " first" : " second"));
      burner.ResetCompilation(100, 10);
      messages.clear();
      const std::string& first = swapped ? other : one;
      const std::string& second = swapped ? one : other;
      EXPECT_EQ(burner.AddFileEntry(Root(), FileRec(first, 1), false, 0, "/src/" + first), 1);
      EXPECT_EQ(burner.AddFileEntry(Root(), FileRec(second, 1), false, 0, "/src/" + second), 0);
      EXPECT_EQ(messages, (std::vector<Message>{
                              {"ANOTHER FILE IS ALREADY THERE UNDER THE SAME NAME, NOT ADDED: /src/" + second, 4}}));
    }
  }
}

TEST_F(CompilationTest, ReplaceVersusRefuse) {
  burner.AddFileEntry(Root(), FileRec("a.txt", 1), false, 0, "/one/a.txt");
  burner.AddFileEntry(Root(), FileRec("b.txt", 0), false, 0, "/one/b.txt");
  EXPECT_EQ(burner.CompilationBytes, 2048);  // one byte takes a sector, an empty file none

  // The first file of a name wins, whatever the case of the second one's name: the same name
  // again is refused without a word, one that differs in case is named as left out.
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("a.txt", 7), false, 0, "/one/a.txt"), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("A.TXT", 5000), false, 0, "/two/A.TXT"), 0);
  EXPECT_EQ(burner.CompilationBytes, 2048);
  EXPECT_EQ(Root()->FirstEntry->SourcePath, "/one/a.txt");
  EXPECT_EQ(messages, (std::vector<Message>{
                          {"A FILE WHOSE NAME DIFFERS ONLY IN CASE IS ALREADY THERE, NOT ADDED: /two/A.TXT", 4}}));
  messages.clear();

  // Replacing overwrites in place and counts the difference of the rounded sizes.
  burner.ReplaceFile = true;
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("A.TXT", 5000), true, 0, "/two/A.TXT"), 1);
  EXPECT_EQ(burner.CompilationBytes, 3 * 2048);
  EXPECT_EQ(LongNames(Root()), (std::vector<std::string>{"A.TXT", "b.txt"}));
  const TFEntry* a = Root()->FirstEntry;
  EXPECT_EQ(std::make_tuple(a->Size, a->JolietSize, a->SourcePath, a->ClearArchive),
            std::make_tuple(std::int64_t{5000}, std::int64_t{5000}, "/two/A.TXT", true));
  EXPECT_EQ(burner.FileCount(), 2);

  // Imported entries never counted: replacing one takes nothing back, and an import that
  // replaces a new file takes that file's sectors out.
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("old.txt", 10000), false, 500, ""), 1);
  EXPECT_EQ(burner.CompilationBytes, 3 * 2048);
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("old.txt", 1), false, 0, "/new/old.txt"), 1);
  EXPECT_EQ(burner.CompilationBytes, 4 * 2048);
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("a.txt", 4096), false, 700, ""), 1);
  EXPECT_EQ(burner.CompilationBytes, 2048);
  EXPECT_TRUE(a->Imported);
  EXPECT_EQ(std::make_tuple(a->IsoAddress, a->JolietAddress), std::make_tuple(700, 700));
}

TEST_F(CompilationTest, Capacities) {
  TempDir tmp;
  MakeTree(tmp, {"a/1.txt", "b/2.txt", "c/3.txt", "top.txt"});

  // The root and one more: the second subdirectory stops the whole walk.
  burner.ResetCompilation(100, 2);
  EXPECT_EQ(burner.AddDirectory(Root(), tmp.str(), false, false, true, 63, "*.*"), 0);
  EXPECT_EQ(DirPaths(), (std::vector<std::string>{"\\", "\\A"}));
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"a", "1.txt"}));
  EXPECT_EQ(messages, (std::vector<Message>{{" MAXIMUM DIRECTORIES CAN BE 2", 3}}));

  // Files that do not fit are left out one by one; a directory whose entry does not fit is
  // not kept either.
  messages.clear();
  burner.ResetCompilation(2, 10);
  EXPECT_EQ(burner.AddDirectory(Root(), tmp.str() + "/", false, false, false, 63, "*.*"), 1);
  burner.AddFileEntry(Root(), FileRec("x.txt", 1), false, 0, "x.txt");
  burner.AddFileEntry(Root(), FileRec("y.txt", 1), false, 0, "y.txt");
  EXPECT_EQ(burner.AddDirectoryEntry(Root(), DirRec("d")), nullptr);
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"top.txt", "x.txt"}));
  EXPECT_EQ(burner.DirList().size(), 1u);
  EXPECT_EQ(messages, (std::vector<Message>(2, {"MAXIMUM FILES CAN BE 2", 3})));
}

TEST_F(CompilationTest, DeleteAndPruneKeepListOrder) {
  // \ : f1  D1{g1, E{}}  f2  D2{}  D3{D4{}}  f3
  burner.AddFileEntry(Root(), FileRec("f1.txt"), false, 0, "f1");
  TDEntry* d1 = burner.NewDirectory(Root(), "D1", 16);
  burner.AddFileEntry(d1, FileRec("g1.txt"), false, 0, "g1");
  burner.NewDirectory(d1, "E", 16);
  burner.AddFileEntry(Root(), FileRec("f2.txt"), false, 0, "f2");
  burner.NewDirectory(Root(), "D2", 16);
  burner.MakeDirectoryPath("\\D3\\D4");
  burner.AddFileEntry(Root(), FileRec("f3.txt"), false, 0, "f3");
  // The layout re-orders these two lists; removals must keep whatever order they have.
  std::reverse(burner.IsoDirOrder().begin() + 1, burner.IsoDirOrder().end());

  burner.LayoutValid = true;
  EXPECT_TRUE(burner.RemoveEmptyDirectories());
  EXPECT_FALSE(burner.LayoutValid);
  EXPECT_EQ(DirPaths(), (std::vector<std::string>{"\\", "\\D1"}));
  EXPECT_EQ(burner.IsoDirOrder(), burner.DirList());  // two entries: reversed back is the same
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"f1.txt", "D1", "g1.txt", "f2.txt", "f3.txt"}));
  EXPECT_EQ(LongNames(Root()), (std::vector<std::string>{"f1.txt", "D1", "f2.txt", "f3.txt"}));

  TDEntry* root = Root();
  EXPECT_FALSE(burner.DeleteDirectory(root));
  EXPECT_EQ(root, Root());
  EXPECT_EQ(burner.FileCount(), 5);

  EXPECT_TRUE(burner.DeleteEntryByName("\\", "F2.TXT"));
  EXPECT_FALSE(burner.DeleteEntryByName("\\", "f2.txt"));
  EXPECT_FALSE(burner.DeleteEntryByName("\\nowhere", "f1.txt"));
  EXPECT_FALSE(burner.DeleteEntry(d1, Root()->FirstEntry));  // not an entry of d1

  EXPECT_TRUE(burner.DeleteDirectory(d1));
  EXPECT_EQ(d1, nullptr);
  EXPECT_EQ(DirPaths(), (std::vector<std::string>{"\\"}));
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"f1.txt", "f3.txt"}));
  EXPECT_EQ(LongNames(Root()), (std::vector<std::string>{"f1.txt", "f3.txt"}));

  // Every removed name and path is free again; the last entry of a list links on correctly.
  EXPECT_NE(burner.MakeDirectoryPath("\\D1\\E"), nullptr);
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("f2.txt"), false, 0, "f2"), 1);
  EXPECT_EQ(LongNames(Root()), (std::vector<std::string>{"f1.txt", "f3.txt", "D1", "f2.txt"}));
  EXPECT_EQ(DirPaths(), (std::vector<std::string>{"\\", "\\D1", "\\D1\\E"}));
}

TEST_F(CompilationTest, SkippingEveryFileLeavesNoEmptyDirectories) {
  TempDir tmp;
  MakeTree(tmp, {"src/a/b/c/1.txt", "src/a/2.txt", "src/d/", "src/e/f/3.txt", "src/z.txt"});
  burner.OnAddFile = [](TZelvoBurner*, const std::string&, std::string&, std::string&, TDateTime&,
                        std::int32_t, std::int64_t, bool& Skip) { Skip = true; };
  EXPECT_EQ(burner.AddDirectory(Root(), tmp / "src", false, false, true, 63, "*.*"), 0);
  EXPECT_EQ(burner.DirectoryCount(), 0);
  EXPECT_EQ(burner.FileCount(), 0);

  // Keep-path mode makes the source's own path first; pruning removes it again.
  EXPECT_EQ(burner.AddDirectory(Root(), tmp / "src/", false, true, true, 63, "*.*"), 0);
  EXPECT_GT(burner.DirectoryCount(), 0);
  burner.RemoveEmptyDirectories();
  EXPECT_EQ(burner.DirectoryCount(), 0);
  EXPECT_EQ(burner.FileCount(), 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CompilationTest, DirectoryWalk) {
  TempDir tmp;
  MakeTree(tmp, {"src/b.txt=3000", "src/a.TXT", "src/.hidden", "src/sub/c.txt", "src/sub/deeper/d.dat",
                 "src/empty/"});
  burner.OnAddDir = [](TZelvoBurner*, std::string& LongName, std::string& ShortName, bool& Skip) {
    Skip = LongName == "deeper";
    ShortName = LongName = "ignored";
  };
  EXPECT_EQ(burner.AddDirectory(Root(), tmp / "src", false, false, true, 63, ""), 1);
  // Subdirectories first, then the files, each in the search's order; empty ones are dropped.
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"sub", "c.txt", ".hidden", "a.TXT", "b.txt"}));
  EXPECT_EQ(burner.CompilationBytes, 5 * 2048);
  EXPECT_EQ(Root()->FirstEntry->Attr & 0x10, 0x10);

  burner.ResetCompilation(100, 10);
  EXPECT_EQ(burner.AddDirectory(Root(), tmp / "src", false, true, false, 0x10, "*.txt"), 1);
  const std::string kept = platform::UpperAscii(KeptPath(tmp / "src"));
  EXPECT_EQ(LongNames(burner.FindDirectory(kept)), (std::vector<std::string>{"a.TXT", "b.txt"}));

  EXPECT_EQ(burner.SourceDirectorySize(tmp / "src/"), 3000 + 1 + 1 + 1 + 1);
  EXPECT_EQ(burner.SourceDirectorySize(tmp / "src/*.txt"), 3000 + 1);
  EXPECT_EQ(burner.SourceDirectorySize(tmp / "src/b.txt"), 3000);
  EXPECT_EQ(burner.SourceDirectorySize(tmp / "src/sub"), 2);
}


// Every record is reachable from the root exactly once, sits in the lists, and is found by
// its name and path: what a plain scan over the lists would find.
void ExpectIndexesTrue(const TZelvoBurner& burner) {
  std::set<const TDEntry*> dirs;
  std::set<const TFEntry*> files;
  std::vector<const TDEntry*> pending{burner.RootDirectory()};
  while (!pending.empty()) {
    const TDEntry* d = pending.back();
    pending.pop_back();
    ASSERT_TRUE(dirs.insert(d).second);
    EXPECT_EQ(burner.FindDirectory(d->Path), d) << d->Path;
    std::set<std::string> shorts;
    for (const TFEntry* e = d->FirstEntry; e != nullptr; e = e->Next) {
      ASSERT_TRUE(files.insert(e).second);
      EXPECT_EQ(e->Owner(), d);
      EXPECT_EQ(burner.FindFileEntry(d, e->LongName), e) << d->Path << "\\" << e->LongName;
      EXPECT_TRUE(shorts.insert(e->ShortName).second) << e->ShortName;
      if (e->DirEntry != nullptr) {
        EXPECT_EQ(e->DirEntry->Parent, d);
        pending.push_back(e->DirEntry);
      }
    }
  }
  EXPECT_EQ(dirs, std::set<const TDEntry*>(burner.DirList().begin(), burner.DirList().end()));
  EXPECT_EQ(burner.DirList().size(), dirs.size());
  EXPECT_EQ(files, std::set<const TFEntry*>(burner.FileList().begin(), burner.FileList().end()));
  EXPECT_EQ(burner.FileList().size(), files.size());
}

TEST_F(CompilationTest, RandomEditsKeepIndexesTrue) {
  // Few names in few directories: names meet in the indexes all the time, and removals keep
  // shifting probe runs.
  std::mt19937 rng(7);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const std::vector<std::string> names = {"a.txt", "B.TXT", "c", "Long Name 1.txt", "Long Name 2.txt", "d.e"};
  burner.ReplaceFile = true;
  for (int step = 0; step < 3000; ++step) {
    const std::vector<TDEntry*>& dirs = burner.DirList();
    TDEntry* dir = dirs[pick(dirs.size())];
    switch (pick(6)) {
      case 0:
      case 1:
        burner.AddFileEntry(dir, FileRec(names[pick(names.size())], pick(5000), pick(2) ? "LONGNA~1.TXT" : ""),
                            false, 0, "src");
        break;
      case 2:
        burner.NewDirectory(dir, "D" + std::to_string(pick(4)), 16);
        break;
      case 3:
        if (dir->FirstEntry != nullptr) {
          TFEntry* e = dir->FirstEntry;
          for (std::size_t n = pick(4); n > 0 && e->Next != nullptr; --n) e = e->Next;
          EXPECT_TRUE(burner.DeleteEntry(dir, e));
        }
        break;
      case 4:
        if (dir != Root() && pick(4) == 0) {
          EXPECT_TRUE(burner.DeleteDirectory(dir));
        }
        break;
      default:
        if (pick(10) == 0) {
          burner.RemoveEmptyDirectories();
        }
    }
    if (step % 100 == 0) ExpectIndexesTrue(burner);
  }
  ExpectIndexesTrue(burner);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kivo::testing
