#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/platform/Files.h"
#include "tests/platform/TempDir.h"
#ifdef _WIN32
#include "tests/windows/Wine.h"
#endif

namespace kivo::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(ListDirectory, SortsAndDescribesEveryKindOfEntry) {
#ifdef _WIN32
  GTEST_SKIP() << "short names made by the Linux layer, modes and symbolic links (the Windows listing: FileSystemTest)";
#endif
  TempDir dir;
  dir.Write("b.txt", "abc");
  dir.Write(".hidden", "");
  dir.Write("ro.txt", "r");
  ::chmod((dir / "ro.txt").c_str(), 0444);
  dir.Write("Program Files 1", "");
  dir.Write("Program Files 2", "");
  dir.Write("README.TXT", "");
  dir.Write("readme.txt", "");
  fs::create_directory(dir / "A_dir");
  fs::create_symlink("A_dir", dir / "link-dir");
  fs::create_symlink("nowhere", dir / "link-dangling");

  const DirListing listing = ListDirectory(dir.str());
  ASSERT_TRUE(listing.ok()) << listing.error;

  struct Expected {
    std::string name, alias;
    std::uint32_t attributes;
    std::uint64_t size;
  };
  const Expected expected[] = {
      {".hidden", "HIDDEN~1", kAttrHidden | kAttrArchive, 0},
      {"A_dir", "A_DIR", kAttrDirectory, 0},
      {"b.txt", "B.TXT", kAttrArchive, 3},
      {"link-dangling", "LINK-D~1", kAttrArchive, 0},
      {"link-dir", "LINK-DIR", kAttrDirectory, 0},
      {"Program Files 1", "PROGRA~1", kAttrArchive, 0},
      {"Program Files 2", "PROGRA~2", kAttrArchive, 0},
      {"README.TXT", "", kAttrArchive, 0},  // its own short name, so the other one yields
      {"readme.txt", "README~1.TXT", kAttrArchive, 0},
      {"ro.txt", "RO.TXT", kAttrReadOnly | kAttrArchive, 1},
  };
  ASSERT_EQ(listing.entries.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const DirEntry& e = listing.entries[i];
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(e.name, expected[i].name);
    EXPECT_EQ(e.alias, expected[i].alias);
    EXPECT_EQ(e.attributes, expected[i].attributes);
    EXPECT_EQ(e.size, expected[i].size);
    EXPECT_GT(e.mtime, 0);
  }
}

TEST(ListDirectory, ReportsADirectoryItCannotRead) {
  TempDir dir;
  const std::string missing = dir / "missing";
  EXPECT_EQ(ListDirectory(missing).error, missing + ": No such file or directory");

#ifdef _WIN32
  GTEST_SKIP() << "file modes are Linux's";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
#endif
  const std::string locked = dir / "locked";
  fs::create_directory(locked);
  ::chmod(locked.c_str(), 0);
  EXPECT_EQ(ListDirectory(locked).error, locked + ": Permission denied");
}

TEST(SetFileAttributes, ArchiveMarkFollowsTheFilesContent) {
  TempDir dir;
  const std::string file = dir.Write("data.bin", "1");
  if (!ArchiveMarksSupported(file)) GTEST_SKIP() << "no extended attributes here";
#ifdef _WIN32
  if (kivo::testing::UnderWine()) GTEST_SKIP() << "Wine keeps no archive bit";
#endif
  const auto attributes = [&] { return StatPath(file)->attributes; };

  std::string error;
  ASSERT_TRUE(SetFileAttributes(file, 0, &error)) << error;
  EXPECT_EQ(attributes(), 0u);

  // Read-only and still marked; changing a read-only file's mark must work too.
  ASSERT_TRUE(SetFileAttributes(file, kAttrReadOnly, &error)) << error;
  EXPECT_EQ(attributes(), kAttrReadOnly);
  ASSERT_TRUE(SetFileAttributes(file, kAttrReadOnly | kAttrArchive, &error)) << error;
  EXPECT_EQ(attributes(), kAttrReadOnly | kAttrArchive);
  ASSERT_TRUE(SetFileAttributes(file, 0, &error)) << error;
  EXPECT_EQ(attributes(), 0u);
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0200, 0200u) << "clearing read-only gives the owner write access";

  // A later write (here: a new time) brings the attribute back.
  ASSERT_TRUE(SetFileTime(file, 1'000'000'000, &error)) << error;
  EXPECT_EQ(attributes(), kAttrArchive);
  EXPECT_EQ(StatPath(file)->mtime, 1'000'000'000);

  EXPECT_FALSE(SetFileAttributes(dir / "missing", 0, &error));
  EXPECT_EQ(error, dir / "missing" + ": No such file or directory");
}

TEST(MakeDirectory, CreatesParentsAndAcceptsExistingOnes) {
  TempDir dir;
  const std::string deep = dir / "a/b/c";
  std::string error;
  ASSERT_TRUE(MakeDirectory(deep, &error)) << error;
  EXPECT_TRUE(MakeDirectory(deep, &error)) << error;
  EXPECT_TRUE(fs::is_directory(deep));

  const std::string file = dir.Write("plain", "");
  EXPECT_FALSE(MakeDirectory(file + "/sub", &error));
#ifdef _WIN32
  EXPECT_EQ(error, file + "/sub: No such file or directory");  // Windows finds no such path
#else
  EXPECT_EQ(error, file + "/sub: Not a directory");
#endif
}

TEST(StatPath, DescribesOnePathAndKnowsDirectoriesByIdentity) {
#ifdef _WIN32
  GTEST_SKIP() << "the short name made by the Linux layer, and a symbolic link (the Windows listing: FileSystemTest)";
#endif
  TempDir dir;
  fs::create_directory(dir / "Long Folder");
  fs::create_symlink("Long Folder", dir / "again");
  const auto entry = StatPath(dir / "Long Folder/");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "Long Folder");
  EXPECT_EQ(entry->alias, "LONGFO~1");
  EXPECT_EQ(entry->attributes, kAttrDirectory);
  EXPECT_EQ(GetFileId(dir / "again"), GetFileId(dir / "Long Folder"));
  EXPECT_NE(GetFileId(dir.str()), GetFileId(dir / "Long Folder"));
}

}  // namespace
}  // namespace kivo::platform
