// What the compilation refuses, and that each refusal is said and leaves the tree whole.

#include <gtest/gtest.h>

#include <fmt/printf.h>

#include "engine/iso/Strings.h"
#include "tests/iso/TreeFixture.h"

namespace kivo::testing {
namespace {

using RefusalsTest = TreeTest;

TEST_F(RefusalsTest, FileAndDirectoryNeverShareAName) {
  TDEntry* dir = burner.NewDirectory(Root(), "a.b", 16);
  burner.AddFileEntry(dir, FileRec("inside.txt", 1), false, 0, "/s/inside.txt");
  // Taking the directory's entry over would turn it into a file and orphan its contents.
  burner.ReplaceFile = true;
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("A.B", 7), false, 0, "/s/A.B"), 0);
  EXPECT_EQ(dir->OwnEntry()->DirEntry, dir);
  EXPECT_EQ(burner.FindFileEntry(Root(), "a.b")->Size, 0);

  burner.AddFileEntry(Root(), FileRec("x.txt", 1), false, 0, "/s/x.txt");
  EXPECT_EQ(burner.AddDirectoryEntry(Root(), DirRec("X.TXT")), nullptr);
  EXPECT_EQ(burner.MakeDirectoryPath("\\x.txt\\deeper"), nullptr);
  EXPECT_EQ(messages, (std::vector<Message>{
                          {fmt::sprintf(isotext::kNameUsedByDirectory, "/s/A.B"), 4},
                          {fmt::sprintf(isotext::kNameUsedByFile, "\\X.TXT"), 4},
                          {fmt::sprintf(isotext::kNameUsedByFile, "\\x.txt"), 4},
                      }));
  EXPECT_EQ(burner.DirectoryCount(), 1);
  EXPECT_EQ(LongNames(Root()), (std::vector<std::string>{"a.b", "x.txt"}));
}

TEST_F(RefusalsTest, ClashingDirectoryInAWalkIsSkippedAndTheWalkGoesOn) {
  TempDir tmp;
  MakeTree(tmp, {"one/n.d", "two/n.d/f.txt", "two/ok/g.txt"});
  burner.AddDirectory(Root(), tmp / "one", false, false, true, 63, "*.*");
  EXPECT_EQ(burner.AddDirectory(Root(), tmp / "two", false, false, true, 63, "*.*"), 1);
  EXPECT_EQ(DirPaths(), (std::vector<std::string>{"\\", "\\OK"}));
  EXPECT_EQ(messages, (std::vector<Message>{{fmt::sprintf(isotext::kNameUsedByFile, "\\n.d"), 4}}));
}

TEST_F(RefusalsTest, RecordLimitsAndUnusableNames) {
  struct Case {
    platform::DirEntry rec;
    const char* message;  // nullptr: added
  };
  const std::string dir110(110, 'd');
  for (const Case& c : std::vector<Case>{
           // A directory's Joliet record holds 110 units of name (no ";1").
           {DirRec(dir110), nullptr},
           {DirRec(dir110 + "d"), isotext::kNameTooLong.data()},
           {DirRec(".."), isotext::kInvalidName.data()},
           // One byte below 4 GiB still fits the 32-bit size of a record; 4 GiB does not.
           {FileRec("max.bin", 0xFFFFFFFFull), nullptr},
           {FileRec("big.iso", 0x100000000ull), isotext::kFileTooLarge.data()},
           {DirRec("offered as a file"), isotext::kNotAFile.data()},
       }) {
    burner.ResetCompilation(10, 10);
    messages.clear();
    int raised = 0;
    burner.OnAddFile = [&](TZelvoBurner*, const std::string&, std::string&, std::string&, TDateTime&,
                           std::int32_t, std::int64_t, bool&) { ++raised; };
    const bool asFile = c.rec.size != 0 || c.rec.name == "offered as a file";
    const std::string full = "/src/" + c.rec.name;
    const bool added = asFile ? burner.AddFileEntry(Root(), c.rec, false, 0, full) == 1
                              : burner.AddDirectoryEntry(Root(), c.rec) != nullptr;
    EXPECT_EQ(added, c.message == nullptr) << c.rec.name;
    EXPECT_EQ(burner.FileCount(), added ? 1 : 0) << c.rec.name;
    if (c.message == nullptr) {
      EXPECT_TRUE(messages.empty()) << c.rec.name;
      continue;
    }
    EXPECT_EQ(raised, 0) << "nothing to ask about what is refused anyway: " << c.rec.name;
    ASSERT_EQ(messages.size(), 1u) << c.rec.name;
    EXPECT_EQ(messages[0].type, 4);
    const std::string named = asFile ? full : "\\" + c.rec.name;
    EXPECT_EQ(messages[0].text, fmt::sprintf(c.message, named));
  }
}

TEST_F(RefusalsTest, HandlerNamesObeyTheSameRules) {
  std::string longName, shortName;
  burner.OnAddFile = [&](TZelvoBurner*, const std::string&, std::string& LongName, std::string& ShortName,
                         TDateTime&, std::int32_t, std::int64_t, bool&) {
    LongName = longName;
    ShortName = shortName;
  };
  for (const auto& [l, s] : std::vector<std::pair<std::string, std::string>>{{"", "X"}, {"ok.txt", ""}, {".", "Y"}}) {
    longName = l;
    shortName = s;
    messages.clear();
    EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("f.txt", 1), false, 0, "/f.txt"), 0) << l << "|" << s;
    EXPECT_EQ(messages, (std::vector<Message>{{fmt::sprintf(isotext::kInvalidName, "/f.txt"), 4}}));
  }
  longName = "line\nbreak\\slash.txt";
  shortName = "short.txt";
  EXPECT_EQ(burner.AddFileEntry(Root(), FileRec("f.txt", 1), false, 0, "/f.txt"), 1);
  EXPECT_EQ(LongNames(Root()), std::vector<std::string>{"line%0Abreak%5Cslash.txt"});
}

}  // namespace
}  // namespace kivo::testing
