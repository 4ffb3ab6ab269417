#include "engine/platform/PrivateProfile.h"

#include <stdlib.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/ScopedEnv.h"

#include "tests/platform/TempDir.h"

namespace kivo::platform {
namespace {

using testing::TempDir;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a folder holds, to see that no temporary file is left behind.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

using testing::ScopedEnv;

TEST(PrivateProfile, ValuesAreStoredAsTheyStandAndReadBack) {
  struct Case {
    const char* key;
    std::string value;
    std::string readBack;
  };
  const Case cases[] = {
      {"Image", R"(C:\boot\x.img)", R"(C:\boot\x.img)"},
      {"List", "a,b", "a,b"},
      {"Quoted", R"("x y")", R"("x y")"},
      {"Equals", "k=v;w", "k=v;w"},
      {"Inner", "two  words", "two  words"},
      {"Name", "Müller Ω", "Müller Ω"},
      {"Padded", "  edge\t", "edge"},  // blanks around a value never survive reading
      {"Empty", "", ""},               // present but empty: not the fallback
  };
  TempDir dir;
  const std::string path = dir / "p.ini";
  PrivateProfile profile(path);
  std::string expected = "[Paths]\n";
  for (const Case& c : cases) {
    ASSERT_TRUE(profile.WriteString("Paths", c.key, c.value)) << profile.error();
    expected += std::string(c.key) + "=" + c.value + "\n";
  }
  ASSERT_TRUE(profile.WriteInt("Numbers", "Speed", -3)) << profile.error();
  ASSERT_TRUE(profile.WriteBool("Numbers", "Verify", true)) << profile.error();
  ASSERT_TRUE(profile.WriteBool("Numbers", "Eject", false)) << profile.error();
  expected += "[Numbers]\nSpeed=-3\nVerify=1\nEject=0\n";
  EXPECT_EQ(ReadText(path), expected);

  const PrivateProfile again(path);
  for (const Case& c : cases) EXPECT_EQ(again.ReadString("Paths", c.key, "fallback"), c.readBack) << c.key;
  EXPECT_EQ(again.ReadInt("Numbers", "Speed", 0), -3);
  EXPECT_TRUE(again.ReadBool("Numbers", "Verify", false));
  EXPECT_FALSE(again.ReadBool("Numbers", "Eject", true));
  EXPECT_EQ(again.error(), "");
}

// Names match in any case and with blanks around them; only the first section of a name
// counts, and a replaced key keeps the user's spelling and layout.
TEST(PrivateProfile, NamesMatchWithoutRegardToCase) {
  TempDir dir;
  const std::string path = dir.Write("p.ini", "[Burn]\n  Speed = 8 \nspeed=99\n[BURN]\nMode=2\n");
  PrivateProfile profile(path);
  EXPECT_EQ(profile.ReadString("burn", "SPEED", "-"), "8");
  EXPECT_EQ(profile.ReadString(" bUrN ", " speed", "-"), "8");
  EXPECT_EQ(profile.ReadString("Burn", "Mode", "-"), "-");

  ASSERT_TRUE(profile.WriteString("BURN", "SPEED", "16")) << profile.error();
  ASSERT_TRUE(profile.WriteString("burn", "mode", "3")) << profile.error();
  EXPECT_EQ(ReadText(path), "[Burn]\n  Speed = 16\nspeed=99\nmode=3\n[BURN]\nMode=2\n");
}

// Each write changes the lines it must and leaves every other byte where it was.
TEST(PrivateProfile, WritesTouchOnlyTheirOwnLines) {
  const std::string original =
      "; written by hand\n"
      "Speed=before any section\n"
      "[Burn]\n"
      "Speed=8\n"
      "# in x\n"
      "Unknown=kept\n"
      "\n"
      "; end of burn\n"
      "[Empty]\n"
      "junk line\n"
      "[Paths]\n"
      "Temp=/tmp";  // no line end
  struct Case {
    const char* what;
    const char* section;
    PrivateProfile::KeyValues keyValues;
    std::string expected;
  };
  const Case cases[] = {
      {"replaced in place", "burn", {{"speed", "16"}},
       Replaced(original, "[Burn]\nSpeed=8\n", "[Burn]\nSpeed=16\n")},
      {"added after the section's last key", "Burn", {{"Verify", "1"}},
       Replaced(original, "Unknown=kept\n", "Unknown=kept\nVerify=1\n")},
      {"added under a header without keys", "Empty", {{"Key", "v"}},
       Replaced(original, "[Empty]\n", "[Empty]\nKey=v\n")},
      {"last line gets its line end", "Paths", {{"temp", "/var/tmp"}, {"Image", "x.img"}},
       Replaced(original, "Temp=/tmp", "Temp=/var/tmp\nImage=x.img\n")},
      {"new section at the end, later value wins", "New", {{"A", "1"}, {"A", "2"}},
       original + "\n[New]\nA=2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir.Write("p.ini", original);
    PrivateProfile profile(path);
    ASSERT_TRUE(profile.WriteAll(c.section, c.keyValues)) << profile.error();
    EXPECT_EQ(ReadText(path), c.expected);
  }
}

TEST(PrivateProfile, NumbersMustBeWholeDecimalNumbers) {
  struct Case {
    const char* value;
    std::optional<int> number;  // nullopt: the fallback
    std::optional<bool> flag;
  };
  const Case cases[] = {
      {"1", 1, true},
      {"0", 0, false},
      {"-1", -1, true},
      {"+5", 5, true},
      {" 7 ", 7, true},
      {"-0", 0, false},
      {"12abc", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"1.5", std::nullopt, std::nullopt},
      {"+-5", std::nullopt, std::nullopt},
      {"- 5", std::nullopt, std::nullopt},
      {"2147483648", std::nullopt, true},  // a whole number, but no int
  };
  TempDir dir;
  std::string content = "[N]\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    content += "k" + std::to_string(i) + "=" + cases[i].value + "\n";
  const PrivateProfile profile(dir.Write("p.ini", content));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const std::string key = "k" + std::to_string(i);
    SCOPED_TRACE(c.value);
    EXPECT_EQ(profile.ReadInt("N", key, 42), c.number.value_or(42));
    EXPECT_EQ(profile.ReadBool("N", key, true), c.flag.value_or(true));
    EXPECT_EQ(profile.ReadBool("N", key, false), c.flag.value_or(false));
  }
}

// Names and values that would not read back as themselves are refused before anything is
// written, even when other keys of the same call are fine.
TEST(PrivateProfile, RefusesWhatCannotBeReadBack) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
    const char* problem;
  };
  const Case cases[] = {
      {"S", "Image", "a\nb", "the value holds a line break"},
      {"S", "Image", "a\rb", "the value holds a line break"},
      {"S", "Im\nage", "v", "the name holds a line break"},
      {"S", " ", "v", "the name is empty"},
      {"S", "a=b", "v", "a key name cannot hold '='"},
      {"S", ";Image", "v", "a key name cannot start with ';', '#' or '['"},
      {"S]x", "Image", "v", "a section name cannot hold ']'"},
      {"", "Image", "v", "the name is empty"},
  };
  const std::string original = "[S]\nGood=0\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    TempDir dir;
    const std::string path = dir.Write("p.ini", original);
    PrivateProfile profile(path);
    EXPECT_FALSE(profile.WriteAll(c.section, {{"Good", "1"}, {c.key, c.value}}));
    EXPECT_NE(profile.error().find(c.problem), std::string::npos) << profile.error();
    EXPECT_EQ(profile.error().rfind(path + ": ", 0), 0u) << profile.error();
    EXPECT_EQ(ReadText(path), original);
  }
}

// New lines take the end of the file's first line; existing lines keep their own.
TEST(PrivateProfile, KeepsTheFilesLineEnds) {
  struct Case {
    std::string original;
    std::string expected;
  };
  const Case cases[] = {
      {"[A]\r\nx=1\r\n; note\r\n", "[A]\r\nx=3\r\ny=2\r\n; note\r\n[B]\r\nz=4\r\n"},
      {"[A]\r\nx=1", "[A]\r\nx=3\r\ny=2\r\n[B]\r\nz=4\r\n"},
      {"[A]\nx=1\r\n", "[A]\nx=3\r\ny=2\n[B]\nz=4\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.original);
    TempDir dir;
    const std::string path = dir.Write("p.ini", c.original);
    PrivateProfile profile(path);
    EXPECT_EQ(profile.ReadString("A", "x", "-"), "1");
    ASSERT_TRUE(profile.WriteAll("A", {{"x", "3"}, {"y", "2"}})) << profile.error();
    ASSERT_TRUE(profile.WriteString("B", "z", "4")) << profile.error();
    EXPECT_EQ(ReadText(path), c.expected);
    EXPECT_EQ(profile.ReadString("A", "x", "-"), "3");
  }
}

TEST(PrivateProfile, FirstWriteCreatesTheFileAndItsFolder) {
  TempDir dir;
  const std::string path = dir / "a/b/KivoArdel.ini";
  PrivateProfile profile(path);
  EXPECT_EQ(profile.ReadString("S", "k", "none"), "none");
  EXPECT_EQ(profile.ReadInt("S", "k", 7), 7);
  EXPECT_EQ(profile.error(), "") << "a missing file is no failure";

  ASSERT_TRUE(profile.WriteBool("S", "k", true)) << profile.error();
  EXPECT_EQ(ReadText(path), "[S]\nk=1\n");
  EXPECT_EQ(Names(dir / "a/b"), std::vector<std::string>{"KivoArdel.ini"});
}

// The old file stays whole when the new content cannot be put down in full: here a file size
// limit (which binds root too) stands in for a full disk.
TEST(PrivateProfile, FailedWriteLeavesTheOldFileWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file size limit to stand in for a full disk";
#else
  TempDir dir;
  const std::string original = "[S]\nk=old\n";
  const std::string path = dir.Write("p.ini", original);
  PrivateProfile profile(path);
  {
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 32;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = profile.WriteString("S", "k", std::string(100, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(profile.error(), path + ": File too large");
    EXPECT_EQ(ReadText(path), original);
    EXPECT_EQ(Names(dir.str()), std::vector<std::string>{"p.ini"});
  }
  if (::geteuid() != 0) {  // permissions do not bind root
    ASSERT_EQ(::chmod(dir.str().c_str(), 0555), 0);
    EXPECT_FALSE(profile.WriteString("S", "k", "new"));
    EXPECT_EQ(profile.error(), path + ": Permission denied");
    EXPECT_EQ(ReadText(path), original);
  }
#endif
}

// A file that exists but cannot be read gives fallbacks, says why, and is never replaced (which
// would lose what it holds).
TEST(PrivateProfile, UnreadableFileGivesFallbacksAndStaysAsItIs) {
  TempDir dir;
  const std::string path = dir / "p.ini";
  ASSERT_TRUE(std::filesystem::create_directory(path));
  PrivateProfile profile(path);
  EXPECT_EQ(profile.ReadString("S", "k", "none"), "none");
  EXPECT_EQ(profile.error(), path + ": Is a directory");
  EXPECT_FALSE(profile.WriteString("S", "k", "v"));
  EXPECT_EQ(profile.error(), path + ": Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(Names(dir.str()), std::vector<std::string>{"p.ini"});
}

TEST(PrivateProfile, ReplacingKeepsTheFilesModeAndLink) {
#ifdef _WIN32
  GTEST_SKIP() << "file modes and symbolic links to keep are Linux's";
#else
  TempDir dir;
  const std::string real = dir.Write("real.ini", "[S]\nk=1\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink("real.ini", dir / "link.ini");
  PrivateProfile profile(dir / "link.ini");
  ASSERT_TRUE(profile.WriteString("S", "k", "2")) << profile.error();
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadText(real), "[S]\nk=2\n");
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
#endif
}

TEST(ConfigFilePath, PrefersAnAbsoluteXdgConfigHome) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps the settings in %APPDATA%, not by the XDG rules";
#endif
  struct Case {
    const char* config;
    const char* expected;
  };
  const Case cases[] = {
      {"/x/cfg", "/x/cfg/KivoArdel.ini"},
      {"/x/cfg/", "/x/cfg/KivoArdel.ini"},
      {"", "/home/u/.config/KivoArdel.ini"},
      {nullptr, "/home/u/.config/KivoArdel.ini"},
      {"relative/cfg", "/home/u/.config/KivoArdel.ini"},
  };
  const ScopedEnv home("HOME", "/home/u");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config ? c.config : "(unset)");
    const ScopedEnv config("XDG_CONFIG_HOME", c.config);
    EXPECT_EQ(ConfigFilePath(), c.expected);
  }
}

}  // namespace
}  // namespace kivo::platform
