// Reading sources that misbehave: odd bytes in names, sources that vanish or cannot be read,
// link loops, paths longer than the system takes, and the archive attribute.

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <fmt/printf.h>

#include <filesystem>
#include <set>

#include "engine/iso/Strings.h"
#include "engine/platform/Text.h"
#include "tests/iso/TreeFixture.h"
#ifdef _WIN32
#include "tests/windows/Wine.h"
#endif

namespace kivo::testing {
namespace {

using SourcesTest = TreeTest;

bool MessageStartsWith(const std::vector<Message>& messages, const std::string& prefix) {
  for (const Message& m : messages) {
    if (m.text.starts_with(prefix)) return true;
  }
  return false;
}

// Every directory of the compilation holds something, and within each one no two entries
// share a long name or a short name.
void ExpectSoundTree(const TZelvoBurner& burner) {
  for (const TDEntry* d : burner.DirList()) {
    if (d != burner.RootDirectory()) {
      EXPECT_NE(d->FirstEntry, nullptr) << d->Path;
    }
    std::set<std::string> longs, shorts;
    for (const TFEntry* e = d->FirstEntry; e != nullptr; e = e->Next) {
      EXPECT_TRUE(longs.insert(platform::UpperAscii(e->LongName)).second) << e->LongName;
      EXPECT_TRUE(shorts.insert(e->ShortName).second) << e->ShortName;
      EXPECT_TRUE(platform::IsValidUtf8(e->LongName)) << e->SourcePath;
    }
  }
}

TEST_F(SourcesTest, EveryByteANameMayHold) {
#ifdef _WIN32
  GTEST_SKIP() << "names of any bytes are Linux's; Windows names are UTF-16 without control characters or \\/:*?\"<>|";
#endif
  TempDir tmp;
  std::filesystem::create_directories(tmp / "src");
  for (int b = 1; b < 256; ++b) {
    if (b == '/') continue;
    tmp.Write("src/f" + std::string(1, static_cast<char>(b)) + ".bin", "x");
  }
  MakeTree(tmp, {"src/d\xFF/in.txt", "src/a\\b/in.txt"});

  burner.AddDirectory(Root(), tmp / "src", false, false, true, 63, "*.*");
  ExpectSoundTree(burner);
  // 254 names, of which the 26 pairs that differ only in the case of a letter are one name
  // each: the first of a name wins, and the other is named.
  EXPECT_EQ(burner.FileCount(), 228 + 4);
  std::vector<Message> caseMessages;
  for (char c = 'a'; c <= 'z'; ++c) {
    caseMessages.push_back({fmt::sprintf(isotext::kNameDiffersInCase, tmp / ("src/f" + std::string(1, c) + ".bin")), 4});
  }
  EXPECT_EQ(messages, caseMessages);
  EXPECT_NE(burner.FindFileEntry(Root(), "f%FF.bin"), nullptr);
  EXPECT_NE(burner.FindFileEntry(Root(), "f%0A.bin"), nullptr);
  EXPECT_NE(burner.FindDirectory("\\a%5Cb"), nullptr);
  ASSERT_NE(burner.FindDirectory("\\d%ff"), nullptr);
  // The source path stays the file's real one.
  const TFEntry* in = burner.FindDirectory("\\d%FF")->FirstEntry;
  EXPECT_EQ(in->SourcePath, tmp / "src/d\xFF/in.txt");
  EXPECT_TRUE(platform::StatPath(in->SourcePath));
}

TEST_F(SourcesTest, VanishingAndUnreadableSources) {
  TempDir tmp;
  MakeTree(tmp, {"src/gone/a.txt", "src/kept/b.txt", "src/locked/c.txt"});
  burner.OnAddDir = [&](TZelvoBurner*, std::string& LongName, std::string&, bool&) {
    if (LongName == "gone") std::filesystem::remove_all(tmp / "src/gone");
  };
#ifdef _WIN32
  const bool root = true;  // no file modes: the locked folder reads as any other, as for root
#else
  const bool root = ::geteuid() == 0;  // root reads every directory whatever its mode
  ::chmod((tmp / "src/locked").c_str(), 0);
#endif

  burner.AddDirectory(Root(), tmp / "src", false, false, true, 63, "*.*");
  ExpectSoundTree(burner);
  EXPECT_EQ(burner.FindDirectory("\\GONE"), nullptr);
  EXPECT_NE(burner.FindDirectory("\\KEPT"), nullptr);
  EXPECT_TRUE(MessageStartsWith(
      messages, fmt::sprintf(isotext::kCannotReadDirectory, tmp / "src/gone/: No such file or directory")));
  if (!root) {
    EXPECT_EQ(burner.FindDirectory("\\LOCKED"), nullptr);
    EXPECT_TRUE(MessageStartsWith(
        messages, fmt::sprintf(isotext::kCannotReadDirectory, tmp / "src/locked/: Permission denied")));
  }

  EXPECT_EQ(burner.AddFile("\\", tmp / "src/none.txt", false), -1);
  messages.clear();
  EXPECT_EQ(burner.SourceDirectorySize(tmp / "nowhere/"), 0);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(SourcesTest, LinkLoopsAreNotFollowed) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
  TempDir tmp;
  MakeTree(tmp, {"src/a/f.txt=10"});
  std::filesystem::create_directory_symlink(tmp / "src", tmp / "src/a/up");
  std::filesystem::create_symlink("self", tmp / "src/self");  // a link to itself leads nowhere

  burner.AddDirectory(Root(), tmp / "src", false, false, true, 63, "*.*");
  ExpectSoundTree(burner);
  EXPECT_EQ(DirPaths(), (std::vector<std::string>{"\\", "\\A"}));
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"a", "f.txt"}));
  EXPECT_EQ(messages, (std::vector<Message>{{fmt::sprintf(isotext::kDirectoryLoop, tmp / "src/a/up/"), 4},
                                            {fmt::sprintf(isotext::kBrokenLink, tmp / "src/self"), 4}}));
  EXPECT_EQ(burner.SourceDirectorySize(tmp / "src/"), 10);
}

// Only what has content to record is added: a link to a file stands for the file, and sockets,
// pipes, devices and links that lead nowhere are left out, each named.
TEST_F(SourcesTest, WhatIsNoFileIsLeftOutByName) {
#ifdef _WIN32
  GTEST_SKIP() << "pipes, sockets and devices in a folder, and symbolic links, are Linux's";
#else
  TempDir tmp;
  MakeTree(tmp, {"src/real.txt=12"});
  const std::string src = tmp / "src";
  ASSERT_EQ(::mkfifo((src + "/fifo").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/null", src + "/device");
  std::filesystem::create_symlink("missing", src + "/dangling");
  std::filesystem::create_symlink("loop-b", src + "/loop-a");
  std::filesystem::create_symlink("loop-a", src + "/loop-b");
  std::filesystem::create_symlink("real.txt", src + "/to-real");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = src + "/socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  burner.AddDirectory(Root(), src, false, false, true, 63, "*.*");
  ::close(sock);
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"real.txt", "to-real."}));
  EXPECT_EQ(burner.FindFileEntry(Root(), "to-real.")->Size, 12);
  const std::vector<Message> expected{
      {fmt::sprintf(isotext::kBrokenLink, src + "/dangling"), 4},
      {fmt::sprintf(isotext::kSpecialFile, src + "/device"), 4},
      {fmt::sprintf(isotext::kSpecialFile, src + "/fifo"), 4},
      {fmt::sprintf(isotext::kBrokenLink, src + "/loop-a"), 4},
      {fmt::sprintf(isotext::kBrokenLink, src + "/loop-b"), 4},
      {fmt::sprintf(isotext::kSpecialFile, src + "/socket"), 4},
  };
  EXPECT_EQ(messages, expected);
  // Given alone, as a command line gives its sources, the same holds.
  messages.clear();
  burner.AddFile("\\", src + "/fifo", false);
  EXPECT_EQ(messages, (std::vector<Message>{{fmt::sprintf(isotext::kSpecialFile, src + "/fifo"), 4}}));
#endif
}

#ifndef _WIN32

// A chain of directories deeper than a path may be long, made and removed through handles
// because no single path reaches its end.
class DeepChain {
 public:
  DeepChain(const std::string& base, int depth, const std::string& part) : part_(part) {
    int fd = ::open(base.c_str(), O_DIRECTORY | O_RDONLY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
      fds_.push_back(fd);
      ::mkdirat(fd, part.c_str(), 0755);
      fd = ::openat(fd, part.c_str(), O_DIRECTORY | O_RDONLY);
      if (fd >= 0) ::close(::openat(fd, "f.txt", O_CREAT | O_WRONLY, 0644));
    }
    if (fd >= 0) fds_.push_back(fd);
  }
  ~DeepChain() {
    for (std::size_t i = fds_.size(); i-- > 0;) {
      ::unlinkat(fds_[i], "f.txt", 0);
      if (i + 1 < fds_.size()) ::unlinkat(fds_[i], part_.c_str(), AT_REMOVEDIR);
      ::close(fds_[i]);
    }
  }

 private:
  std::string part_;
  std::vector<int> fds_;
};

#endif

TEST_F(SourcesTest, PathsLongerThanTheSystemTakes) {
#ifdef _WIN32
  GTEST_SKIP() << "the chain is made through directory handles (openat), which Windows lacks";
#else
  TempDir tmp;
  const std::string part(100, 'p');
  DeepChain chain(tmp.str(), 50, part);  // over 5000 bytes: beyond PATH_MAX
  burner.ResetCompilation(1000, 1000);
  burner.AddDirectory(Root(), tmp.str(), false, false, true, 63, "*.*");
  ExpectSoundTree(burner);
  EXPECT_GT(burner.DirectoryCount(), 30);
  EXPECT_LT(burner.DirectoryCount(), 50);
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages[0].text.find("File name too long"), std::string::npos) << messages[0].text;
#endif
}

TEST_F(SourcesTest, ArchiveOnlyAndClearingTheAttribute) {
  TempDir tmp;
  MakeTree(tmp, {"src/a.txt", "src/b.txt"});
  if (!platform::ArchiveMarksSupported(tmp / "src/a.txt")) {
    burner.AddDirectory(Root(), tmp / "src", true, false, false, 63, "*.*");
    EXPECT_EQ(messages, (std::vector<Message>{{fmt::sprintf(isotext::kArchiveMarksUnsupported, tmp / "src/"), 1}}));
    GTEST_SKIP() << "no extended attributes here";
  }
#ifdef _WIN32
  if (UnderWine()) GTEST_SKIP() << "Wine keeps no archive bit";
#endif
  EXPECT_EQ(burner.AddDirectory(Root(), tmp / "src", true, false, false, 63, "*.*"), 1);
  EXPECT_EQ(burner.FileCount(), 2);
  EXPECT_TRUE(burner.ClearArchiveAttributes());
  tmp.Write("src/b.txt", "changed since");

  burner.ResetCompilation(10, 10);
  burner.AddDirectory(Root(), tmp / "src", true, false, false, 63, "*.*");
  EXPECT_EQ(FileListNames(), std::vector<std::string>{"b.txt"});
  EXPECT_TRUE(messages.empty());

  // Written while it was being recorded (after it was added, before the bit is cleared): what
  // the disc holds is not what the file holds, so it keeps the bit, whether its size changed or
  // only its time.
  tmp.Write("src/b.txt", "changed size");
  tmp.Write("src/c.txt", "same");
  burner.ResetCompilation(10, 10);
  burner.AddDirectory(Root(), tmp / "src", true, false, false, 63, "*.*");
  tmp.Write("src/b.txt", "changed size again");
  tmp.Write("src/c.txt", "SAME");
#ifdef _WIN32
  std::filesystem::last_write_time(tmp / "src/c.txt", std::filesystem::file_time_type::clock::now());
#else
  ASSERT_EQ(::utimensat(AT_FDCWD, (tmp / "src/c.txt").c_str(), nullptr, 0), 0);
#endif
  EXPECT_TRUE(burner.ClearArchiveAttributes());
  burner.ResetCompilation(10, 10);
  burner.AddDirectory(Root(), tmp / "src", true, false, false, 63, "*.*");
  EXPECT_EQ(FileListNames(), (std::vector<std::string>{"b.txt", "c.txt"}));
}

}  // namespace
}  // namespace kivo::testing
