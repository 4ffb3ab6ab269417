// The quick image save when sources or the image file misbehave: every failure ends with
// OnWriteDone naming the file and the reason, and a source that changed size keeps the layout.

#include <gtest/gtest.h>

#include <fmt/printf.h>

#include <filesystem>
#include <functional>

#include "engine/iso/Strings.h"
#include "tests/iso/ImageFixture.h"

namespace kivo::testing {
namespace {

using ImageSaveTest = ImageTest;

TEST_F(ImageSaveTest, FailuresEndTheSaveWithTheirReason) {
  struct Case {
    const char* name;
    std::function<void(const std::string& source)> spoil;  // done to the first file's source
    std::string image;                                      // empty: the fixture's; else below tmp or absolute
    std::string errorStart;
    std::string reason;
    bool namesSource;
  };
  const auto keep = [](const std::string&) {};
  const std::vector<Case> cases{
      {"source deleted", [](const std::string& s) { std::filesystem::remove(s); }, "", "CANNOT OPEN SOURCE FILE ",
       "No such file or directory", true},
      {"source unreadable",
       [](const std::string& s) {
         std::filesystem::remove(s);
         std::filesystem::create_directory(s);
       },
#ifdef _WIN32
       "", "CANNOT OPEN SOURCE FILE ", "Is a directory", true},  // Windows refuses a folder at the open
#else
       "", "CANNOT READ SOURCE FILE ", "Is a directory", true},
#endif
#ifndef _WIN32  // a device that is always full
      {"disk full", keep, "/dev/full", "CANNOT WRITE IMAGE FILE /dev/full: ", "No space left on device", false},
#endif
      {"no such folder", keep, "none/out.iso", "CANNOT CREATE IMAGE FILE ", "No such file or directory", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    burner.ResetCompilation(100, 10);
    const std::string source = AddSource(Root(), "a.txt", 300000)->SourcePath;
    AddSource(Root(), "b.txt", 10);
    c.spoil(source);
    const std::string target = c.image.empty() ? imagePath : c.image.starts_with('/') ? c.image : tmp / c.image;
    writeDone.clear();
    EXPECT_EQ(burner.SaveISO(target, true), 0);
    ASSERT_EQ(writeDone.size(), 1u);
    EXPECT_TRUE(writeDone[0].starts_with(c.errorStart)) << writeDone[0];
    EXPECT_NE(writeDone[0].find(c.reason), std::string::npos) << writeDone[0];
    if (c.namesSource) {
      EXPECT_NE(writeDone[0].find(source), std::string::npos) << writeDone[0];
    }
  }
}

TEST_F(ImageSaveTest, ChangedSourcesKeepTheLayoutAndAreLogged) {
  TFEntry* shrinking = AddSource(Root(), "shrinks.txt", 300000);
  TFEntry* growing = AddSource(Root(), "grows.txt", 3000);
  AddSource(Root(), "after.txt", 1);
  std::filesystem::resize_file(shrinking->SourcePath, 140000);  // within the second chunk
  std::filesystem::resize_file(growing->SourcePath, 9000);
  ASSERT_TRUE(Save());

  const ImageCheck check = CheckImage(image);
  EXPECT_EQ(check.problems, std::vector<std::string>{});
  const CheckedEntry* s = Find(check.joliet, "shrinks.txt");
  const CheckedEntry* g = Find(check.joliet, "grows.txt");
  const CheckedEntry* a = Find(check.joliet, "after.txt");
  EXPECT_EQ(std::make_tuple(s->extent, s->size, g->extent, g->size, a->extent),
            std::make_tuple(150u, 300000u, 150u + 147u, 3000u, 150u + 147u + 2u));
  const std::uint8_t* data = SectorAt(150);
  EXPECT_EQ(data[139999], 'a' + 139999 % 26);
  EXPECT_TRUE(std::all_of(data + 140000, data + 147 * 2048, [](auto b) { return b == 0; }));
  EXPECT_EQ(SectorAt(150 + 147)[2999], 'a' + 2999 % 26);
  EXPECT_TRUE(std::all_of(SectorAt(150 + 147) + 3000, SectorAt(150 + 149), [](auto b) { return b == 0; }));
  EXPECT_EQ(SectorAt(150 + 149)[0], 'a');

  const std::vector<Message> expected{
      {fmt::sprintf(isotext::kSourceShrank, shrinking->SourcePath), 4},
      {fmt::sprintf(isotext::kSourceGrew, growing->SourcePath), 4},
  };
  EXPECT_EQ(messages, expected);
}

TEST_F(ImageSaveTest, ImportedAndSourcelessEntriesWriteNoData) {
  AddSource(Root(), "a.txt", 1);
  platform::DirEntry old = FileRec("old.txt", 5000);
  ASSERT_EQ(burner.AddFileEntry(Root(), old, false, 1234, ""), 1);  // from an earlier session
  AddSource(Root(), "b.txt", 1);
  ASSERT_TRUE(Save());
  const ImageCheck check = CheckImage(image);
  // The earlier session's data lies outside this image, in both trees: the only problems.
  ASSERT_EQ(check.problems.size(), 2u);
  for (const std::string& p : check.problems) EXPECT_NE(p.find("extent outside the volume"), std::string::npos) << p;
  EXPECT_EQ(Find(check.joliet, "old.txt")->extent, 1234u);
  EXPECT_EQ(Find(check.iso, "OLD.TXT;1")->extent, 1234u);
  EXPECT_EQ(Find(check.joliet, "b.txt")->extent, 151u);
  EXPECT_EQ(image.size(), 152u * 2048);
}

}  // namespace
}  // namespace kivo::testing
