// The Win32 file system layer: the file system's own aliases and attributes, 64-bit files,
// replacing renames, locks between handles and the path forms of Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/platform/FileLock.h"
#include "engine/platform/Files.h"
#include "engine/platform/ShortAlias.h"
#include "tests/windows/Wine.h"

namespace kivo::platform {
namespace {

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("kivo-win-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_, ignored)) {
      ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Write(const std::string& name, const std::string& content = "x") const {
    std::ofstream(Path(name), std::ios::binary) << content;
    return Path(name);
  }
  const DirEntry* Find(const DirListing& listing, const std::string& name) const {
    for (const auto& e : listing.entries) {
      if (e.name == name) return &e;
    }
    return nullptr;
  }

  std::filesystem::path dir_;
};

TEST_F(WindowsFiles, ListingCarriesTheFileSystemsAliasesAndAttributes) {
  Write("A Long File Name.text", "hello");
  Write("short.txt");
  Write("UPPER.TXT");
  std::filesystem::create_directory(dir_ / "Folder With Blanks");

  const DirListing listing = ListDirectory(dir_.string());
  ASSERT_TRUE(listing.ok()) << listing.error;
  ASSERT_EQ(listing.entries.size(), 4u);
  EXPECT_EQ(listing.entries[0].name, "A Long File Name.text") << "sorted by upper-cased name";

  const DirEntry* longName = Find(listing, "A Long File Name.text");
  ASSERT_NE(longName, nullptr);
  EXPECT_TRUE(IsExactShortName(longName->alias)) << longName->alias;
  EXPECT_EQ(longName->size, 5u);
  EXPECT_TRUE(longName->attributes & kAttrArchive) << "a file just written carries the archive bit";
  EXPECT_EQ(Find(listing, "short.txt")->alias, "SHORT.TXT");
  EXPECT_EQ(Find(listing, "UPPER.TXT")->alias, "");
  const DirEntry* folder = Find(listing, "Folder With Blanks");
  EXPECT_EQ(folder->kind, SourceKind::Directory);
  EXPECT_TRUE(folder->attributes & kAttrDirectory);
  EXPECT_TRUE(IsExactShortName(folder->alias)) << folder->alias;
}

using kivo::testing::UnderWine;

TEST_F(WindowsFiles, AttributesSetAreTheOnesListed) {
  const std::string file = Write("a.txt");
  ASSERT_TRUE(SetFileAttributes(file, kAttrReadOnly | kAttrArchive));
  auto entry = StatPath(file);
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->attributes & kAttrReadOnly);
  EXPECT_TRUE(ArchiveMarksSupported(file));

  ASSERT_TRUE(SetFileAttributes(file, 0));
  entry = StatPath(file);
  EXPECT_FALSE(entry->attributes & kAttrReadOnly);
  if (UnderWine()) GTEST_SKIP() << "Wine keeps no archive bit";
  EXPECT_FALSE(entry->attributes & kAttrArchive) << "a recording clears the bit";
}

TEST_F(WindowsFiles, FilesBeyondFourGigabytes) {
  File file;
  ASSERT_TRUE(file.Open(Path("big.img"), File::Mode::Create)) << file.LastError();
  const std::int64_t size = std::int64_t{5} << 30;
  ASSERT_TRUE(file.SetSize(size)) << file.LastError();
  EXPECT_EQ(file.Size(), size);

  const std::int64_t beyond = (std::int64_t{9} << 29) + 3;  // past 4 GiB, not aligned
  const std::string text = "far away";
  ASSERT_EQ(file.Seek(10, File::Origin::Begin), 10);
  ASSERT_EQ(file.WriteAt(text.data(), static_cast<std::int64_t>(text.size()), beyond), static_cast<std::int64_t>(text.size()));
  std::string back(text.size(), '\0');
  ASSERT_EQ(file.ReadAt(back.data(), static_cast<std::int64_t>(back.size()), beyond), static_cast<std::int64_t>(back.size()));
  EXPECT_EQ(back, text);
  EXPECT_EQ(file.Seek(0, File::Origin::Current), 10) << "positioned transfers leave the file pointer alone";
  EXPECT_EQ(file.Seek(-2, File::Origin::End), size - 2);

  char tail[4];
  EXPECT_EQ(file.Read(tail, sizeof tail), 2) << "a short count at the end of the file";
  EXPECT_EQ(file.LastError(), "");
}

TEST_F(WindowsFiles, RenameOverReplacesTheTarget) {
  const std::string target = Write("state.json", "old");
  const std::string fresh = Write("state.json.tmp", "new");
  std::string error;
  ASSERT_TRUE(RenameOver(fresh, target, &error)) << error;
  EXPECT_FALSE(PathTaken(fresh));
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
}

TEST_F(WindowsFiles, AnExclusiveLockKeepsOtherHandlesOut) {
  FileLock holder, other;
  ASSERT_TRUE(holder.Open(Path("lock")));
  ASSERT_TRUE(other.Open(Path("lock")));
  ASSERT_TRUE(holder.Lock(FileLock::Kind::Exclusive, false));
  EXPECT_FALSE(other.Lock(FileLock::Kind::Shared, false));
  holder.Close();
  EXPECT_TRUE(other.Lock(FileLock::Kind::Shared, false));
  other.Unlock();
}

TEST(WindowsPaths, ParentFolderKnowsDrivesAndShares) {
  const struct {
    const char* path;
    const char* parent;
  } cases[] = {
      {"C:\\a\\b.txt", "C:\\a"},  {"C:\\a", "C:\\"},        {"C:\\", "C:\\"},
      {"C:/a/b", "C:/a"},         {"name", "."},             {"\\\\server\\share\\x", "\\\\server\\share\\"},
      {"dir/name", "dir"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
}

}  // namespace
}  // namespace kivo::platform
