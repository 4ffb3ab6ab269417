// A replacement takes the target's place whole or not at all, and leaves no temporary file
// behind in either case.

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "engine/platform/ReplacementFile.h"
#include "tests/platform/TempDir.h"

namespace kivo::platform {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.str())) names.insert(e.path().filename().string());
  return names;
}

bool WriteAll(ReplacementFile& file, const std::string& text) {
  return file.file().Write(text.data(), static_cast<std::int64_t>(text.size())) ==
         static_cast<std::int64_t>(text.size());
}

// What the target and the file behind a link hold after a commit, for each way of meeting a link.
TEST(ReplacementFile, CommitPutsTheNewContentInPlace) {
  struct Case {
    const char* name;
    ReplacementFile::Links links;
    bool targetIsLink;
    bool linkKept;
    const char* behindLink;  // what the file (or the file the link led to) holds afterwards
  } const cases[] = {
      {"plain file", ReplacementFile::Links::Follow, false, false, "new"},
      {"link followed", ReplacementFile::Links::Follow, true, true, "new"},
      {"link replaced", ReplacementFile::Links::Replace, true, false, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string behind = dir.Write("behind", "old");
#ifdef _WIN32
    // No file mode to keep, and symbolic links need a privilege: the plain file alone.
    if (c.targetIsLink) continue;
#else
    ASSERT_EQ(::chmod(behind.c_str(), 0640), 0);
#endif
    const std::string target = c.targetIsLink ? dir / "target" : behind;
    if (c.targetIsLink) fs::create_symlink(behind, target);
    ReplacementFile file;
    ASSERT_TRUE(file.Create(target, c.links)) << file.LastError();
    ASSERT_TRUE(WriteAll(file, "new"));
    EXPECT_EQ(ReadText(target), "old") << "nothing shows before the commit";
    ASSERT_TRUE(file.Commit()) << file.LastError();
    EXPECT_EQ(ReadText(target), "new");
    EXPECT_EQ(ReadText(behind), c.behindLink);
    EXPECT_EQ(fs::is_symlink(target), c.targetIsLink && c.linkKept);
#ifndef _WIN32
    if (!c.targetIsLink || c.linkKept) {
      struct stat st {};
      ASSERT_EQ(::stat(behind.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file's mode is kept";
    }
#endif
    const std::set<std::string> names = c.targetIsLink ? std::set<std::string>{"behind", "target"}
                                                       : std::set<std::string>{"behind"};
    EXPECT_EQ(Names(dir), names);
  }
}

// Dropped by Discard, by the destructor, or by a signal that ends the process: the old file
// stays and no temporary file is left.
TEST(ReplacementFile, AnUnfinishedReplacementLeavesTheOldFile) {
  const std::pair<const char*, std::function<void(ReplacementFile&)>> endings[] = {
      {"discard", [](ReplacementFile& f) { f.Discard(); }},
      {"destructor", [](ReplacementFile&) {}},
  };
  for (const auto& [name, end] : endings) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string target = dir.Write("image.iso", "old");
    {
      ReplacementFile file;
      ASSERT_TRUE(file.Create(target, ReplacementFile::Links::Follow));
      ASSERT_TRUE(WriteAll(file, "half"));
      end(file);
    }
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(Names(dir), std::set<std::string>{"image.iso"});
  }
#ifndef _WIN32  // fork and signals
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    TempDir dir;
    const std::string target = dir.Write("image.iso", "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ReplacementFile file;
      if (!file.Create(target, ReplacementFile::Links::Follow) || !WriteAll(file, "half")) ::_exit(3);
      ::raise(signal);
      ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "the signal still ends the process";
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(Names(dir), std::set<std::string>{"image.iso"});
  }
#endif
}

TEST(ReplacementFile, FailuresNameTheTarget) {
  TempDir dir;
  ASSERT_TRUE(fs::create_directory(dir / "folder"));
  ReplacementFile file;
  EXPECT_FALSE(file.Create(dir / "folder", ReplacementFile::Links::Replace));
  EXPECT_EQ(file.LastError(), dir / "folder" + ": Is a directory");
  EXPECT_FALSE(file.Create(dir / "missing/image.iso", ReplacementFile::Links::Follow));
  EXPECT_EQ(file.LastError(), dir / "missing/image.iso" + ": No such file or directory");
#ifndef _WIN32  // /dev/full
  // A device cannot be replaced by renaming: it is written into.
  ASSERT_TRUE(file.Create("/dev/full", ReplacementFile::Links::Follow)) << file.LastError();
  EXPECT_EQ(file.Path(), "/dev/full");
  EXPECT_FALSE(WriteAll(file, "x"));
  EXPECT_EQ(file.file().LastError(), "/dev/full: No space left on device");
#endif
}

}  // namespace
}  // namespace kivo::platform
